#include "notice/notice.h"

#include <gtest/gtest.h>

#include "fake_forum.h"
#include "loopback_server.h"

namespace zelvor {
namespace {

TEST(ParseNoticeTest, FirstMarkedNoticeAndOnlyWebLinks) {
    auto first = ParseNotice("前言@1第一条#1https://a.example/@1 @1第二条#1http://b.example/@1");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->text, "第一条");
    EXPECT_EQ(first->link, "https://a.example/");
    EXPECT_EQ(ParseNotice("@1文字#1javascript:alert(1)@1")->link, "");
    EXPECT_FALSE(ParseNotice("没有标记的文字"));
}

TEST(ReadNoticeTest, ReadsTheMakersFileOrNothing) {
    fake_forum::FakeForum maker({.notice = "@1新版本已发布#1http://www.zelvor.example/@1"});
    maker.Start();
    auto notice = ReadNotice(NoticeUrl(maker.Url()));
    ASSERT_TRUE(notice);
    EXPECT_EQ(notice->text, "新版本已发布");
    EXPECT_EQ(notice->link, "http://www.zelvor.example/");

    std::string nowhere = "http://127.0.0.1:" + std::to_string(testing_support::UnusedPort());
    EXPECT_FALSE(ReadNotice(NoticeUrl(nowhere)));
    EXPECT_FALSE(ReadNotice(maker.Url() + "/none.txt"));
}

}  // namespace
}  // namespace zelvor
