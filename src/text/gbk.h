#pragma once

#include <string>
#include <string_view>

namespace zelvor {

// GBK exists only at the edges (files, pages, URLs); inside, text is UTF-8. GB18030 stands in
// for GBK: the same bytes for every GBK character, and lossless for characters GBK lacks.

// Invalid or truncated byte sequences become U+FFFD; the rest of the text survives.
std::string GbkToUtf8(std::string_view gbk);
// Invalid UTF-8 sequences become the GB18030 form of U+FFFD. The few private-use characters
// that old GBK text holds where GB18030-2022 now has standard ones are written under those old
// codes, so they read back as the standard characters of the same glyphs.
std::string Utf8ToGbk(std::string_view utf8);

// Well-formed UTF-8: no overlong forms, surrogates or code points past U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// Decodes bytes in a named character set. An empty name, "gbk", "gb2312" or "gb18030" (any case)
// means GB18030. Returns false when the name is unknown; out then holds the bytes decoded as
// GB18030, so a page is never lost to a bad declaration. The result is always valid UTF-8.
bool DecodeToUtf8(std::string_view bytes, std::string_view charset, std::string& out);

// "%" and two upper-case hex digits for every GBK byte outside RFC 3986's unreserved set, so
// the result can never add or change a query key.
std::string PercentEncodeGbk(std::string_view utf8);

}  // namespace zelvor
