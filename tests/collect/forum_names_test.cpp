#include "collect/forum_names.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "text/gbk.h"
#include "text/text_file.h"

namespace zelvor {
namespace {

TEST(SplitForumNamesTest, TrimsAndSkipsBlanksAndRepeats) {
    ForumNames names =
        SplitForumNames(" 李毅 \r\n\r\n魔兽世界\n李毅\r　 手机 　\r\n   \r\n", {"魔兽世界"});
    EXPECT_EQ(names.added, (std::vector<std::string>{"李毅", "手机"}));
    EXPECT_EQ(names.skipped, 2);  // 魔兽世界 queued, 李毅 again
    EXPECT_TRUE(SplitForumNames("").added.empty());
    EXPECT_EQ(SplitForumNames("a").added, std::vector<std::string>{"a"});
}

// A forum-name file as the user drops it: read, then split.
TEST(ForumNameFileTest, GivesTheNamesOrSaysWhyNot) {
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("zelvor-name-files-" + std::to_string(getpid()));
    fs::create_directories(dir);
    using Names = std::vector<std::string>;
    struct Case {
        const char* what;
        std::string bytes;
        Names names;
        const char* message = "";  // start of the error, when the file is refused
    };
    const std::string utf16le("\x4E\x67\xC5\x6B\x0D\x00\x0A\x00\x27\x54", 10);  // 李毅 CR LF 吧
    const std::string utf16be("\x67\x4E\x6B\xC5\x00\x0D\x00\x0A\x54\x27", 10);
    const Case cases[] = {
        {"empty", "", {}},
        {"UTF-16LE", "\xFF\xFE" + utf16le, {"李毅", "吧"}},
        {"UTF-16BE", "\xFE\xFF" + utf16be, {"李毅", "吧"}},
        {"UTF-16 without its mark", utf16le, {}, "不是文本文件："},
        // A GBK lead byte cut off by the line end must not take the line break with it.
        {"invalid GBK",
         Utf8ToGbk("李毅") + "\x81\r\n\xFF" + Utf8ToGbk("吧\r\n"),
         {"李毅\uFFFD", "\uFFFD吧"}},
    };
    for (const Case& c : cases) {
        fs::path path = dir / "names.txt";
        std::ofstream(path, std::ios::binary) << c.bytes;
        TextFile file = ReadTextFile(path.string());
        EXPECT_TRUE(file.error.starts_with(c.message)) << c.what << ": " << file.error;
        EXPECT_EQ(SplitForumNames(file.text).added, c.names) << c.what;
    }

    // Files far too long, or with no end: refused without being read whole.
    fs::path huge = dir / "huge.txt";
    std::ofstream(huge) << "";
    fs::resize_file(huge, size_t{200} << 20);
    struct TooLong {
        std::string path;
        size_t maxBytes;
        const char* message;
    };
    for (const TooLong& c : {TooLong{huge.string(), size_t{64} << 20, "文件过大（超过64MB）："},
                             TooLong{"/dev/zero", size_t{1} << 20, "文件过大（超过1MB）："}}) {
        auto start = std::chrono::steady_clock::now();
        TextFile file = ReadTextFile(c.path, c.maxBytes);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << c.path;
        EXPECT_EQ(file.error, c.message + c.path);
        EXPECT_EQ(file.text, "");
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace zelvor
