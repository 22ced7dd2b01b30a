#pragma once

#include <string>
#include <string_view>

namespace zelvor {

// Replaces the character references a page may use in an attribute ("&amp;", "&lt;", "&gt;",
// "&quot;", "&#39;", "&apos;", "&nbsp;", decimal "&#NNN;" and hex "&#xHH;") by their characters.
// Anything else stays as written; a reference to no valid character becomes U+FFFD.
std::string DecodeHtmlEntities(std::string_view text);

// A code point as UTF-8; U+FFFD for surrogates and values beyond U+10FFFF.
void AppendUtf8(std::string& out, unsigned long codePoint);

}  // namespace zelvor
