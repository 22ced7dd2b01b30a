#include "fake_forum.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <functional>
#include <optional>
#include <stdexcept>
#include <thread>
#include <vector>

#include "forum_pages.h"
#include "loopback_server.h"
#include "text/gbk.h"
#include "text/regex_matcher.h"

namespace zelvor::fake_forum {
namespace {

constexpr uint32_t kSeed = 7;

// The collector's own patterns, read by a client that shares no code with the collector.
struct ParsedPage {
    int status = 0;
    std::string text;  // UTF-8
    std::optional<int> pageCount;
    std::vector<std::string> links;
};

std::string MemberPageTarget(std::string_view forum, std::optional<std::string> pn) {
    return "/bawu2/platform/listMemberInfo?word=" + PercentEncodeGbk(forum) +
           (pn ? "&pn=" + *pn : "");
}

httplib::Result Get(const FakeForum& server, const std::string& target) {
    httplib::Client client("127.0.0.1", server.port());
    client.set_read_timeout(std::chrono::seconds(10));
    return client.Get(target);
}

ParsedPage Fetch(const FakeForum& server, const std::string& target) {
    httplib::Result result = Get(server, target);
    if (!result) {
        ADD_FAILURE() << "no answer for " << target;
        return {};
    }
    ParsedPage page{result->status, GbkToUtf8(result->body), std::nullopt, {}};
    RegexMatcher total(R"(tbui_total_page">共(\d+)页</)", false, false, false, true);
    if (total.Match(page.text) > 0) {
        page.pageCount = std::stoi(total.Capture(0, 1));
    }
    RegexMatcher member(
        R"re(<div class="name_wrap">\s*<a href="(/home/main\?un=.*?)" class="user_name" title="(.*?)")re",
        false, false, false, true);
    for (int i = 0, n = member.Match(page.text); i < n; ++i) {
        page.links.push_back(member.Capture(i, 1));
    }
    return page;
}

std::string UserIdIn(const std::string& text) {
    RegexMatcher id(R"re(href="/im/pcmsg\?from=(.*?)")re");
    return id.Match(text) > 0 ? id.Capture(0, 1) : "";
}

std::vector<std::string> LinksOf(std::string_view forum, int count, int first, int n) {
    std::vector<FakeMember> members = MakeMembers(forum, count, kSeed);
    std::vector<std::string> links;
    for (int i = first; i < first + n; ++i) {
        links.push_back(HomeLink(members[static_cast<size_t>(i)]));
    }
    return links;
}

std::unique_ptr<FakeForum> StartForum(FakeForumConfig config) {
    config.seed = kSeed;
    auto server = std::make_unique<FakeForum>(std::move(config));
    server->Start();
    return server;
}

TEST(FakeForumTest, ServesPagesUpToTheLimitAndTheLastPage) {
    auto server = StartForum({.forums = {{"李毅", 53485}, {"小吧", 50}}});
    struct Case {
        const char* forum;
        std::optional<std::string> pn;
        int firstMember;  // on the page served
        int members;
    };
    const Case cases[] = {
        {"小吧", "1", 0, 24},          {"小吧", "3", 48, 2},   {"小吧", "4", 0, 0},
        {"小吧", std::nullopt, 0, 24}, {"小吧", "x7", 0, 24},  {"小吧", "0", 0, 24},
        {"李毅", "500", 11976, 24},    {"李毅", "501", 0, 24}, {"李毅", "2229", 0, 24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.forum) + " pn=" + c.pn.value_or("(none)"));
        ParsedPage page = Fetch(*server, MemberPageTarget(c.forum, c.pn));
        EXPECT_EQ(page.status, 200);
        EXPECT_EQ(page.pageCount, std::string_view(c.forum) == "小吧" ? 3 : 2229);
        int count = std::string_view(c.forum) == "小吧" ? 50 : 53485;
        EXPECT_EQ(page.links, LinksOf(c.forum, count, c.firstMember, c.members));
    }
    EXPECT_EQ(server->counters().memberPages.load(), static_cast<int>(std::size(cases)));
    EXPECT_EQ(server->PageRequests("小吧", 1), 4);
    EXPECT_EQ(server->PageRequests("李毅", 501), 1);
    EXPECT_EQ(server->counters().highestPage.load(), 2229);
}

TEST(FakeForumTest, PastTheLimitCanAnswerWithAnEmptyList) {
    auto server =
        StartForum({.forums = {{"李毅", 53485}}, .pastLimit = PastLimitAnswer::EmptyList});
    ParsedPage page = Fetch(*server, MemberPageTarget("李毅", "501"));
    EXPECT_EQ(page.pageCount, 2229);
    EXPECT_TRUE(page.links.empty());
}

TEST(FakeForumTest, EmptyForumGetsTheEmptyForumPage) {
    auto server = StartForum({.forums = {{"空吧", 0}}});
    ParsedPage page = Fetch(*server, MemberPageTarget("空吧", "1"));
    EXPECT_NE(page.text.find(">本吧暂时空无会员"), std::string::npos);
    EXPECT_TRUE(page.links.empty());
}

TEST(FakeForumTest, MixedStyleAlternatesMinifiedAndIndentedPages) {
    auto server = StartForum({.style = StyleMode::Mixed});
    RegexMatcher strict(R"re(<div class="name_wrap"><a href="(/home/main\?un=.*?)")re", false,
                        false, false, true);
    ParsedPage first = Fetch(*server, MemberPageTarget("甲", "1"));
    ParsedPage second = Fetch(*server, MemberPageTarget("甲", "2"));
    EXPECT_EQ(strict.Match(first.text), 24);
    EXPECT_EQ(strict.Match(second.text), 0);
    EXPECT_EQ(second.links.size(), 24u);
}

TEST(FakeForumTest, HomeLinksOnPagesLeadToTheirOwnUserIds) {
    auto server = StartForum({.defaultMembers = 30});
    // Two forums, so members at the same place in each must not be mixed up.
    for (const char* forum : {"甲", "乙"}) {
        std::vector<FakeMember> members = MakeMembers(forum, 30, kSeed);
        ParsedPage page = Fetch(*server, MemberPageTarget(forum, "2"));
        ASSERT_EQ(page.links.size(), 6u);
        for (size_t i = 0; i < page.links.size(); ++i) {
            EXPECT_EQ(UserIdIn(Fetch(*server, page.links[i]).text), members[24 + i].userId);
        }
    }
    // A forum never listed is found too; names no member has yield no ID.
    EXPECT_EQ(UserIdIn(Fetch(*server, HomeLink(MakeMembers("丙", 30, kSeed)[29])).text),
              MakeMembers("丙", 30, kSeed)[29].userId);
    for (const char* name : {"u小30_甲", "u3_甲", "nobody", ""}) {
        EXPECT_EQ(UserIdIn(Fetch(*server, HomeLink({.userName = name})).text), "") << name;
    }
    EXPECT_EQ(server->counters().homePages.load(), 17);
}

TEST(FakeForumTest, RefusesTheFirstMemberPagesTheWaysTheServiceDoes) {
    auto server = StartForum({.refuse = 4});
    FakeMember member = MakeMembers("甲", 1, kSeed)[0];
    EXPECT_EQ(UserIdIn(Fetch(*server, HomeLink(member)).text), member.userId);

    std::string target = MemberPageTarget("甲", "1");
    httplib::Result tooMany = Get(*server, target);
    ASSERT_TRUE(tooMany);
    EXPECT_EQ(tooMany->status, 429);
    httplib::Result captcha = Get(*server, target);
    ASSERT_TRUE(captcha);
    EXPECT_EQ(captcha->status, 302);
    EXPECT_TRUE(captcha->get_header_value("Location")
                    .starts_with("https://wappass.baidu.com/static/captcha/"));
    for (const char* says : {"<title>百度安全验证</title>", "网络不给力，请稍后重试"}) {
        ParsedPage page = Fetch(*server, target);
        EXPECT_EQ(page.status, 200);
        EXPECT_NE(page.text.find(says), std::string::npos) << says;
        EXPECT_TRUE(page.links.empty());
    }
    EXPECT_EQ(Fetch(*server, target).links.size(), 24u);
    EXPECT_EQ(server->counters().refused.load(), 4);
}

// Each of 20 pages asked for twice, as a collector retrying would.
std::vector<int> StatusesWithFailureRate(double rate, uint32_t seed) {
    FakeForum server({.defaultMembers = 20 * kMembersPerPage, .seed = seed, .failureRate = rate});
    server.Start();
    std::vector<int> statuses;
    for (int pn = 1; pn <= 20; ++pn) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            statuses.push_back(Fetch(server, MemberPageTarget("甲", std::to_string(pn))).status);
        }
    }
    EXPECT_EQ(server.counters().failed.load(), std::count(statuses.begin(), statuses.end(), 500));
    return statuses;
}

