#pragma once

#include <string>

namespace zelvor {

struct MemberRecord {
    long long number = 0;  // shown in the "编号" column; runs on across forums
    std::string nickname;  // as users see it, character references decoded
    std::string homeLink;  // site-relative, always starting "/home/main?un="
    std::string userId;    // empty until looked up
};

}  // namespace zelvor
