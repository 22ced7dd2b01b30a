#pragma once

#include <string>
#include <string_view>

#include "collect/member_pages.h"
#include "collect/member_record.h"

namespace zelvor {

// The first capture of the private-message link on a home page; "" when there is none.
std::string ParseUserId(std::string_view homePage);

struct UserIdLookup {
    HttpResponse response;
    std::string userId;
};

// One GET of the member's home page (ForumSiteRoot followed by the home link).
UserIdLookup LookUpUserId(const ForumSite& site, const MemberRecord& record);

}  // namespace zelvor