TEST(FakeForumTest, FailureRateRepeatsWithTheSeed) {
    std::vector<int> statuses = StatusesWithFailureRate(0.4, 1);
    EXPECT_EQ(statuses, StatusesWithFailureRate(0.4, 1));
    EXPECT_NE(statuses, StatusesWithFailureRate(0.4, 2));
    auto failed = std::count(statuses.begin(), statuses.end(), 500);
    EXPECT_GT(failed, 4);
    EXPECT_LT(failed, 28);
    bool retrySucceeded = false;
    for (size_t i = 0; i < statuses.size(); i += 2) {
        retrySucceeded = retrySucceeded || (statuses[i] == 500 && statuses[i + 1] == 200);
    }
    EXPECT_TRUE(retrySucceeded);
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), 200) + failed, std::ssize(statuses));
    std::vector<int> allFailed = StatusesWithFailureRate(1, 1);
    EXPECT_EQ(std::count(allFailed.begin(), allFailed.end(), 500), std::ssize(allFailed));
}

TEST(FakeForumTest, DroppedConnectionsGetNoAnswer) {
    auto server = StartForum({.dropRate = 1});
    httplib::Result result = Get(*server, MemberPageTarget("甲", "1"));
    EXPECT_FALSE(result);
    EXPECT_GE(server->counters().dropped.load(), 1);
}

