#include "collect/collector.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "collect/member_files.h"
#include "collector_harness.h"
#include "forum_pages.h"
#include "text/gbk.h"

namespace zelvor {
namespace {

using collect_testing::CollectorTest;
using collect_testing::Recorder;
using fake_forum::FakeForumConfig;

TEST_F(CollectorTest, PageLimitAndPageCountDecideThePagesRead) {
    StartForum({.forums = {{"十页吧", 240}, {"两页吧", 48}}});
    struct Case {
        const char* forum;
        std::optional<int> limit;
        size_t records;
        int pagesRead;
    };
    const Case cases[] = {
        {"十页吧", 3, 72, 3},
        {"两页吧", 3, 48, 2},
        {"十页吧", std::nullopt, 240, 10},
    };
    for (const Case& c : cases) {
        CollectOptions options = Options();
        options.pageLimit = c.limit;
        options.collectUserIds = false;
        int before = forum_->counters().memberPages;
        Recorder r = Collect({c.forum}, options);
        EXPECT_EQ(r.result.end, RunEnd::Finished) << r.result.reason;
        EXPECT_EQ(r.records.size(), c.records) << c.forum;
        EXPECT_EQ(forum_->counters().memberPages - before, c.pagesRead) << c.forum;
        EXPECT_EQ(forum_->PageRequests(c.forum, c.pagesRead + 1), 0) << c.forum;
        EXPECT_EQ(r.states[0], (std::vector<ForumState>{ForumState::Waiting, ForumState::Collecting,
                                                        ForumState::Finished}));
    }
    EXPECT_EQ(forum_->counters().homePages, 0);
}

TEST_F(CollectorTest, RecordsArriveInPageOrderWithTheirOwnIds) {
    StartForum({.forums = {{"甲吧", 100}, {"空吧", 0}}, .style = fake_forum::StyleMode::Mixed});
    CollectOptions options = Options();
    options.firstNumber = 7;
    // The second "甲吧" finds only members collected already and ends at its first page.
    Recorder r = Collect({"甲吧", "空吧", "甲吧"}, options);
    ASSERT_EQ(r.result.end, RunEnd::Finished) << r.result.reason;
    auto expected = fake_forum::MakeMembers("甲吧", 100, FakeForumConfig{}.seed);
    ASSERT_EQ(r.records.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const MemberRecord& got = r.records[i];
        EXPECT_EQ(got.number, static_cast<long long>(7 + i));
        EXPECT_EQ(got.nickname, expected[i].nickname);
        EXPECT_EQ(got.homeLink, fake_forum::HomeLink(expected[i]));
        EXPECT_EQ(r.ids[got.number], expected[i].userId) << got.nickname;
    }
    for (int f = 0; f < 3; ++f) {
        EXPECT_EQ(r.states[f].back(), ForumState::Finished) << f;
    }
    EXPECT_EQ(forum_->PageRequests("空吧", 1), 1);
    EXPECT_EQ(r.progress.members, 100);
    EXPECT_EQ(r.progress.userIds, 100);
}

TEST_F(CollectorTest, MembersCollectedBeforeAreSkippedButTheForumIsReadToItsEnd) {
    StartForum({.forums = {{"甲吧", 100}}});
    auto members = fake_forum::MakeMembers("甲吧", 100, FakeForumConfig{}.seed);
    CollectOptions options = Options();
    options.collectUserIds = false;
    options.firstNumber = 31;
    // A stopped run listed the first page and a bit of the second.
    for (size_t i = 0; i < 30; ++i) {
        options.collectedLinks.push_back(fake_forum::HomeLink(members[i]));
    }
    Recorder r = Collect({"甲吧"}, options);
    ASSERT_EQ(r.result.end, RunEnd::Finished) << r.result.reason;
    ASSERT_EQ(r.records.size(), 70u);
    EXPECT_EQ(r.records.front().number, 31);
    EXPECT_EQ(r.records.front().homeLink, fake_forum::HomeLink(members[30]));
    EXPECT_EQ(r.records.back().homeLink, fake_forum::HomeLink(members[99]));
    EXPECT_EQ(r.states[0].back(), ForumState::Finished);
}

TEST_F(CollectorTest, NeverAsksPastTheServedPages) {
    StartForum({.forums = {{"大吧", 53485}}});
    CollectOptions options = Options();
    options.pageLimit = std::nullopt;
    options.collectUserIds = false;
    options.concurrency = 8;
    Recorder r = Collect({"大吧"}, options);
    EXPECT_EQ(r.result.end, RunEnd::Finished);
    EXPECT_EQ(r.progress.pageCount, 2229);
    EXPECT_EQ(forum_->counters().highestPage, kMaxMemberPages);
    EXPECT_EQ(r.records.size(), static_cast<size_t>(kMaxMemberPages * fake_forum::kMembersPerPage));
}

TEST_F(CollectorTest, FailedRequestsAreRetriedOrSkippedAndCounted) {
    StartForum({.forums = {{"乱吧", 120}}, .failureRate = 0.3, .dropRate = 0.1});
    CollectOptions options = Options();
    options.tries = 8;
    Recorder patient = Collect({"乱吧"}, options);
    EXPECT_EQ(patient.result.end, RunEnd::Finished);
    EXPECT_EQ(patient.records.size(), 120u);
    EXPECT_EQ(patient.ids.size(), 120u);
    EXPECT_EQ(patient.progress.failures, 0);

    options.tries = 1;
    Recorder hasty = Collect({"乱吧"}, options);
    EXPECT_EQ(hasty.result.end, RunEnd::Finished);
    EXPECT_GT(hasty.progress.failures, 0);
    EXPECT_EQ(hasty.warnings.size(), static_cast<size_t>(hasty.progress.failures));
}

TEST_F(CollectorTest, RefusalsCoolDownThenEndTheRunWithoutFinishingTheForum) {
    StartForum({.forums = {{"守吧", 48}}, .refuse = 3});
    CollectOptions options = Options();
    Recorder recovered = Collect({"守吧"}, options);
    EXPECT_EQ(recovered.result.end, RunEnd::Finished);
    EXPECT_EQ(recovered.records.size(), 48u);

    StartForum({.forums = {{"守吧", 48}}, .refuse = 1000});
    options = Options();
    Recorder blocked = Collect({"守吧", "守吧"}, options);
    EXPECT_EQ(blocked.result.end, RunEnd::Failed);
    EXPECT_NE(blocked.result.reason.find("拒绝"), std::string::npos) << blocked.result.reason;
    EXPECT_EQ(blocked.states[0].back(), ForumState::NotStarted);
    EXPECT_EQ(blocked.states[1].back(), ForumState::NotStarted);
}

TEST_F(CollectorTest, StopKeepsEveryCollectedRecordSaved) {
    StartForum({.forums = {{"慢吧", 2400}}, .latency = std::chrono::milliseconds(30)});
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("zelvor-stop-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    CollectOptions options = Options();
    options.pageLimit = std::nullopt;
    options.saveFolder = folder.string();

    Recorder r;
    Collector collector({"慢吧", "后吧"}, options, r);
    collector.Start();
    ASSERT_TRUE(r.WaitForRecords(48));
    auto asked = std::chrono::steady_clock::now();
    collector.RequestStop();
    collector.Wait();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(3));

    EXPECT_EQ(r.result.end, RunEnd::Stopped);
    EXPECT_EQ(r.states[0].back(), ForumState::NotStarted);
    EXPECT_EQ(r.states[1].back(), ForumState::NotStarted);
    std::string names;
    for (const MemberRecord& m : r.records) {
        names += m.nickname + "\r\n";
    }
    std::ifstream in(folder / kNicknameFileName, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), Utf8ToGbk(names));
    std::filesystem::remove_all(folder);
}

TEST_F(CollectorTest, RealtimeFilesHoldEveryNicknameAndId) {
    StartForum({.forums = {{"存吧", 30}}});
    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("zelvor-save-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    CollectOptions options = Options();
    options.saveFolder = folder.string();
    options.concurrency = 1;  // one worker: IDs arrive in record order
    Recorder r = Collect({"存吧"}, options);
    ASSERT_EQ(r.result.end, RunEnd::Finished);
    std::string names, ids;
    for (const auto& m : fake_forum::MakeMembers("存吧", 30, FakeForumConfig{}.seed)) {
        names += m.nickname + "\r\n";
        ids += m.userId + "\r\n";
    }
    auto bytes = [&](const char* name) {
        std::ifstream in(folder / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    EXPECT_EQ(bytes(kNicknameFileName), Utf8ToGbk(names));
    EXPECT_EQ(bytes(kUserIdFileName), ids);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace zelvor
