#include "text/regex_matcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelvor {
namespace {

struct SyntaxCase {
    const char* name;
    const char* pattern;
    std::string text;
    bool ignoreCase;
    bool singleline;
    std::vector<std::string> expected;  // capture 1 of each match, or the match when none
};

// Global runs over the patterns of the program and the syntax they rely on.
const SyntaxCase kSyntaxCases[] = {
    {"PageCount",
     R"(tbui_total_page">共(\d+)页</)",
     R"(<span class="tbui_total_page">共12页</span>)",
     false,
     false,
     {"12"}},
    {"MemberBlock",
     R"re(<div class="name_wrap"><a href="(/home/main\?un=.*?)" class="user_name" title="(.*?)")re",
     R"(<div class="name_wrap"><a href="/home/main?un=%D5%C5&ie=gbk" class="user_name" title="张三">)",
     false,
     false,
     {"/home/main?un=%D5%C5&ie=gbk"}},
    {"QuestionMarkIsLiteral",
     R"(main\?un=(\w+))",
     "main?un=abc mainXun=def",
     false,
     false,
     {"abc"}},
    {"LazyStopsAtFirstQuote", R"re(from=(.*?)")re", R"(from=1" x="2")", false, false, {"1"}},
    {"GreedyRunsToLastQuote",
     R"re(from=(.*)")re",
     R"(from=1" x="2")",
     false,
     false,
     {R"(1" x="2)"}},
    {"DigitIsAsciiOnly", R"((\d+))", "１２3４5", false, false, {"3", "5"}},
    {"WordIsAsciiOnly", R"((\w+))", "ab中_9文", false, false, {"ab", "_9"}},
    {"DotStopsAtLineFeed", "a(.)b", "a\nb a-b", false, false, {"-"}},
    {"DotStopsAtCarriageReturn", "a(.)b", "a\rb a-b", false, false, {"-"}},
    {"SinglelineDotTakesBreaks", "a(.)b", "a\nb", false, true, {"\n"}},
    {"IgnoreCase", "(ABC)", "xabcx", true, false, {"abc"}},
    {"CaseMatters", "(ABC)", "xabcx", false, false, {}},
    {"CharsetDoubleQuoted",
     R"(<meta.+?charset=[^\w]?([-\w]+))",
     R"(<meta charset="UTF-8"><meta x>)",
     false,
     false,
     {"UTF-8"}},
    {"CharsetInContent",
     R"(<meta.+?charset=[^\w]?([-\w]+))",
     R"(<meta http-equiv="Content-Type" content="text/html; charset=gb2312" />)",
     false,
     false,
     {"gb2312"}},
    {"NoticeTakesBothTexts",
     "@1(.*?)#1(.*?)@1",
     "x@1第一条#1http://a.example/@1 @1第二条#1b@1",
     false,
     false,
     {"第一条", "第二条"}},
};

class RegexSyntaxTest : public testing::TestWithParam<SyntaxCase> {};

