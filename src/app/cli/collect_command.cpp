#include <csignal>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <thread>

#include "cli_args.h"
#include "collect/collector.h"
#include "collect/forum_names.h"
#include "collect/member_files.h"
#include "commands.h"
#include "text/text_file.h"

namespace zelvor::cli {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) {
    interrupted = 1;
}

// Prints the run's progress on one rewritten stderr line and keeps the records for export.
class ConsoleListener : public CollectorListener {
  public:
    explicit ConsoleListener(std::vector<std::string> forums) : forums_(std::move(forums)) {}

    void OnRecords(const std::vector<MemberRecord>& records) override {
        std::lock_guard lock(mutex_);
        records_.insert(records_.end(), records.begin(), records.end());
    }
    void OnUserId(long long number, const std::string& userId) override {
        std::lock_guard lock(mutex_);
        // Numbers run on from the first record's without gaps.
        records_[static_cast<size_t>(number - records_.front().number)].userId = userId;
    }
    void OnProgress(const CollectProgress& p) override {
        std::string page = p.pageCount > 0
                               ? std::to_string(p.page) + "/" + std::to_string(p.pageCount)
                               : std::to_string(p.page);
        std::fprintf(stderr, "\r贴吧 %d/%d  页 %s  会员 %lld  ID %lld  %.1f 请求/秒  失败 %d   ",
                     p.forum, p.forumCount, page.c_str(), p.members, p.userIds, p.requestsPerSecond,
                     p.failures);
        std::fflush(stderr);
    }
    void OnForumState(int forum, ForumState state) override {
        if (state == ForumState::Finished) {
            std::fprintf(stderr, "\n《%s》%s\n", forums_[static_cast<size_t>(forum)].c_str(),
                         std::string(ForumStateText(state)).c_str());
        }
    }
    void OnWarning(const std::string& message) override {
        std::fprintf(stderr, "\n%s\n", message.c_str());
    }
    void OnFinished(const RunResult& result) override { result_ = result; }

    const RunResult& result() const { return result_; }
    std::vector<MemberRecord> TakeRecords() {
        std::lock_guard lock(mutex_);
        return std::move(records_);
    }

  private:
    std::vector<std::string> forums_;
    std::mutex mutex_;
    std::vector<MemberRecord> records_;
    RunResult result_;
};

// Every option checked before a request is sent; "" when all is well.
std::string ReadOptions(const Args& args, CollectOptions& options) {
    if (args.Has("--all-pages")) {
        options.pageLimit = std::nullopt;
    } else if (std::string pages = args.Value("--pages", "10"); !ParsePageLimit(pages)) {
        return std::string(kBadPageLimitMessage);
    } else {
        options.pageLimit = ParsePageLimit(pages);
    }
    options.collectUserIds = !args.Has("--no-ids");
    options.saveFolder = args.Value("--out");
    options.site.root = args.Value("--site", std::string(kDefaultForumSiteRoot));
    while (options.site.root.ends_with('/')) {
        options.site.root.pop_back();
    }
    if (!options.site.root.starts_with("http://") && !options.site.root.starts_with("https://")) {
        return "--site 必须是 http:// 或 https:// 开头的网址";
    }
    options.site.proxy = args.Value("--proxy");
    std::optional<int> concurrency = ParsePageLimit(args.Value("--concurrency", "2"));
    if (!concurrency || *concurrency > 64) {
        return "--concurrency 必须是 1 到 64 之间的整数";
    }
    options.concurrency = *concurrency;
    std::string delay = args.Value("--delay", "300-800");
    size_t dash = delay.find('-');
    std::string low = delay.substr(0, dash);
    std::string high = dash == std::string::npos ? low : delay.substr(dash + 1);
    auto millis = [](const std::string& text) -> std::optional<int> {
        return text == "0" ? std::optional<int>(0) : ParsePageLimit(text);
    };
    if (!millis(low) || !millis(high) || *millis(high) < *millis(low)) {
        return "--delay 的格式是 最小-最大（毫秒），例如 300-800 或 0";
    }
    options.pauseMin = std::chrono::milliseconds(*millis(low));
    options.pauseMax = std::chrono::milliseconds(*millis(high));
    return {};
}

std::optional<ExportFields> ReadFields(const std::string& text) {
    if (text == "nick") {
        return ExportFields::Nicknames;
    }
    if (text == "id") {
        return ExportFields::UserIds;
    }
    if (text == "all") {
        return ExportFields::All;
    }
    return std::nullopt;
}

}  // namespace

int RunCollect(int argc, char** argv) {
    Args args = ParseArgs(argc, argv, 0,
                          {"--file", "--pages", "--out", "--export", "--fields", "--separator",
                           "--site", "--concurrency", "--delay", "--proxy"},
                          {"--all-pages", "--ids", "--no-ids"});
    CollectOptions options;
    std::string error = args.error.empty() ? ReadOptions(args, options) : args.error;
    std::optional<ExportFields> fields = ReadFields(args.Value("--fields", "all"));
    if (error.empty() && !fields) {
        error = "--fields 只能是 nick、id 或 all";
    }
    std::vector<std::string> forums;
    if (error.empty() && !args.Value("--file").empty()) {
        TextFile file = ReadTextFile(args.Value("--file"));
        error = file.error;
        forums = SplitForumNames(file.text).added;
    }
    std::string names;
    for (const std::string& name : args.positional) {
        names += name + "\n";
    }
    std::vector<std::string> more = SplitForumNames(names, forums).added;
    forums.insert(forums.end(), more.begin(), more.end());
    if (error.empty() && forums.empty()) {
        error = "没有要采集的贴吧：用 --file 指定贴吧名文件（一行一个），或在命令后写上贴吧名";
    }
    if (!error.empty()) {
        std::cerr << error << "\n"
                  << "用法：zelvor-cli collect [贴吧名...] [--file FILE] [--pages N | --all-pages] "
                     "[--ids | --no-ids] [--out DIR] [--export FILE [--fields nick|id|all] "
                     "[--separator TEXT]] [--site URL] [--concurrency N] [--delay MIN-MAX] "
                     "[--proxy ADDR]\n";
        return 2;
    }

    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    ConsoleListener listener(forums);
    Collector collector(forums, options, listener);
    collector.Start();
    while (!collector.finished()) {
        if (interrupted) {
            collector.RequestStop();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    collector.Wait();
    std::cerr << "\n";

    int status = 0;
    switch (listener.result().end) {
        case RunEnd::Finished:
            std::cerr << kRunFinishedText << "\n";
            break;
        case RunEnd::Stopped:
            std::cerr << kRunStoppedText << "\n";
            status = 130;
            break;
        case RunEnd::Failed:
            std::cerr << listener.result().reason << "\n";
            status = 1;
            break;
    }
    if (!options.saveFolder.empty()) {
        std::cerr << "实时保存的文件在：" << options.saveFolder << "\n";
    }
    if (std::string path = args.Value("--export"); !path.empty()) {
        std::string failed =
            ExportMembers(path, listener.TakeRecords(), *fields, args.Value("--separator", "---"));
        if (!failed.empty()) {
            std::cerr << failed << "\n";
            return 1;
        }
        std::cerr << "已导出到：" << path << "\n";
    }
    return status;
}

}  // namespace zelvor::cli
