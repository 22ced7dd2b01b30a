// Any page text as the collector reads it: the page count and the user ID are the first ones
// a plain scan for their markup finds, members come out one line each, and the page-limit
// field takes exactly the positive whole numbers that fit.
#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

#include "collect/member_pages.h"
#include "collect/user_id.h"
#include "fuzz_check.h"

using zelvor::fuzz::HasLineBreak;
using zelvor::fuzz::IsWellFormedUtf8;

namespace {

// Where the markup stands in the page, first to last.
std::vector<size_t> Places(std::string_view page, std::string_view markup) {
    std::vector<size_t> places;
    for (size_t at = page.find(markup); at != std::string_view::npos;
         at = page.find(markup, at + 1)) {
        places.push_back(at);
    }
    return places;
}

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
    for (size_t at : Places(page, kOpen)) {
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
    for (size_t at : Places(page, kOpen)) {
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
    FUZZ_CHECK(members.size() <= Places(page, "<div class=\"name_wrap\">").size());
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
