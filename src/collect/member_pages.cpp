#include "collect/member_pages.h"

#include <algorithm>
#include <charconv>
#include <functional>

#include "text/gbk.h"
#include "text/html_entities.h"
#include "text/regex_matcher.h"

namespace zelvor {

namespace {

// The pager and the member block. White space may stand between the block's div and its link:
// the service has served its pages both minified and indented.
constexpr std::string_view kPageCountPattern = R"(tbui_total_page">共(\d+)页</)";
// Every match of the page-count pattern starts with this text, which a plain search finds many
// times faster than the pattern's scan: the pager sits at the end of the page.
constexpr std::string_view kPageCountLead = R"(tbui_total_page">共)";
constexpr std::string_view kMemberPattern =
    R"re(<div class="name_wrap">\s*<a href="(/home/main\?un=.*?)" class="user_name" title="(.*?)")re";

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

constexpr std::string_view kMemberLinkClass = R"(class="user_name")";
constexpr std::string_view kEmptyForumNote = ">本吧暂时空无会员";

// Markup of the service's own pages: the member list, its pager, the empty-forum note, a home
// page's message link. Forum names and nicknames on them may read like anything, a refusal too.
bool IsContentPage(std::string_view page) {
    return Contains(page, kMemberLinkClass) || Contains(page, "tbui_total_page") ||
           Contains(page, kEmptyForumNote) || Contains(page, "/im/pcmsg?from=");
}

// Each member is one line of the real-time files, whatever character references the
// nickname holds.
std::string OneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return text;
}

}  // namespace

std::string MemberPageUrl(std::string_view root, std::string_view forum, int page) {
    return std::string(root) + "/bawu2/platform/listMemberInfo?word=" + PercentEncodeGbk(forum) +
           "&pn=" + std::to_string(page);
}

HttpRequest ForumSiteRequest(const ForumSite& site, std::string url) {
    HttpRequest request;
    request.url = std::move(url);
    request.headers = BrowserHeaderLines(site.root);
    request.proxy = site.proxy;
    request.proxyUser = site.proxyUser;
    request.proxyPassword = site.proxyPassword;
    request.timeouts = site.timeouts;
    request.cancel = site.cancel;
    request.maxBodyBytes = kMaxForumPageBytes;
    // A redirect from the service leads to its captcha; it must be seen, not followed.
    request.followRedirects = false;
    return request;
}

HttpResponse ReadMemberPage(const ForumSite& site, std::string_view forum, int page) {
    return SendHttpRequest(ForumSiteRequest(site, MemberPageUrl(site.root, forum, page)));
}

std::optional<int> ParsePageCount(std::string_view page) {
    static const std::boyer_moore_horspool_searcher lead(kPageCountLead.begin(),
                                                         kPageCountLead.end());
    const auto at = std::search(page.begin(), page.end(), lead);
    thread_local RegexMatcher pattern(kPageCountPattern);
    if (at == page.end() ||
        pattern.Match(page.substr(static_cast<size_t>(at - page.begin()))) == 0) {
        return std::nullopt;
    }
    return ParsePageLimit(pattern.Capture(0, 1));
}

std::vector<ParsedMember> ParseMembers(std::string_view page) {
    thread_local RegexMatcher pattern(kMemberPattern, false, false, false, true);
    int count = pattern.Match(page);
    std::vector<ParsedMember> members;
    members.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        members.push_back(
            {pattern.Capture(i, 1), OneLine(DecodeHtmlEntities(pattern.Capture(i, 2)))});
    }
    return members;
}

bool IsEmptyForum(std::string_view page) {
    // A forum or member may be named after the note; a page listing members is never empty.
    return Contains(page, kEmptyForumNote) && !Contains(page, kMemberLinkClass);
}

bool IsRefusal(const HttpResponse& response) {
    if (response.status == 429) {
        return true;
    }
    const std::string& to = response.location;
    if (Contains(to, "passport") || Contains(to, "captcha") || Contains(to, "wappass")) {
        return true;
    }
    return !IsContentPage(response.body) && (Contains(response.body, "百度安全验证") ||
                                             Contains(response.body, "网络不给力，请稍后重试"));
}

std::optional<int> ParsePageLimit(std::string_view text) {
    int value = 0;
    if (text.empty() || text.front() < '0' || text.front() > '9') {
        return std::nullopt;
    }
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value <= 0) {
        return std::nullopt;
    }
    return value;
}

}  // namespace zelvor
