#include "text/gbk.h"

#include <gtest/gtest.h>

namespace zelvor {
namespace {

TEST(GbkTest, RoundTripsGbkAndCharactersGbkLacks) {
    EXPECT_EQ(Utf8ToGbk("中文a"),
              "\xD6\xD0\xCE\xC4"
              "a");
    EXPECT_EQ(GbkToUtf8("\xD6\xD0\xCE\xC4"
                        "a"),
              "中文a");
    EXPECT_EQ(Utf8ToGbk("😀"), "\x94\x39\xFC\x36");
    EXPECT_EQ(GbkToUtf8(Utf8ToGbk("昵称😀€")), "昵称😀€");
    EXPECT_EQ(GbkToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

// Newer iconv refuses these private-use characters; they were once lost, byte by byte, as three
// replacement characters each.
TEST(GbkTest, PrivateUseCharactersOfOldGbkKeepTheirCodes) {
    struct Case {
        const char* utf8;
        const char* gbk;
        const char* readBack;
    };
    for (Case c : {Case{"\uE78D", "\xA6\xD9", "\uFE10"}, Case{"\uE796", "\xA6\xF3", "\uFE19"},
                   Case{"\uE816", "\xFE\x51", "\U00020087"}, Case{"\uE82C", "\xFE\x67", "\u9FB7"},
                   Case{"\uE864", "\xFE\xA0", "\u9FBB"}}) {
        std::string text = std::string("a") + c.utf8 + "b";
        EXPECT_EQ(Utf8ToGbk(text), std::string("a") + c.gbk + "b") << c.gbk;
        EXPECT_EQ(GbkToUtf8(Utf8ToGbk(text)), std::string("a") + c.readBack + "b") << c.gbk;
    }
    // Private-use characters GBK never had still round-trip through four-byte codes.
    EXPECT_EQ(GbkToUtf8(Utf8ToGbk("\uE000\uE865")), "\uE000\uE865");
}

TEST(GbkTest, InvalidBytesBecomeReplacementAndTheRestSurvives) {
    EXPECT_EQ(GbkToUtf8("a\xFF"
                        "b\xD6\xD0"),
              "a\uFFFD"
              "b中");
    EXPECT_EQ(GbkToUtf8("\xD6\xD0\xD6"), "中\uFFFD");  // cut off at the end
    EXPECT_EQ(Utf8ToGbk("a\xC3"
                        "b"),
              "a\x84\x31\xA4\x37"
              "b");
}

TEST(GbkTest, DecodeFollowsTheNamedCharset) {
    std::string out;
    EXPECT_TRUE(DecodeToUtf8("\xE4\xB8\xAD", "UTF-8", out));
    EXPECT_EQ(out, "中");
    for (const char* gbkName : {"", "gbk", "GB2312", "gb18030"}) {
        EXPECT_TRUE(DecodeToUtf8("\xD6\xD0", gbkName, out)) << gbkName;
        EXPECT_EQ(out, "中") << gbkName;
    }
    EXPECT_TRUE(DecodeToUtf8("\xA4\xA4", "big5", out));
    EXPECT_EQ(out, "中");
    EXPECT_FALSE(DecodeToUtf8("\xD6\xD0", "no-such-charset", out));
    EXPECT_EQ(out, "中");
    // iconv itself lets these through unchanged.
    EXPECT_TRUE(DecodeToUtf8("a\xF4\x90\x80\x80", "UTF-8", out));
    EXPECT_EQ(out, "a\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_TRUE(DecodeToUtf8(std::string("\0\0\0a\x7F\xFF\xFF\xFF", 8), "UCS-4", out));
    EXPECT_EQ(out, "a\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
}

TEST(GbkTest, PercentEncodingKeepsQueryKeysIntact) {
    EXPECT_EQ(PercentEncodeGbk("中文"), "%D6%D0%CE%C4");
    EXPECT_EQ(PercentEncodeGbk("aZ09-._~"), "aZ09-._~");
    EXPECT_EQ(PercentEncodeGbk("a&pn=2#x?y%+ \r\n/"), "a%26pn%3D2%23x%3Fy%25%2B%20%0D%0A%2F");
}

}  // namespace
}  // namespace zelvor
