// Any page text as the collector reads it: the page count and the user ID are the first ones
// a plain scan for their markup finds, members come out one line each, and the page-limit
// field takes exactly the positive whole numbers that fit.
#include <climits>
#include <optional>

#include "collect/member_pages.h"
#include "collect/user_id.h"
#include "fuzz_check.h"

using zelvor::fuzz::HasLineBreak;
using zelvor::fuzz::IsWellFormedUtf8;

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::optional<int> PositiveInt(std::string_view digits) {
    long long value = 0;
    for (char c : digits) {
        if (!IsDigit(c)) {
            return std::nullopt;
        }
        value = std::min<long long>(value * 10 + (c - '0'), 1LL + INT_MAX);
    }
    if (digits.empty() || value == 0 || value > INT_MAX) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

// The first pager "共<digits>页</" with any number of digits; its count when they make one.
std::optional<int> ScanPageCount(std::string_view page) {
    constexpr std::string_view kOpen = "tbui_total_page\">共";
    constexpr std::string_view kClose = "页</";
    for (size_t at = page.find(kOpen); at != std::string_view::npos;
         at = page.find(kOpen, at + 1)) {
        size_t from = at + kOpen.size();
        size_t to = from;
        while (to < page.size() && IsDigit(page[to])) {
            ++to;
        }
        if (to > from && page.substr(to).starts_with(kClose)) {
            return PositiveInt(page.substr(from, to - from));
        }
    }
    return std::nullopt;
}

// The text of the first message link that ends in a quote on its own line.
std::string ScanUserId(std::string_view page) {
    constexpr std::string_view kOpen = "href=\"/im/pcmsg?from=";
    for (size_t at = page.find(kOpen); at != std::string_view::npos;
         at = page.find(kOpen, at + 1)) {
        size_t from = at + kOpen.size();
        size_t quote = page.find('"', from);
        if (quote == std::string_view::npos) {
            break;
        }
        std::string_view id = page.substr(from, quote - from);
        if (!HasLineBreak(id) && IsWellFormedUtf8(id)) {
            return std::string(id);
        }
    }
    return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view page(reinterpret_cast<const char*>(data), size);

    FUZZ_CHECK(zelvor::ParsePageLimit(page) == PositiveInt(page));
    FUZZ_CHECK(zelvor::ParsePageCount(page) == ScanPageCount(page));
    FUZZ_CHECK(zelvor::ParseUserId(page) == ScanUserId(page));

    std::vector<zelvor::ParsedMember> members = zelvor::ParseMembers(page);
    size_t blocks = 0;
    for (size_t at = page.find("<div class=\"name_wrap\">"); at != std::string_view::npos;
         at = page.find("<div class=\"name_wrap\">", at + 1)) {
        ++blocks;
    }
    FUZZ_CHECK(members.size() <= blocks);
    for (const zelvor::ParsedMember& m : members) {
        FUZZ_CHECK(m.homeLink.starts_with("/home/main?un="));
        FUZZ_CHECK(page.find("<a href=\"" + m.homeLink + "\" class=\"user_name\" title=\"") !=
                   std::string_view::npos);
        FUZZ_CHECK(IsWellFormedUtf8(m.homeLink) && IsWellFormedUtf8(m.nickname));
        // Each member is one line of the real-time files.
        FUZZ_CHECK(!HasLineBreak(m.homeLink) && !HasLineBreak(m.nickname));
    }

    return 0;
}
