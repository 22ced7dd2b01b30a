#include "collect/member_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "text/gbk.h"

namespace zelvor {
namespace {

namespace fs = std::filesystem;

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Runs in a child process: mounts a full tmpfs and a read-only one below dir, each holding an
// older export, and exports over both. The mounts live in the child's own mount namespace, so
// they vanish with it whatever happens. One line a folder: its name, the message, and whether
// the older export and nothing else is still there; "skip" without the right to mount.
std::string ExportIntoFullAndReadOnlyFolders(const fs::path& dir,
                                             const std::vector<MemberRecord>& records) {
    if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr)) {
        return "skip";
    }
    const std::array<const char*, 2> folders{"full", "read-only"};
    for (const char* name : folders) {
        fs::create_directories(dir / name);
        if (mount("tmpfs", (dir / name).c_str(), "tmpfs", 0, "size=64k") != 0) {
            return "skip";
        }
        std::ofstream(dir / name / "export.txt", std::ios::binary) << "old";
    }
    int filler = open((dir / "full" / "filler").c_str(), O_WRONLY | O_CREAT, 0644);
    const std::string block(4096, 'x');
    while (write(filler, block.data(), block.size()) > 0) {
    }
    close(filler);
    mount(nullptr, (dir / "read-only").c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);

    std::string report;
    for (const char* name : folders) {
        fs::path target = dir / name / "export.txt";
        std::string message = ExportMembers(target.string(), records, ExportFields::All, "---");
        size_t entries = std::distance(fs::directory_iterator(dir / name), {});
        bool kept = Bytes(target) == "old" && entries == (name == folders[0] ? 2u : 1u);
        report += std::string(name) + "\t" + message + "\t" + (kept ? "kept" : "lost") + "\n";
    }
    return report;
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

TEST_F(MemberFilesTest, ExportIntoAFullDiskOrAReadOnlyFolderKeepsTheOlderFile) {
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ends[0]);
        std::string report = ExportIntoFullAndReadOnlyFolders(dir_, records_);
        _exit(write(ends[1], report.data(), report.size()) == std::ssize(report) ? 0 : 1);
    }
    close(ends[1]);
    std::string report;
    std::array<char, 4096> chunk;
    for (ssize_t n; (n = read(ends[0], chunk.data(), chunk.size())) > 0;) {
        report.append(chunk.data(), static_cast<size_t>(n));
    }
    close(ends[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    if (report == "skip") {
        GTEST_SKIP() << "no right to mount a tmpfs here";
    }
    std::string target = (dir_ / "full" / "export.txt").string();
    std::string readOnly = (dir_ / "read-only" / "export.txt").string();
    EXPECT_EQ(report, "full\t导出到 " + target + " 失败：磁盘空间不足\tkept\n" +
                          "read-only\t无法写入 " + readOnly + "：没有写入权限\tkept\n");
}

TEST_F(MemberFilesTest, ExportNeverReplacesAFolderOrADevice) {
    fs::create_directory(dir_ / "folder");
    std::vector<fs::path> targets{dir_ / "folder"};
    // A node like /dev/full; only root may make one.
    if (mknod((dir_ / "full").c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0) {
        targets.push_back(dir_ / "full");
    }
    for (const fs::path& target : targets) {
        auto before = fs::status(target).type();
        EXPECT_EQ(ExportMembers(target.string(), records_, ExportFields::All, "---"),
                  "无法写入 " + target.string() + "：这不是普通文件");
        EXPECT_EQ(fs::status(target).type(), before) << target;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()),
              std::ssize(targets));
}

}  // namespace
}  // namespace zelvor