TEST(FakeForumTest, SlowBodiesArriveWholeAfterTheLatency) {
    auto slow = StartForum({.latency = std::chrono::milliseconds(100),
                            .slowRate = 1,
                            .slowPause = std::chrono::milliseconds(20)});
    auto plain = StartForum({});
    auto start = std::chrono::steady_clock::now();
    httplib::Result slowPage = Get(*slow, MemberPageTarget("甲", "1"));
    auto elapsed = std::chrono::steady_clock::now() - start;
    httplib::Result plainPage = Get(*plain, MemberPageTarget("甲", "1"));
    ASSERT_TRUE(slowPage && plainPage);
    EXPECT_EQ(slowPage->body, plainPage->body);
    EXPECT_EQ(slowPage->get_header_value("Content-Type"), "text/html");
    EXPECT_GE(elapsed, std::chrono::milliseconds(100 + 7 * 20));
    EXPECT_EQ(slow->counters().slowed.load(), 1);
}

TEST(FakeForumTest, BrokenAnswersBreakTheWayTheirSwitchSays) {
    using Check = std::function<void(const httplib::Result&)>;
    auto fails = [](const httplib::Result& r) { EXPECT_FALSE(r); };
    struct Case {
        const char* name;
        FakeForumConfig config;
        std::atomic<int> FakeForum::Counters::*counter;
        Check check;
    };
    const Case cases[] = {
        {"burst",
         {.burstRate = 1},
         &FakeForum::Counters::burst,
         [](const httplib::Result& r) {
             ASSERT_TRUE(r);
             EXPECT_TRUE(r->status == 500 || r->status == 429) << r->status;
         }},
        {"cut", {.cutRate = 1}, &FakeForum::Counters::cut, fails},
        {"truncate", {.truncateRate = 1}, &FakeForum::Counters::truncated, fails},
        {"late",
         {.lateRate = 1, .lateBy = std::chrono::milliseconds(600)},
         &FakeForum::Counters::late,
         fails},
        {"loop",
         {.loopRate = 1},
         &FakeForum::Counters::looped,
         [](const httplib::Result& r) {
             ASSERT_TRUE(r);
             EXPECT_EQ(r->status, 302);
             // httplib's client hands the Location over decoded.
             EXPECT_EQ(r->get_header_value("Location"),
                       "/bawu2/platform/listMemberInfo?word=" + Utf8ToGbk("甲") + "&pn=1");
         }},
        {"huge",
         {.hugeRate = 1, .hugeBytes = 1 << 20},
         &FakeForum::Counters::huge,
         [](const httplib::Result& r) {
             ASSERT_TRUE(r);
             EXPECT_EQ(r->body.size(), 1u << 20);
             EXPECT_NE(r->body.find("tbui_total_page"), std::string::npos);
             EXPECT_TRUE(r->body.ends_with("    "));
         }},
        {"none",
         {},
         nullptr,
         [](const httplib::Result& r) {
             ASSERT_TRUE(r);
             EXPECT_EQ(r->status, 200);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto server = StartForum(c.config);
        httplib::Client client("127.0.0.1", server->port());
        client.set_read_timeout(std::chrono::milliseconds(300));
        c.check(client.Get(MemberPageTarget("甲", "1")));
        if (c.counter != nullptr) {
            EXPECT_EQ((server->counters().*c.counter).load(), 1);
        }
        EXPECT_EQ(server->PageServed("甲", 1), c.counter == nullptr);
    }
}

TEST(FakeForumTest, BurstsHitWholeRunsOfRequests) {
    auto server = StartForum({.burstRate = 0.5, .burstLength = 4});
    std::vector<bool> broken;
    for (int i = 0; i < 40; ++i) {
        broken.push_back(Fetch(*server, MemberPageTarget("甲", "1")).status != 200);
    }
    for (size_t run = 0; run < 40; run += 4) {
        EXPECT_EQ(std::count(broken.begin() + run, broken.begin() + run + 4, broken[run]), 4);
    }
    auto count = std::count(broken.begin(), broken.end(), true);
    EXPECT_GT(count, 0);
    EXPECT_LT(count, 40);
    EXPECT_EQ(server->counters().burst.load(), count);
}

TEST(FakeForumTest, GivenNicknamesAndKeptQueries) {
    const std::vector<std::string> nicknames{"<b>x</b>", "行一\n行二"};
    auto server =
        StartForum({.forums = {{"甲", 3}}, .nicknames = {{"甲", nicknames}}, .keepQueries = true});
    std::string target = MemberPageTarget("甲", "1");
    ParsedPage page = Fetch(*server, target);
    EXPECT_NE(page.text.find(R"(title="&lt;b&gt;x&lt;/b&gt;")"), std::string::npos);
    EXPECT_NE(page.text.find(R"(title="行一&#10;行二")"), std::string::npos);
    EXPECT_EQ(page.links.size(), 3u);
    const FakeForum::Query asked{{"word", Utf8ToGbk("甲")}, {"pn", "1"}};
    EXPECT_EQ(server->Queries(), std::vector<FakeForum::Query>{asked});
    EXPECT_TRUE(server->PageServed("甲", 1));
    EXPECT_FALSE(server->HomePageServed(MakeMembers("甲", 3, kSeed)[0].userName));
    Fetch(*server, page.links[0]);
    EXPECT_TRUE(server->HomePageServed(MakeMembers("甲", 3, kSeed)[0].userName));
}

TEST(FakeForumTest, ServesTheNoticeAndNothingElse) {
    auto server = StartForum({.notice = "@1今天维护#1http://example.invalid/@1"});
    httplib::Result notice = Get(*server, "/Soft_Notice.txt");
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->body, Utf8ToGbk("@1今天维护#1http://example.invalid/@1"));
    for (const char* target : {"/", "/bawu2/platform/listMemberInfo?pn=1", "/home/other"}) {
        httplib::Result result = Get(*server, target);
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 404) << target;
    }
}

TEST(FakeForumTest, AnswersConcurrentRequests) {
    auto server = StartForum({.defaultMembers = 12 * kMembersPerPage});
    std::vector<std::thread> clients;
    std::atomic<int> fullPages{0};
    for (int t = 0; t < 8; ++t) {
        clients.emplace_back([&] {
            httplib::Client client("127.0.0.1", server->port());
            for (int pn = 1; pn <= 12; ++pn) {
                httplib::Result r = client.Get(MemberPageTarget("甲", std::to_string(pn)));
                fullPages +=
                    r && r->status == 200 && r->body.find("tbui_total_page") != std::string::npos;
            }
        });
    }
    for (std::thread& t : clients) {
        t.join();
    }
    EXPECT_EQ(fullPages.load(), 96);
    EXPECT_EQ(server->counters().memberPages.load(), 96);
    EXPECT_EQ(server->PageRequests("甲", 12), 8);
}

TEST(FakeForumTest, ListensOnAGivenPortUnlessItIsTaken) {
    int port = testing_support::UnusedPort();
    auto first = StartForum({.port = port});
    EXPECT_EQ(first->port(), port);
    EXPECT_TRUE(Get(*first, "/Soft_Notice.txt"));
    FakeForum second({.port = port});
    EXPECT_THROW(second.Start(), std::runtime_error);
}

TEST(FakeForumTest, RefusesConfigsThatMakeNoSense) {
    const FakeForumConfig bad[] = {
        {.port = 70000},
        {.defaultMembers = -1},
        {.forums = {{"", 3}}},
        {.forums = {{"甲", -2}}},
        {.failureRate = 1.5},
        {.dropRate = -0.1},
        {.slowRate = std::nan("")},
        {.latency = std::chrono::milliseconds(-1)},
        {.refuse = -1},
        {.threads = 0},
        {.burstRate = 2},
        {.burstLength = 0},
        {.lateBy = std::chrono::milliseconds(-5)},
        {.hugeRate = -1},
    };
    for (const FakeForumConfig& config : bad) {
        EXPECT_FALSE(ConfigError(config).empty());
        EXPECT_THROW(FakeForum{config}, std::invalid_argument);
    }
    EXPECT_EQ(ConfigError({}), "");
}

}  // namespace
}  // namespace zelvor::fake_forum
