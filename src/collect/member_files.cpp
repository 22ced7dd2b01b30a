#include "collect/member_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "text/gbk.h"

namespace zelvor {

namespace {

std::string SystemError(int error) {
    if (error == ENOSPC) {
        return "磁盘空间不足";
    }
    if (error == EACCES || error == EPERM || error == EROFS) {
        return "没有写入权限";
    }
    return std::strerror(error);
}

bool WriteAll(std::FILE* file, const std::string& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

}  // namespace

RealtimeWriter::RealtimeWriter(std::string folder) : folder_(std::move(folder)) {
    while (folder_.size() > 1 && folder_.back() == '/') {
        folder_.pop_back();
    }
}

RealtimeWriter::~RealtimeWriter() = default;

bool RealtimeWriter::AppendLine(File& file, const char* name, const std::string& text) {
    std::string path = folder_ + "/" + name;
    if (!file) {
        std::error_code ignored;
        std::filesystem::create_directories(folder_, ignored);
        file.reset(std::fopen(path.c_str(), "ab"));
        if (!file) {
            error_ = "无法打开保存文件 " + path + "：" + SystemError(errno);
            return false;
        }
    }
    errno = 0;
    if (!WriteAll(file.get(), Utf8ToGbk(text) + "\r\n") || std::fflush(file.get()) != 0) {
        error_ = "写入 " + path + " 失败：" + SystemError(errno);
        return false;
    }
    return true;
}

bool RealtimeWriter::SaveRecordNow(const MemberRecord& record) {
    return AppendLine(nicknames_, kNicknameFileName, record.nickname);
}

bool RealtimeWriter::SaveUserId(const std::string& userId) {
    return AppendLine(userIds_, kUserIdFileName, userId);
}

std::string ExportMembers(const std::string& path, const std::vector<MemberRecord>& records,
                          ExportFields fields, const std::string& separator) {
    // The file is renamed over the target: that fails late over a folder, and replaces a device
    // (for root) instead of writing into it.
    struct stat target {};
    if (stat(path.c_str(), &target) == 0 && !S_ISREG(target.st_mode)) {
        return "无法写入 " + path + "：这不是普通文件";
    }

    std::string text;
    for (const MemberRecord& r : records) {
        switch (fields) {
            case ExportFields::Nicknames:
                text += r.nickname + "\r\n";
                break;
            case ExportFields::UserIds:
                if (!r.userId.empty()) {
                    text += r.userId + "\r\n";
                }
                break;
            case ExportFields::All:
                text += r.nickname + separator + r.userId + "\r\n";
                break;
        }
    }
    std::string bytes = Utf8ToGbk(text);

    // A name of our own rather than mkstemp, so the export gets the user's usual permissions.
    static std::atomic<unsigned> counter{0};
    std::string temp = path + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return "无法写入 " + path + "：" + SystemError(errno);
    }
    std::FILE* file = fdopen(fd, "wb");
    errno = 0;
    bool ok = file != nullptr && WriteAll(file, bytes) && std::fflush(file) == 0 &&
              fsync(fileno(file)) == 0;
    int error = errno;
    if (file != nullptr) {
        ok = std::fclose(file) == 0 && ok;
    } else {
        close(fd);
    }
    if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
        ok = false;
        error = errno;
    }
    if (!ok) {
        std::remove(temp.c_str());
        return "导出到 " + path + " 失败：" + SystemError(error);
    }
    return {};
}

}  // namespace zelvor
