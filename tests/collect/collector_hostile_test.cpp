// Forum names the user typed and nicknames anyone may have picked, through a whole run: the
// service is asked exactly what was meant, and what it lists comes out as it was written.

#include <gtest/gtest.h>

#include <set>

#include "collect/collector.h"
#include "collect/member_files.h"
#include "collector_harness.h"
#include "forum_pages.h"
#include "text/gbk.h"

namespace zelvor {
namespace {

using collect_testing::CollectorTest;
using collect_testing::FileBytes;
using collect_testing::Recorder;
using fake_forum::FakeForumConfig;
using fake_forum::FakeMember;

std::string Lines(const std::vector<std::string>& texts) {
    std::string lines;
    for (const std::string& text : texts) {
        lines += text + "\r\n";
    }
    return lines;
}

TEST_F(CollectorTest, ForumNamesReachTheServiceAsOneWordEach) {
    std::string longName;
    for (int i = 0; i < 200; ++i) {
        longName += "名&#?=%+ \"'";  // 2,000 characters in all
    }
    const std::vector<std::string> names{
        "a&pn=9", "#frag",      "q?x=1",   "k=v",      "100%",
        "a+b",    "\"双\"'单'", "有 空格", "换\r\n行", longName,
    };
    StartForum({.defaultMembers = fake_forum::kMembersPerPage, .keepQueries = true});
    Recorder r = Collect(names, Options());
    ASSERT_EQ(r.result.end, RunEnd::Finished) << r.result.reason;
    EXPECT_EQ(r.warnings, std::vector<std::string>{});

    std::vector<MemberRecord>::const_iterator got = r.records.begin();
    for (const std::string& name : names) {
        for (const FakeMember& m :
             fake_forum::MakeMembers(name, fake_forum::kMembersPerPage, FakeForumConfig{}.seed)) {
            ASSERT_NE(got, r.records.end());
            EXPECT_EQ(got->homeLink, fake_forum::HomeLink(m));
            EXPECT_EQ(r.ids[got->number], m.userId) << name.substr(0, 20);
            ++got;
        }
    }
    EXPECT_EQ(got, r.records.end());

    std::multiset<std::string> asked;
    std::set<std::string> askedAbout;  // the forums of the members looked up
    for (const auto& query : forum_->Queries()) {
        if (query.contains("word")) {
            EXPECT_EQ(query.size(), 2u);
            EXPECT_EQ(query.count("word"), 1u);
            EXPECT_EQ(query.count("pn"), 1u);
            asked.insert(GbkToUtf8(query.find("word")->second));
        } else {
            EXPECT_EQ(query.size(), 3u);
            ASSERT_EQ(query.count("un"), 1u);
            auto place = fake_forum::FindMemberPlace(GbkToUtf8(query.find("un")->second));
            ASSERT_TRUE(place);
            askedAbout.insert(place->forum);
        }
    }
    EXPECT_EQ(asked, std::multiset<std::string>(names.begin(), names.end()));
    EXPECT_EQ(askedAbout, std::set<std::string>(names.begin(), names.end()));
}

TEST_F(CollectorTest, NicknamesComeOutAsWrittenIntoRecordsFilesAndExport) {
    const std::vector<std::string> nicknames{
        "<script>alert('x')</script>",
        "<b>粗</b>&amp;",
        "&#x1F600;",
        "a\x01"
        "b\x07"
        "c\x1B[31m",
        "\t制表\x7F",
        "\u202Eevil\u202C",
        "\u200F右\u200E",
        "😀笑😀",
        "🇨🇳",
        "€",
        "行一\n行二",
        "回\r车",
    };
    // The files take a member a line, so a line break can only become a blank.
    std::vector<std::string> expected = nicknames;
    expected[10] = "行一 行二";
    expected[11] = "回 车";

    StartForum({.forums = {{"怪吧", static_cast<int>(nicknames.size())}},
                .nicknames = {{"怪吧", nicknames}}});
    auto folder = Folder("nicknames");
    CollectOptions options = Options();
    options.saveFolder = folder.string();
    Recorder r = Collect({"怪吧"}, options);
    ASSERT_EQ(r.result.end, RunEnd::Finished) << r.result.reason;
    ASSERT_EQ(r.records.size(), nicknames.size());
    std::vector<MemberRecord> records = r.records;
    std::vector<std::string> exported;
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].nickname, expected[i]) << i;
        records[i].userId = r.ids[records[i].number];
        EXPECT_FALSE(records[i].userId.empty()) << i;
        exported.push_back(expected[i] + "---" + records[i].userId);
    }
    ASSERT_EQ(ExportMembers((folder / "导出.txt").string(), records, ExportFields::All, "---"), "");

    // GB18030 holds every one of them, the emoji GBK lacks too, and gives them back whole.
    const std::pair<const char*, std::string> files[] = {
        {kNicknameFileName, Lines(expected)},
        {"导出.txt", Lines(exported)},
    };
    for (const auto& [name, text] : files) {
        std::string bytes = FileBytes(folder / name);
        EXPECT_EQ(bytes, Utf8ToGbk(text)) << name;
        EXPECT_EQ(GbkToUtf8(bytes), text) << name;
    }
}

}  // namespace
}  // namespace zelvor
