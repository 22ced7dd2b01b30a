// A forum-name file as a user gives it: any bytes come out as well-formed UTF-8, UTF-8 stays
// as it is, and the names split from it are one trimmed line each, none twice.
#include <fuzzer/FuzzedDataProvider.h>

#include <set>

#include "collect/forum_names.h"
#include "fuzz_check.h"
#include "text/text_file.h"

using zelvor::fuzz::IsWellFormedUtf8;

namespace {

constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";

bool IsBlankAt(std::string_view name, bool front) {
    if (name.empty()) {
        return false;
    }
    char c = front ? name.front() : name.back();
    return c == ' ' || c == '\t' ||
           (front ? name.starts_with(kIdeographicSpace) : name.ends_with(kIdeographicSpace));
}

bool IsBlankLine(std::string_view line) {
    while (!line.empty()) {
        if (line.front() == ' ' || line.front() == '\t') {
            line.remove_prefix(1);
        } else if (line.starts_with(kIdeographicSpace)) {
            line.remove_prefix(kIdeographicSpace.size());
        } else {
            return false;
        }
    }
    return true;
}

// Lines with something besides blanks, split at CR LF, LF or CR.
size_t FilledLines(std::string_view text) {
    size_t filled = 0;
    for (bool more = true; more;) {
        size_t end = text.find_first_of("\r\n");
        filled += IsBlankLine(text.substr(0, end)) ? 0 : 1;
        more = end != std::string_view::npos;
        text.remove_prefix(more ? end + (text.substr(end, 2) == "\r\n" ? 2 : 1) : text.size());
    }
    return filled;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    std::vector<std::string> queued;
    for (int n = provider.ConsumeIntegralInRange(0, 3); n > 0; --n) {
        queued.push_back(provider.ConsumeRandomLengthString(20));
    }
    std::string bytes = provider.ConsumeRemainingBytesAsString();

    std::string text = zelvor::DecodeUserText(bytes);
    FUZZ_CHECK(IsWellFormedUtf8(text));
    bool marked = bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") ||
                  bytes.starts_with("\xFE\xFF");
    if (!marked && IsWellFormedUtf8(bytes)) {
        FUZZ_CHECK(text == bytes);
    }

    zelvor::ForumNames names = zelvor::SplitForumNames(text, queued);
    std::set<std::string> seen(queued.begin(), queued.end());
    for (const std::string& name : names.added) {
        FUZZ_CHECK(!name.empty() && !zelvor::fuzz::HasLineBreak(name));
        FUZZ_CHECK(!IsBlankAt(name, true) && !IsBlankAt(name, false));
        FUZZ_CHECK(IsWellFormedUtf8(name));
        FUZZ_CHECK(seen.insert(name).second);
    }
    FUZZ_CHECK(names.added.size() + static_cast<size_t>(names.skipped) == FilledLines(text));
    return 0;
}
