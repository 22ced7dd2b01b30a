#include "collect/member_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "text/gbk.h"

namespace zelvor {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class MemberFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("zelvor-files-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    fs::path dir_;
    const std::vector<MemberRecord> records_{
        {1, "张三", "/home/main?un=a", "111"},
        {2, "李四😀", "/home/main?un=b", ""},
        {3, "a&b", "/home/main?un=c", "333"},
    };
};

TEST_F(MemberFilesTest, RealtimeFilesAppendGbkLinesAcrossRuns) {
    for (int run = 0; run < 2; ++run) {
        RealtimeWriter writer((dir_ / "out/").string());
        for (const MemberRecord& r : records_) {
            ASSERT_TRUE(writer.SaveRecordNow(r)) << writer.Error();
            if (!r.userId.empty()) {
                ASSERT_TRUE(writer.SaveUserId(r.userId));
            }
        }
    }
    std::string names = Utf8ToGbk("张三\r\n李四😀\r\na&b\r\n");
    EXPECT_EQ(Bytes(dir_ / "out" / kNicknameFileName), names + names);
    EXPECT_EQ(Bytes(dir_ / "out" / kUserIdFileName), "111\r\n333\r\n111\r\n333\r\n");
}

TEST_F(MemberFilesTest, RealtimeWriteFailureIsReported) {
    fs::create_symlink("/dev/full", dir_ / kNicknameFileName);
    RealtimeWriter full(dir_.string());
    EXPECT_FALSE(full.SaveRecordNow(records_[0]));
    EXPECT_NE(full.Error().find("磁盘空间不足"), std::string::npos) << full.Error();

    std::ofstream(dir_ / "plain-file") << "x";
    RealtimeWriter blocked((dir_ / "plain-file").string());
    EXPECT_FALSE(blocked.SaveRecordNow(records_[0]));
    EXPECT_NE(blocked.Error().find("无法打开保存文件"), std::string::npos) << blocked.Error();
}

TEST_F(MemberFilesTest, ExportWritesEachKindInListOrder) {
    struct Case {
        ExportFields fields;
        std::string separator;
        std::string text;
    };
    const Case cases[] = {
        {ExportFields::Nicknames, "---", "张三\r\n李四😀\r\na&b\r\n"},
        {ExportFields::UserIds, "---", "111\r\n333\r\n"},
        {ExportFields::All, "---", "张三---111\r\n李四😀---\r\na&b---333\r\n"},
        {ExportFields::All, "|", "张三|111\r\n李四😀|\r\na&b|333\r\n"},
    };
    fs::path target = dir_ / "export.txt";
    std::ofstream(target) << "an older, longer export that must be replaced whole";
    for (const Case& c : cases) {
        ASSERT_EQ(ExportMembers(target.string(), records_, c.fields, c.separator), "");
        EXPECT_EQ(Bytes(target), Utf8ToGbk(c.text));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(MemberFilesTest, FailedExportLeavesNothingBehind) {
    std::string message =
        ExportMembers((dir_ / "missing" / "x.txt").string(), records_, ExportFields::All, "---");
    EXPECT_NE(message.find("无法写入"), std::string::npos) << message;
    EXPECT_FALSE(fs::exists(dir_ / "missing"));
}

}  // namespace
}  // namespace zelvor
