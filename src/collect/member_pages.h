#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "web/http_request.h"

namespace zelvor {

inline constexpr std::string_view kDefaultForumSiteRoot = "http://tieba.baidu.com";
// The service never serves member pages past this, whatever its pager says.
inline constexpr int kMaxMemberPages = 500;

// A member or home page is a few hundred kilobytes; anything far past that is not one, and
// reading it would only cost memory.
inline constexpr size_t kMaxForumPageBytes = size_t{8} << 20;

// How requests to the forum service are made; shared by page reads and ID lookups.
struct ForumSite {
    std::string root{kDefaultForumSiteRoot};  // ForumSiteRoot: scheme and host, no trailing "/"
    std::string proxy;
    std::string proxyUser;
    std::string proxyPassword;
    HttpTimeouts timeouts;
    const std::atomic<bool>* cancel = nullptr;
};

// A GET of the URL with the site's connection settings and exactly the "Host" and
// "User-Agent" lines the service expects.
HttpRequest ForumSiteRequest(const ForumSite& site, std::string url);

std::string MemberPageUrl(std::string_view root, std::string_view forum, int page);
// One GET of a member-list page.
HttpResponse ReadMemberPage(const ForumSite& site, std::string_view forum, int page);

std::optional<int> ParsePageCount(std::string_view page);

struct ParsedMember {
    std::string homeLink;
    std::string nickname;
};
std::vector<ParsedMember> ParseMembers(std::string_view page);
bool IsEmptyForum(std::string_view page);

// Whether the service answered with one of its defences (rate limit, captcha, security check)
// instead of the page: not an empty forum, but a reason to back off.
bool IsRefusal(const HttpResponse& response);

// The page limit typed in "采集页数：": a positive whole number, else nullopt.
std::optional<int> ParsePageLimit(std::string_view text);
inline constexpr std::string_view kBadPageLimitMessage = "采集页数必须是大于0的整数，请重新填写。";

}  // namespace zelvor
