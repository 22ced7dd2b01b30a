#include "gbk.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

namespace zelvor {

namespace {

constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";
constexpr std::string_view kGb18030Replacement = "\x84\x31\xA4\x37";  // U+FFFD

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// The length of the well-formed UTF-8 sequence that starts the bytes; 0 when there is none.
size_t SequenceLength(std::string_view bytes) {
    auto byte = [bytes](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    unsigned char lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                    : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                   : 0;
    if (length == 0 || bytes.size() < length) {
        return 0;
    }
    // The second byte's range is what rules out overlong forms, surrogates and U+10FFFF+.
    unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (size_t k = 2; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

// iconv lets code points past U+10FFFF through from UTF-8 and UCS-4 input.
std::string ReplaceIllFormed(std::string text) {
    if (IsValidUtf8(text)) {
        return text;
    }
    std::string out;
    for (std::string_view rest = text; !rest.empty();) {
        size_t length = SequenceLength(rest);
        out += length == 0 ? kUtf8Replacement : rest.substr(0, length);
        rest.remove_prefix(std::max<size_t>(length, 1));
    }
    return out;
}

// What to write for input iconv refused at the start of `rest`, and how many bytes it covers.
struct Substitute {
    std::string_view bytes;
    size_t consumed;
};
using Fallback = Substitute (*)(std::string_view rest);

class Converter {
  public:
    Converter(const char* from, const char* to, Fallback fallback)
        : cd_(iconv_open(to, from)), fallback_(fallback) {}
    ~Converter() {
        if (ok()) {
            iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    std::string Convert(std::string_view in) {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        out.resize(in.size() + in.size() / 2 + 16);
        char* inPtr = const_cast<char*>(in.data());
        size_t inLeft = in.size();
        size_t written = 0;
        while (inLeft > 0) {
            char* outPtr = out.data() + written;
            size_t outLeft = out.size() - written;
            size_t rc = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            written = out.size() - outLeft;
            if (rc != static_cast<size_t>(-1)) {
                break;
            }
            if (errno == E2BIG) {
                out.resize(out.size() * 2);
                continue;
            }
            // EILSEQ: input iconv cannot take; EINVAL: a sequence cut off at the end.
            bool cutOff = errno == EINVAL;
            Substitute substitute = fallback_(std::string_view(inPtr, inLeft));
            EnsureRoom(out, written, substitute.bytes.size());
            out.replace(written, substitute.bytes.size(), substitute.bytes);
            written += substitute.bytes.size();
            if (cutOff) {
                break;
            }
            inPtr += substitute.consumed;
            inLeft -= substitute.consumed;
        }
        out.resize(written);
        return out;
    }

  private:
    static void EnsureRoom(std::string& out, size_t written, size_t extra) {
        if (out.size() - written < extra) {
            out.resize(out.size() * 2 + extra);
        }
    }

    iconv_t cd_;
    Fallback fallback_;
};

Substitute ReplaceByte(std::string_view) {
    return {kUtf8Replacement, 1};
}

// Private-use characters that GBK text from before GB18030-2022 (and Windows' code page 936)
// holds under these codes. Newer iconv reads the codes as the standard characters of the same
// glyphs and refuses to encode the private-use ones, which would drop them from nicknames.
struct LegacyCode {
    char32_t codePoint;
    std::string_view gbk;
};
constexpr LegacyCode kLegacyCodes[] = {
    {0xE78D, "\xA6\xD9"}, {0xE78E, "\xA6\xDA"}, {0xE78F, "\xA6\xDB"}, {0xE790, "\xA6\xDC"},
    {0xE791, "\xA6\xDD"}, {0xE792, "\xA6\xDE"}, {0xE793, "\xA6\xDF"}, {0xE794, "\xA6\xEC"},
    {0xE795, "\xA6\xED"}, {0xE796, "\xA6\xF3"}, {0xE816, "\xFE\x51"}, {0xE817, "\xFE\x52"},
    {0xE818, "\xFE\x53"}, {0xE81E, "\xFE\x59"}, {0xE826, "\xFE\x61"}, {0xE82B, "\xFE\x66"},
    {0xE82C, "\xFE\x67"}, {0xE831, "\xFE\x6C"}, {0xE832, "\xFE\x6D"}, {0xE83B, "\xFE\x76"},
    {0xE843, "\xFE\x7E"}, {0xE854, "\xFE\x90"}, {0xE855, "\xFE\x91"}, {0xE864, "\xFE\xA0"},
};

// A well-formed character iconv will not encode is replaced whole, not byte by byte.
Substitute EncodeRefused(std::string_view rest) {
    size_t length = SequenceLength(rest);
    if (length == 3) {
        auto bits = [rest](size_t i) { return static_cast<char32_t>(rest[i] & 0x3F); };
        char32_t codePoint = static_cast<char32_t>(rest[0] & 0x0F) << 12 | bits(1) << 6 | bits(2);
        for (const LegacyCode& legacy : kLegacyCodes) {
            if (legacy.codePoint == codePoint) {
                return {legacy.gbk, length};
            }
        }
    }
    return {kGb18030Replacement, std::max<size_t>(length, 1)};
}

// iconv_open is costly; each thread keeps its own pair for the common directions.
Converter& FromGbk() {
    thread_local Converter converter("GB18030", "UTF-8", ReplaceByte);
    return converter;
}

Converter& ToGbk() {
    thread_local Converter converter("UTF-8", "GB18030", EncodeRefused);
    return converter;
}

bool IsUnreserved(unsigned char c) {
    bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    bool digit = c >= '0' && c <= '9';
    return letter || digit || c == '-' || c == '.' || c == '_' || c == '~';
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        size_t length = SequenceLength(bytes);
        if (length == 0) {
            return false;
        }
        bytes.remove_prefix(length);
    }
    return true;
}

std::string GbkToUtf8(std::string_view gbk) {
    return FromGbk().Convert(gbk);
}

std::string Utf8ToGbk(std::string_view utf8) {
    return ToGbk().Convert(utf8);
}

bool DecodeToUtf8(std::string_view bytes, std::string_view charset, std::string& out) {
    std::string name = Lower(charset);
    if (name.empty() || name == "gbk" || name == "gb2312" || name == "gb18030") {
        out = GbkToUtf8(bytes);
        return true;
    }
    Converter converter(name.c_str(), "UTF-8", ReplaceByte);
    if (!converter.ok()) {
        out = GbkToUtf8(bytes);
        return false;
    }
    out = ReplaceIllFormed(converter.Convert(bytes));
    return true;
}

std::string PercentEncodeGbk(std::string_view utf8) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : Utf8ToGbk(utf8)) {
        if (IsUnreserved(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

}  // namespace zelvor
