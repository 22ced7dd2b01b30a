#include "text/html_entities.h"

#include <array>
#include <charconv>

namespace zelvor {

namespace {

struct NamedEntity {
    std::string_view name;
    std::string_view text;
};

constexpr std::array<NamedEntity, 7> kNamed{{
    {"amp", "&"},
    {"lt", "<"},
    {"gt", ">"},
    {"quot", "\""},
    {"apos", "'"},
    {"nbsp", "\u00A0"},
    {"#39", "'"},
}};

// The character of a numeric reference body ("#123" or "#x7B"), or false when it is none.
bool NumericReference(std::string_view body, unsigned long& codePoint) {
    if (body.size() < 2 || body[0] != '#') {
        return false;
    }
    int base = 10;
    body.remove_prefix(1);
    if (body[0] == 'x' || body[0] == 'X') {
        base = 16;
        body.remove_prefix(1);
    }
    if (body.empty() || body.size() > 8) {
        return false;
    }
    auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), codePoint, base);
    return ec == std::errc() && end == body.data() + body.size();
}

}  // namespace

void AppendUtf8(std::string& out, unsigned long cp) {
    if (cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
        cp = 0xFFFD;
    }
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string DecodeHtmlEntities(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        size_t amp = text.find('&', i);
        if (amp == std::string_view::npos) {
            break;
        }
        out.append(text.substr(i, amp - i));
        size_t semi = text.find(';', amp + 1);
        std::string_view body = semi == std::string_view::npos
                                    ? std::string_view()
                                    : text.substr(amp + 1, semi - amp - 1);
        unsigned long codePoint = 0;
        const NamedEntity* named = nullptr;
        for (const NamedEntity& e : kNamed) {
            if (e.name == body) {
                named = &e;
            }
        }
        if (named != nullptr) {
            out += named->text;
        } else if (NumericReference(body, codePoint)) {
            AppendUtf8(out, codePoint);
        } else {
            out += '&';
            i = amp + 1;
            continue;
        }
        i = semi + 1;
    }
    out.append(text.substr(std::min(i, text.size())));
    return out;
}

}  // namespace zelvor
