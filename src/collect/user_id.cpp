#include "collect/user_id.h"

#include "text/html_entities.h"
#include "text/regex_matcher.h"

namespace zelvor {

std::string ParseUserId(std::string_view homePage) {
    thread_local RegexMatcher pattern(R"re(href="/im/pcmsg\?from=(.*?)")re");
    return pattern.Match(homePage) > 0 ? pattern.Capture(0, 1) : std::string();
}

UserIdLookup LookUpUserId(const ForumSite& site, const MemberRecord& record) {
    // The link is kept as the page wrote it; a browser would resolve "&amp;" before asking.
    std::string url = site.root + DecodeHtmlEntities(record.homeLink);
    UserIdLookup lookup{SendHttpRequest(ForumSiteRequest(site, std::move(url))), {}};
    lookup.userId = ParseUserId(lookup.response.body);
    return lookup;
}

}  // namespace zelvor
