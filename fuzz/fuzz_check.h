#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// A broken property stops the run like a crash, so libFuzzer keeps the input that broke it.
#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)

namespace zelvor::fuzz {

// How many leading bytes are well-formed UTF-8 as Unicode defines it (no overlong forms,
// surrogates or code points past U+10FFFF), decoded code point by code point: an oracle apart
// from the library's own check.
inline size_t WellFormedUtf8Prefix(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80    ? 0
                    : lead >= 0xF8 ? -1
                    : lead >= 0xF0 ? 3
                    : lead >= 0xE0 ? 2
                    : lead >= 0xC0 ? 1
                                   : -1;
        if (extra < 0 || text.size() - i <= static_cast<size_t>(extra)) {
            return i;
        }
        char32_t cp = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            auto next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            if ((next & 0xC0) != 0x80) {
                return i;
            }
            cp = (cp << 6) | (next & 0x3F);
        }
        constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
        if (cp < kSmallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return i;
        }
        i += static_cast<size_t>(extra) + 1;
    }
    return i;
}

inline bool IsWellFormedUtf8(std::string_view text) {
    return WellFormedUtf8Prefix(text) == text.size();
}

// Text a person could type: the well-formed start of the bytes, without control characters.
inline std::string TypedText(std::string bytes) {
    bytes.resize(WellFormedUtf8Prefix(bytes));
    std::erase_if(bytes, [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
    return bytes;
}

inline bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

}  // namespace zelvor::fuzz
