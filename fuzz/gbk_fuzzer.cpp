// GBK (GB18030) and UTF-8 conversions: every output is well-formed UTF-8, well-formed text
// survives a trip through GBK (a few private-use characters as their standard twins), and a
// second trip changes nothing.
#include <fuzzer/FuzzedDataProvider.h>
#include <iconv.h>

#include <array>
#include <cctype>

#include "fuzz_check.h"
#include "text/gbk.h"

using zelvor::fuzz::IsWellFormedUtf8;

namespace {

// Names a page may declare, a stateful one and a made-up one among them.
constexpr std::array<const char*, 12> kCharsets{
    "",         "gbk",  "GB2312",     "gb18030",   "UTF-8", "utf-16le",
    "UTF-16BE", "big5", "iso-8859-1", "shift_jis", "utf-7", "no-such-charset"};

bool IconvKnows(const std::string& name) {
    iconv_t cd = iconv_open("UTF-8", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    iconv_close(cd);
    return true;
}

// U+E78D..U+E864: where the private-use characters lie that GBK writes under codes now read as
// standard characters of the same glyphs.
bool MayHoldLegacyPrivateUse(std::string_view utf8) {
    for (size_t at = utf8.find('\xEE'); at != std::string_view::npos && at + 1 < utf8.size();
         at = utf8.find('\xEE', at + 1)) {
        auto second = static_cast<unsigned char>(utf8[at + 1]);
        if (second >= 0x9E && second <= 0xA1) {
            return true;
        }
    }
    return false;
}

std::string CheckDecode(std::string_view bytes, const std::string& charset) {
    std::string out;
    bool known = zelvor::DecodeToUtf8(bytes, charset, out);
    FUZZ_CHECK(IsWellFormedUtf8(out));
    FUZZ_CHECK(known == (charset.empty() || IconvKnows(charset)));
    if (!known) {
        FUZZ_CHECK(out == zelvor::GbkToUtf8(bytes));  // a bad declaration loses no page
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    std::string charset =
        kCharsets[provider.ConsumeIntegralInRange<size_t>(0, kCharsets.size() - 1)];
    // A name as a page's meta tag gives it: letters, digits, "-" and "_".
    std::string declared = provider.ConsumeRandomLengthString(20);
    std::erase_if(declared, [](char c) {
        return !std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_';
    });
    std::string bytes = provider.ConsumeRemainingBytesAsString();

    std::string text = zelvor::GbkToUtf8(bytes);
    FUZZ_CHECK(IsWellFormedUtf8(text));
    FUZZ_CHECK(zelvor::GbkToUtf8(zelvor::Utf8ToGbk(text)) == text);

    bool wellFormed = IsWellFormedUtf8(bytes);
    FUZZ_CHECK(zelvor::IsValidUtf8(bytes) == wellFormed);
    std::string back = zelvor::GbkToUtf8(zelvor::Utf8ToGbk(bytes));
    FUZZ_CHECK(IsWellFormedUtf8(back));
    if (wellFormed) {
        FUZZ_CHECK(back == bytes || MayHoldLegacyPrivateUse(bytes));
        FUZZ_CHECK(zelvor::Utf8ToGbk(back) == zelvor::Utf8ToGbk(bytes));
    }

    std::string decoded = CheckDecode(bytes, charset);
    FUZZ_CHECK(!wellFormed || charset != "UTF-8" || decoded == bytes);
    CheckDecode(bytes, declared);
    return 0;
}
