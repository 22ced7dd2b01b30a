#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "collect/member_record.h"

namespace zelvor {

inline constexpr const char* kNicknameFileName = "用户呢称.txt";
inline constexpr const char* kUserIdFileName = "用户ID.txt";

// The two real-time files: each record's nickname, and each user ID once known, as a GBK line
// ending in CR LF. Lines are appended and flushed one by one, so a crash loses at most the line
// being written, and a new run continues the files an earlier one left.
class RealtimeWriter {
  public:
    explicit RealtimeWriter(std::string folder);
    ~RealtimeWriter();
    RealtimeWriter(const RealtimeWriter&) = delete;
    RealtimeWriter& operator=(const RealtimeWriter&) = delete;

    // Each returns false and sets Error() when the line could not be written.
    bool SaveRecordNow(const MemberRecord& record);
    bool SaveUserId(const std::string& userId);
    const std::string& Error() const { return error_; }
    const std::string& folder() const { return folder_; }

  private:
    struct FileCloser {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    using File = std::unique_ptr<std::FILE, FileCloser>;

    bool AppendLine(File& file, const char* name, const std::string& text);

    std::string folder_;
    File nicknames_;
    File userIds_;
    std::string error_;
};

enum class ExportFields { Nicknames, UserIds, All };

// Writes one line per record, in order: the nickname, the user ID (records without one are
// skipped), or the nickname, the separator and the ID (empty when unknown). The file is written
// beside the target and renamed over it, so a failure never leaves half a file where an old
// one stood. Returns "" on success, else a message for the user; nothing in memory is touched.
std::string ExportMembers(const std::string& path, const std::vector<MemberRecord>& records,
                          ExportFields fields, const std::string& separator);

}  // namespace zelvor
