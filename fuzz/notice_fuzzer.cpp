// The notice file: a notice marked anywhere in a text is found whole, and what comes out is
// one line of well-formed text with a web link or none.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz_check.h"
#include "notice/notice.h"

using zelvor::fuzz::HasLineBreak;
using zelvor::fuzz::IsWellFormedUtf8;

namespace {

void CheckShape(const zelvor::Notice& notice) {
    FUZZ_CHECK(IsWellFormedUtf8(notice.text) && IsWellFormedUtf8(notice.link));
    FUZZ_CHECK(!HasLineBreak(notice.text) && !HasLineBreak(notice.link));
    FUZZ_CHECK(notice.link.empty() || notice.link.starts_with("http://") ||
               notice.link.starts_with("https://"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    std::string before = provider.ConsumeRandomLengthString(100);
    std::string text = zelvor::fuzz::TypedText(provider.ConsumeRandomLengthString(100));
    std::string link = zelvor::fuzz::TypedText(provider.ConsumeRandomLengthString(100));
    std::string after = provider.ConsumeRemainingBytesAsString();

    std::string file = before + after;
    if (std::optional<zelvor::Notice> notice = zelvor::ParseNotice(file)) {
        CheckShape(*notice);
        FUZZ_CHECK(file.find("@1" + notice->text + "#1" + notice->link) != std::string::npos);
    }

    // A notice whose parts hold no marker, after text that opens none.
    std::erase(text, '@');
    std::erase(text, '#');
    std::erase(link, '@');
    if (before.find("@1") != std::string::npos) {
        return 0;
    }
    std::optional<zelvor::Notice> notice =
        zelvor::ParseNotice(before + "@1" + text + "#1" + link + "@1" + after);
    FUZZ_CHECK(notice);
    CheckShape(*notice);
    FUZZ_CHECK(notice->text == text);
    bool web = link.starts_with("http://") || link.starts_with("https://");
    FUZZ_CHECK(notice->link == (web ? link : ""));
    return 0;
}
