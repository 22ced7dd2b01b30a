#include "text/text_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "text/gbk.h"

namespace zelvor {
namespace {

TEST(DecodeUserTextTest, MarksThenUtf8ThenGbk) {
    struct Case {
        std::string bytes;
        const char* text;
    };
    const Case cases[] = {
        {"\xEF\xBB\xBF吧名", "吧名"},
        {"吧名\r\n", "吧名\r\n"},
        {Utf8ToGbk("吧名\r\n"), "吧名\r\n"},
        {std::string("\xFF\xFE\x27\x54\x0D\x00", 6), "吧\r"},
        {std::string("\xFE\xFF\x54\x27", 4), "吧"},
        {"", ""},
        // Not UTF-8 once surrogates count as ill-formed, so read as GBK: text, never garbage.
        {"\xED\xBB\xBF+I", "\u7818\uFFFD+I"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DecodeUserText(c.bytes), c.text);
    }
}

TEST(DecodeUserTextTest, OnlyWellFormedUtf8IsValid) {
    EXPECT_TRUE(IsValidUtf8("a\u00E9\u4E2D\U0010FFFF"));
    for (const char* bad : {
             "\xC0\x80",          // overlong
             "\xE0\x80\x80",      // overlong
             "\xF0\x80\x80\x80",  // overlong
             "\xED\xA0\x80",      // surrogate
             "\xF4\x90\x80\x80",  // past U+10FFFF
             "\xF8\x88\x80\x80\x80",
             "\xE4\xB8",  // cut off
             "\x80",
         }) {
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
    }
}

TEST(ReadTextFileTest, RefusesWhatIsNotAReadableTextFile) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("zelvor-text-file-" + std::to_string(getpid()));
    fs::create_directories(dir);
    auto write = [&](const char* name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
        return (dir / name).string();
    };
    std::string good = write("good.txt", Utf8ToGbk("贴吧一\r\n贴吧二\r\n"));
    std::string binary = write("binary.txt", std::string("PK\x03\x04\0\0", 6));
    std::string big = write("big.txt", std::string(2u << 20, 'a'));

    TextFile read = ReadTextFile(good);
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(read.text, "贴吧一\r\n贴吧二\r\n");

    struct Case {
        std::string path;
        const char* messageStart;
    };
    const Case cases[] = {
        {(dir / "missing.txt").string(), "文件不存在："},
        {dir.string(), "这是一个文件夹"},
        {binary, "不是文本文件："},
        {big, "文件过大"},
    };
    for (const Case& c : cases) {
        TextFile failed = ReadTextFile(c.path, 1u << 20);
        EXPECT_TRUE(failed.error.starts_with(c.messageStart)) << failed.error;
        EXPECT_NE(failed.error.find(c.path), std::string::npos) << failed.error;
        EXPECT_EQ(failed.text, "");
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace zelvor
