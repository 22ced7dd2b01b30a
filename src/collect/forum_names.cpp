#include "collect/forum_names.h"

#include <unordered_set>

namespace zelvor {

namespace {

// ASCII blanks and the full-width space that Chinese input methods type.
std::string_view Trim(std::string_view s) {
    constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
    bool trimmed = true;
    while (trimmed) {
        trimmed = false;
        while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
            s.remove_prefix(1);
            trimmed = true;
        }
        while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) {
            s.remove_suffix(1);
            trimmed = true;
        }
        if (s.starts_with(kIdeographicSpace)) {
            s.remove_prefix(kIdeographicSpace.size());
            trimmed = true;
        }
        if (s.ends_with(kIdeographicSpace)) {
            s.remove_suffix(kIdeographicSpace.size());
            trimmed = true;
        }
    }
    return s;
}

}  // namespace

ForumNames SplitForumNames(std::string_view text, const std::vector<std::string>& queued) {
    ForumNames result;
    // Views into queued and text, which outlive the set: no name is copied to be compared.
    std::unordered_set<std::string_view> seen(queued.begin(), queued.end());
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        std::string_view line =
            text.substr(start, end == std::string_view::npos ? end : end - start);
        std::string_view name = Trim(line);
        if (!name.empty() && seen.insert(name).second) {
            result.added.emplace_back(name);
        } else if (!name.empty()) {
            ++result.skipped;
        }
        if (end == std::string_view::npos) {
            break;
        }
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return result;
}

}  // namespace zelvor
