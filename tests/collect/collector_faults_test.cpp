// The run against a service that misbehaves for as long as it talks, and against a user who
// stops it at any moment: it ends by itself, loses and repeats nothing it was served, and its
// files hold exactly what it reported.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <thread>

#include "collect/collector.h"
#include "collect/member_files.h"
#include "collector_harness.h"
#include "forum_pages.h"
#include "text/gbk.h"
#include "web/http_request.h"

namespace zelvor {
namespace {

namespace fs = std::filesystem;
using collect_testing::CollectorTest;
using collect_testing::FileBytes;
using collect_testing::Recorder;
using fake_forum::FakeForum;
using fake_forum::FakeForumConfig;
using fake_forum::FakeMember;
using fake_forum::kMembersPerPage;
using namespace std::chrono_literals;

// Three pages, two, none at all, and one.
const std::vector<std::pair<std::string, int>> kForums{
    {"甲吧", 72}, {"乙吧", 30}, {"丙吧", 0}, {"丁吧", 24}};

std::vector<std::string> ForumNames() {
    std::vector<std::string> names;
    for (const auto& forum : kForums) {
        names.push_back(forum.first);
    }
    return names;
}

bool AnyHolds(const std::vector<std::string>& messages, const std::string& part) {
    return std::any_of(messages.begin(), messages.end(),
                       [&](const std::string& m) { return m.find(part) != std::string::npos; });
}

size_t ThreadCount() {
    return static_cast<size_t>(std::distance(fs::directory_iterator("/proc/self/task"), {}));
}

class CollectorFaultTest : public CollectorTest {
  protected:
    FakeForumConfig ForumConfig(FakeForumConfig faults) const {
        faults.forums.insert(kForums.begin(), kForums.end());
        return faults;
    }

    // Each page the server sent whole is collected, once; each page not collected was reported
    // lost; each member's ID was found or reported missing.
    void ExpectNothingServedLostOrRepeated(const Recorder& r) const {
        struct Place {
            std::string forum;
            int page;
            FakeMember member;
        };
        std::map<std::string, Place> listed;  // by home link
        for (const auto& [forum, count] : kForums) {
            auto members = fake_forum::MakeMembers(forum, count, FakeForumConfig{}.seed);
            for (size_t i = 0; i < members.size(); ++i) {
                listed[fake_forum::HomeLink(members[i])] = {
                    forum, static_cast<int>(i) / kMembersPerPage + 1, members[i]};
            }
        }
        std::map<std::pair<std::string, int>, int> collectedOnPage;
        std::set<std::string> links;
        for (size_t i = 0; i < r.records.size(); ++i) {
            const MemberRecord& m = r.records[i];
            EXPECT_EQ(m.number, static_cast<long long>(i) + 1);
            EXPECT_TRUE(links.insert(m.homeLink).second) << "collected twice: " << m.homeLink;
            auto place = listed.find(m.homeLink);
            ASSERT_NE(place, listed.end()) << "no member has " << m.homeLink;
            EXPECT_EQ(m.nickname, place->second.member.nickname);
            ++collectedOnPage[{place->second.forum, place->second.page}];

            const std::string& userName = place->second.member.userName;
            auto id = r.ids.find(m.number);
            if (id != r.ids.end()) {
                EXPECT_EQ(id->second, place->second.member.userId);
            } else {
                EXPECT_FALSE(forum_->HomePageServed(userName)) << userName << " lost";
                EXPECT_TRUE(AnyHolds(r.warnings, "用户“" + m.nickname + "”的ID读取失败"));
            }
        }
        for (const auto& [forum, count] : kForums) {
            for (int page = 1; page <= (count + kMembersPerPage - 1) / kMembersPerPage; ++page) {
                int onPage = std::min(kMembersPerPage, count - (page - 1) * kMembersPerPage);
                int collected = collectedOnPage[{forum, page}];
                bool reported = AnyHolds(
                    r.warnings, "《" + forum + "》第" + std::to_string(page) + "页读取失败");
                SCOPED_TRACE(forum + " page " + std::to_string(page));
                EXPECT_TRUE(collected == 0 || collected == onPage) << collected;
                EXPECT_NE(collected == onPage, reported);
                if (forum_->PageServed(forum, page)) {
                    EXPECT_EQ(collected, onPage);
                }
            }
        }
        auto failures = std::count_if(r.warnings.begin(), r.warnings.end(), [](const auto& w) {
            return w.find("读取失败") != std::string::npos;
        });
        EXPECT_EQ(r.progress.failures, failures);
        EXPECT_EQ(r.progress.members, std::ssize(r.records));
        EXPECT_EQ(r.progress.userIds, std::ssize(r.ids));
    }