TEST_P(RegexSyntaxTest, FindsExpectedCaptures) {
    const SyntaxCase& c = GetParam();
    RegexMatcher re(c.pattern, c.ignoreCase, false, c.singleline, true);
    ASSERT_TRUE(re.IsValid()) << re.Error();
    ASSERT_EQ(re.Match(c.text), static_cast<int>(c.expected.size()));
    for (int i = 0; i < re.MatchCount(); ++i) {
        int k = re.CaptureCount() > 0 ? 1 : 0;
        EXPECT_EQ(re.Capture(i, k), c.expected[static_cast<size_t>(i)]) << "match " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Patterns, RegexSyntaxTest, testing::ValuesIn(kSyntaxCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(RegexMatcherTest, MemberPatternTakesBothCapturesAndSkipsBrokenTitle) {
    RegexMatcher re(
        R"re(<div class="name_wrap"><a href="(/home/main\?un=.*?)" class="user_name" title="(.*?)")re",
        false, false, false, true);
    std::string page =
        R"(<div class="name_wrap"><a href="/home/main?un=a" class="user_name" title="甲">)"
        "\n"
        R"(<div class="name_wrap"><a href="/home/main?un=b" class="user_name" title="乙)"
        "\n"
        R"(丙">)"
        R"(<div class="name_wrap"><a href="/home/main?un=c" class="user_name" title="丁">)";
    ASSERT_EQ(re.Match(page), 2);
    EXPECT_EQ(re.Capture(0, 1), "/home/main?un=a");
    EXPECT_EQ(re.Capture(0, 2), "甲");
    EXPECT_EQ(re.Capture(1, 1), "/home/main?un=c");
    EXPECT_EQ(re.Capture(1, 2), "丁");
}

TEST(RegexMatcherTest, NonGlobalFindsFirstOnly) {
    RegexMatcher re("@1(.*?)#1(.*?)@1");
    ASSERT_EQ(re.Match("@1one#1u1@1 @1two#1u2@1"), 1);
    EXPECT_EQ(re.Capture(0, 1), "one");
    EXPECT_EQ(re.Capture(0, 2), "u1");
}

TEST(RegexMatcherTest, PositionsCountCharactersNotBytes) {
    RegexMatcher re("b", false, false, false, true);
    ASSERT_EQ(re.Match("中文b😀b"), 2);
    EXPECT_EQ(re.MatchPosition(0), 2);
    EXPECT_EQ(re.MatchBytePosition(0), 6);
    EXPECT_EQ(re.MatchPosition(1), 4);
}

TEST(RegexMatcherTest, OutOfRangeNumbersYieldEmptyResults) {
    RegexMatcher re("(a)|(b)", false, false, false, true);
    ASSERT_EQ(re.Match("b"), 1);
    EXPECT_EQ(re.Capture(0, 1), "");  // took no part in the match
    EXPECT_EQ(re.Capture(0, 2), "b");
    EXPECT_EQ(re.Capture(0, 3), "");
    EXPECT_EQ(re.Capture(1, 0), "");
    EXPECT_EQ(re.Capture(-1, 0), "");
    EXPECT_EQ(re.MatchText(1), "");
    EXPECT_EQ(re.MatchPosition(1), -1);
}

TEST(RegexMatcherTest, RejectedPatternReportsAndNeverMatches) {
    RegexMatcher re;
    EXPECT_FALSE(re.Create("(unclosed"));
    EXPECT_FALSE(re.IsValid());
    EXPECT_NE(re.Error().find("正则表达式有误"), std::string::npos) << re.Error();
    EXPECT_EQ(re.Match("(unclosed"), 0);
    EXPECT_EQ(re.Replace("abc", "x"), "abc");
    EXPECT_TRUE(re.Create("ok"));
    EXPECT_TRUE(re.Error().empty());
}

TEST(RegexMatcherTest, EmptyMatchesAdvanceByWholeCharacters) {
    RegexMatcher re("x*", false, false, false, true);
    ASSERT_EQ(re.Match("中a\r\n"), 4);  // before 中, before a, before CR LF, at the end
    EXPECT_EQ(re.MatchPosition(1), 1);
    EXPECT_EQ(re.MatchPosition(3), 4);
}

TEST(RegexMatcherTest, InvalidUtf8IsSearchedNotRejected) {
    RegexMatcher re("charset=(\\w+)", false, false, false, true);
    ASSERT_EQ(re.Match("\xD6\xD0\xFF charset=gbk \xCE"), 1);
    EXPECT_EQ(re.Capture(0, 1), "gbk");
}

struct ReplaceCase {
    const char* pattern;
    bool global;
    const char* text;
    const char* replacement;
    const char* expected;
};

TEST(RegexMatcherTest, ReplaceSubstitutesCapturesAndWholeMatch) {
    const ReplaceCase cases[] = {
        {"(\\w+)=(\\w+)", true, "a=1; b=2", "$2=$1", "1=a; 2=b"},
        {"(\\w+)=(\\w+)", false, "a=1; b=2", "$2=$1", "1=a; b=2"},
        {"\\d", true, "a1b2", "[$&]", "a[1]b[2]"},
        {"\\d", true, "a1", "$$", "a$"},
        {"(\\d)", true, "a1", "$5$", "a$5$"},
        {"x*", true, "ab", "-", "-a-b-"},
        {"z", true, "中文", "y", "中文"},
    };
    for (const ReplaceCase& c : cases) {
        RegexMatcher re(c.pattern, false, false, false, c.global);
        EXPECT_EQ(re.Replace(c.text, c.replacement), c.expected) << c.pattern << " on " << c.text;
    }
}

TEST(RegexMatcherTest, FiftyMegabytesMatchWithoutBlowUp) {
    const std::string block =
        R"(<li><div class="name_wrap"><a href="/home/main?un=abc" class="user_name" title="nick">nick</a></div></li>)";
    std::string page;
    page.reserve(50u << 20);
    while (page.size() < (50u << 20)) {
        page += block;
    }
    RegexMatcher members(
        R"re(<div class="name_wrap"><a href="(/home/main\?un=.*?)" class="user_name" title="(.*?)")re",
        false, false, false, true);
    EXPECT_EQ(members.Match(page), static_cast<int>(page.size() / block.size()));
    EXPECT_TRUE(members.Error().empty());

    // Deep backtracking runs out of its own stack and says so instead of crashing.
    RegexMatcher deep("(?:a|b)*c", false, false, false, true);
    std::string letters(50u << 20, 'a');
    EXPECT_EQ(deep.Match(letters), 0);
    EXPECT_FALSE(deep.Error().empty());
}

}  // namespace
}  // namespace zelvor
