// Percent-encoding for query values: only unreserved characters and "%XX" come out, decoding
// gives the GBK bytes back, and a forum name can never add or change a key of the page URL.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <optional>

#include "collect/member_pages.h"
#include "fuzz_check.h"
#include "text/gbk.h"

namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;  // upper case only
}

bool IsUnreserved(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_' ||
           c == '~';
}

// The bytes behind the encoding, or nothing when it holds anything but the allowed forms.
std::optional<std::string> Decode(std::string_view encoded) {
    std::string bytes;
    for (size_t i = 0; i < encoded.size(); ++i) {
        if (IsUnreserved(encoded[i])) {
            bytes += encoded[i];
            continue;
        }
        if (encoded[i] != '%' || i + 2 >= encoded.size() || HexValue(encoded[i + 1]) < 0 ||
            HexValue(encoded[i + 2]) < 0) {
            return std::nullopt;
        }
        bytes += static_cast<char>(HexValue(encoded[i + 1]) * 16 + HexValue(encoded[i + 2]));
        i += 2;
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    int page = provider.ConsumeIntegral<int>();
    std::string text = provider.ConsumeRemainingBytesAsString();

    std::string encoded = zelvor::PercentEncodeGbk(text);
    std::optional<std::string> bytes = Decode(encoded);
    FUZZ_CHECK(bytes);
    FUZZ_CHECK(*bytes == zelvor::Utf8ToGbk(text));
    if (zelvor::fuzz::IsWellFormedUtf8(text)) {
        FUZZ_CHECK(zelvor::GbkToUtf8(*bytes) == text);
    }

    // Exactly the keys "word" and "pn", whatever the name.
    std::string url = zelvor::MemberPageUrl("http://h", text, page);
    auto count = [&](char c) { return std::count(url.begin(), url.end(), c); };
    FUZZ_CHECK(count('?') == 1 && count('&') == 1 && count('=') == 2 && count('#') == 0);
    FUZZ_CHECK(url.find("?word=") != std::string::npos && url.find("&pn=") != std::string::npos);
    return 0;
}