    // Whole CR LF lines: the nicknames in the order reported, the IDs reported in any order.
    static void ExpectFilesHoldWhatWasReported(const Recorder& r, const fs::path& folder) {
        std::string names;
        for (const MemberRecord& m : r.records) {
            names += m.nickname + "\r\n";
        }
        EXPECT_EQ(FileBytes(folder / kNicknameFileName), Utf8ToGbk(names));
        std::string idBytes = FileBytes(folder / kUserIdFileName);
        EXPECT_TRUE(idBytes.empty() || idBytes.ends_with("\r\n"));
        std::multiset<std::string> inFile;
        for (size_t start = 0, end; (end = idBytes.find("\r\n", start)) != std::string::npos;
             start = end + 2) {
            inFile.insert(idBytes.substr(start, end - start));
        }
        std::multiset<std::string> reported;
        for (const auto& id : r.ids) {
            reported.insert(id.second);
        }
        EXPECT_EQ(inFile, reported);
    }
};

TEST_F(CollectorFaultTest, WhateverTheServerDoesEveryPageServedIsCollectedOnce) {
    struct Case {
        const char* what;
        FakeForumConfig faults;
        std::atomic<int> FakeForum::Counters::*seen;
    };
    const Case cases[] = {
        {"bursts of 500s and 429s",
         {.burstRate = 0.4, .burstLength = 3},
         &FakeForum::Counters::burst},
        {"connections dropped before or halfway through the body",
         {.dropRate = 0.2, .cutRate = 0.2},
         &FakeForum::Counters::cut},
        {"slow and truncated bodies",
         {.slowRate = 0.3, .slowPause = 5ms, .truncateRate = 0.3},
         &FakeForum::Counters::truncated},
        {"answers after the client has given up",
         {.lateRate = 0.03, .lateBy = 1500ms},
         &FakeForum::Counters::late},
        {"redirects to the very same address", {.loopRate = 0.2}, &FakeForum::Counters::looped},
        {"100 MB pages", {.hugeRate = 0.15}, &FakeForum::Counters::huge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StartForum(ForumConfig(c.faults));
        fs::path folder = Folder("faults");
        CollectOptions options = Options();
        options.pageLimit = std::nullopt;
        options.saveFolder = folder.string();
        // Noticed only after about a second: libcurl calls back that seldom while nothing comes.
        options.site.timeouts.receive = 300ms;
        options.tries = 3;
        options.refusalCooldown = 1ms;
        options.refusalTries = 20;  // bursts of 429 are waited out here, not given up on
        auto start = std::chrono::steady_clock::now();
        Recorder r = Collect(ForumNames(), options);
        EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
        EXPECT_EQ(r.result.end, RunEnd::Finished) << r.result.reason;
        EXPECT_GT((forum_->counters().*c.seen).load(), 0);
        EXPECT_GT(r.records.size(), 0u);
        ExpectNothingServedLostOrRepeated(r);
        ExpectFilesHoldWhatWasReported(r, folder);
    }
}

TEST_F(CollectorFaultTest, StoppedAtAnyMomentTheFilesAreWholeAndNoThreadIsLeft) {
    using Reached = std::function<bool(const Recorder&, const FakeForum&)>;
    struct Moment {
        const char* what;
        FakeForumConfig forum;
        std::function<void(CollectOptions&)> adjust;
        Reached reached;
        bool atTheEnd = false;
    };
    const auto asIs = [](CollectOptions&) {};
    const Moment moments[] = {
        {"before the first page", {}, asIs, [](const Recorder&, const FakeForum&) { return true; }},
        {"halfway through a page",
         {.slowRate = 1, .slowPause = 100ms},
         asIs,
         [](const Recorder&, const FakeForum& f) { return f.counters().slowed >= 3; }},
        {"amid the user-ID lookups",
         {.latency = 5ms},
         asIs,
         [](const Recorder& r, const FakeForum&) { return r.ids.size() >= 10; }},
        {"during a refusal cool-down",
         {.refuse = 1000},
         [](CollectOptions& o) { o.refusalCooldown = 30s; },
         [](const Recorder&, const FakeForum& f) { return f.counters().refused >= 1; }},
        {"during a retry's back-off",
         {.failureRate = 1},
         [](CollectOptions& o) { o.retryBackoff = 30s; },
         [](const Recorder&, const FakeForum& f) { return f.counters().failed >= 1; }},
        {"right at the end",
         {},
         asIs,
         [](const Recorder& r, const FakeForum&) {
             auto last = r.states.find(static_cast<int>(kForums.size()) - 1);
             return last != r.states.end() && last->second.back() == ForumState::Finished;
         },
         true},
    };
    for (const Moment& m : moments) {
        SCOPED_TRACE(m.what);
        StartForum(ForumConfig(m.forum));
        // The server's threads are all there once it has answered.
        HttpRequest warmUp;
        warmUp.url = forum_->Url() + "/Soft_Notice.txt";
        ASSERT_TRUE(SendHttpRequest(warmUp).ok());
        const size_t threads = ThreadCount();

        fs::path folder = Folder("stop");
        CollectOptions options = Options();
        options.pageLimit = std::nullopt;
        options.saveFolder = folder.string();
        m.adjust(options);
        Recorder r;
        auto collector = std::make_unique<Collector>(ForumNames(), options, r);
        collector->Start();
        ASSERT_TRUE(r.WaitUntil([&] { return m.reached(r, *forum_); }));
        std::this_thread::sleep_for(20ms);
        auto asked = std::chrono::steady_clock::now();
        collector->RequestStop();
        collector.reset();
        EXPECT_LT(std::chrono::steady_clock::now() - asked, 3s);
        EXPECT_EQ(ThreadCount(), threads);

        if (m.atTheEnd) {
            EXPECT_NE(r.result.end, RunEnd::Failed);
            EXPECT_EQ(r.records.size(), 126u);
        } else {
            EXPECT_EQ(r.result.end, RunEnd::Stopped);
        }
        EXPECT_EQ(r.progress.members, std::ssize(r.records));
        ExpectFilesHoldWhatWasReported(r, folder);
    }
}

}  // namespace
}  // namespace zelvor
