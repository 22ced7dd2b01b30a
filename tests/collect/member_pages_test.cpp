#include "collect/member_pages.h"

#include <gtest/gtest.h>

#include "collect/user_id.h"
#include "forum_pages.h"

namespace zelvor {
namespace {

using fake_forum::PageStyle;

TEST(MemberPagesTest, UrlEncodesTheForumNameAsGbk) {
    EXPECT_EQ(MemberPageUrl("http://tieba.baidu.com", "李毅", 3),
              "http://tieba.baidu.com/bawu2/platform/listMemberInfo?word=%C0%EE%D2%E3&pn=3");
    EXPECT_EQ(MemberPageUrl("http://h", "a&pn=9#", 1),
              "http://h/bawu2/platform/listMemberInfo?word=a%26pn%3D9%23&pn=1");
    EXPECT_EQ(UrlHost("http://127.0.0.1:8080"), "127.0.0.1:8080");
    EXPECT_EQ(UrlHost("http://tieba.baidu.com/x?y"), "tieba.baidu.com");
}

TEST(MemberPagesTest, BothPageStylesYieldTheMembersAndThePageCount) {
    auto members = fake_forum::MakeMembers("吧", fake_forum::kMembersPerPage, 3);
    for (PageStyle style : {PageStyle::Minified, PageStyle::Indented}) {
        std::string page = fake_forum::RenderMemberPage("吧", 2, 2229, members, style);
        EXPECT_EQ(ParsePageCount(page), 2229);
        std::vector<ParsedMember> parsed = ParseMembers(page);
        ASSERT_EQ(parsed.size(), members.size());
        for (size_t i = 0; i < parsed.size(); ++i) {
            EXPECT_EQ(parsed[i].nickname, members[i].nickname);  // references decoded
            EXPECT_EQ(parsed[i].homeLink, fake_forum::HomeLink(members[i]));
        }
        EXPECT_FALSE(IsEmptyForum(page));
    }
}

TEST(MemberPagesTest, PagesWithoutMembers) {
    std::string empty = fake_forum::RenderEmptyForumPage("空吧");
    EXPECT_TRUE(IsEmptyForum(empty));
    EXPECT_TRUE(ParseMembers(empty).empty());
    EXPECT_EQ(ParsePageCount(empty), std::nullopt);
    EXPECT_TRUE(ParseMembers("<div class=\"name_wrap\"><a href=\"/home/main?un=a\" "
                             "class=\"user_name\" title=\"broken\nname\">")
                    .empty());
}

// A forum or member may be named after the service's notes; the page stays what it is.
TEST(MemberPagesTest, NamesReadingLikeTheServicesNotesChangeNothing) {
    auto page = [](long status, std::string body) {
        HttpResponse r;
        r.status = status;
        r.body = std::move(body);
        return r;
    };
    for (const char* name : {"百度安全验证", "网络不给力，请稍后重试", "本吧暂时空无会员"}) {
        auto members = fake_forum::MakeMembers("吧", 3, 1);
        members[0].nickname = name;
        std::string list = fake_forum::RenderMemberPage(name, 1, 1, members, PageStyle::Minified);
        EXPECT_FALSE(IsRefusal(page(200, list))) << name;
        EXPECT_FALSE(IsEmptyForum(list)) << name;
        EXPECT_EQ(ParseMembers(list).size(), 3u) << name;
        EXPECT_FALSE(IsRefusal(page(200, fake_forum::RenderHomePage(members[0])))) << name;
        std::string empty = fake_forum::RenderEmptyForumPage(name);
        EXPECT_FALSE(IsRefusal(page(200, empty))) << name;
        EXPECT_TRUE(IsEmptyForum(empty)) << name;
    }
}

TEST(MemberPagesTest, NicknameLineBreakReferencesBecomeBlanks) {
    std::vector<ParsedMember> parsed = ParseMembers(
        R"(<div class="name_wrap"><a href="/home/main?un=a" class="user_name" title="a&#13;&#10;b&#x0A;c">)");
    ASSERT_EQ(parsed.size(), 1u);
    EXPECT_EQ(parsed[0].nickname, "a  b c");
}

TEST(MemberPagesTest, UserIdIsTheFirstMessageLink) {
    EXPECT_EQ(ParseUserId(R"(<a href="/im/pcmsg?from=111">x</a><a href="/im/pcmsg?from=222">)"),
              "111");
    EXPECT_EQ(ParseUserId("<html>no link</html>"), "");
}

TEST(MemberPagesTest, PageLimitMustBeAPositiveWholeNumber) {
    EXPECT_EQ(ParsePageLimit("10"), 10);
    EXPECT_EQ(ParsePageLimit("007"), 7);
    for (const char* bad : {"", "0", "-3", "1-2", "abc", "3 ", " 3", "99999999999", "+1"}) {
        EXPECT_EQ(ParsePageLimit(bad), std::nullopt) << bad;
    }
}

TEST(MemberPagesTest, RefusalsAreRecognised) {
    auto response = [](long status, std::string location, std::string body) {
        HttpResponse r;
        r.status = status;
        r.location = std::move(location);
        r.body = std::move(body);
        return r;
    };
    EXPECT_TRUE(IsRefusal(response(429, "", "")));
    EXPECT_TRUE(IsRefusal(response(302, "https://wappass.baidu.com/static/captcha/x", "")));
    EXPECT_TRUE(IsRefusal(response(200, "", "<title>百度安全验证</title>")));
    EXPECT_TRUE(IsRefusal(response(200, "", "网络不给力，请稍后重试")));
    EXPECT_FALSE(IsRefusal(response(200, "", fake_forum::RenderEmptyForumPage("x"))));
    EXPECT_FALSE(IsRefusal(response(302, "/home/main?un=a", "")));
}

}  // namespace
}  // namespace zelvor
