#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Pages in the forum service's markup, for the fake forum server, tests and benchmarks.
namespace zelvor::fake_forum {

struct FakeMember {
    std::string userName;  // the account name carried in the home link
    std::string nickname;  // shown to users; may hold "&", "<", quotes and emoji
    std::string userId;
};

// The service's layouts: everything on one line, or tags on lines of their own, indented.
enum class PageStyle { Minified, Indented };

constexpr int kMembersPerPage = 24;

// The same forum name, count and seed always give the same members. User names carry the
// forum and the member's index, so names never clash across forums and a server can find the
// member behind a home link.
std::vector<FakeMember> MakeMembers(std::string_view forum, int count, uint32_t seed);

struct MemberPlace {
    std::string forum;
    int index = 0;
};
// Where MakeMembers put the member with this user name; nothing for names it cannot have made.
std::optional<MemberPlace> FindMemberPlace(std::string_view userName);

// The home link of a member as the member list shows it.
std::string HomeLink(const FakeMember& member);

// A member-list page (UTF-8; the server sends it as GBK) with the pager's page count.
std::string RenderMemberPage(std::string_view forum, int page, int pageCount,
                             std::span<const FakeMember> members, PageStyle style);
std::string RenderEmptyForumPage(std::string_view forum);
// A member's home page holding the private-message link with the user ID.
std::string RenderHomePage(const FakeMember& member);

// A full page of a typical forum in the given style, for measurements.
std::string SampleMemberPage(PageStyle style);
// The home page the service shows for a user name it does not know: no private-message link.
std::string RenderUnknownUserPage();

// The service's answers when it suspects a robot, sent with status 200 in place of the page.
std::string RenderSecurityCheckPage();
std::string RenderNetworkBusyPage();

}  // namespace zelvor::fake_forum
