#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "collect/member_pages.h"
#include "collect/member_record.h"

namespace zelvor {

enum class ForumState { NotStarted, Waiting, Collecting, Finished };
// "未开始", "等待采集", "采集中", "完成".
std::string_view ForumStateText(ForumState state);

inline constexpr std::string_view kRunStoppedText = "已停止采集";
inline constexpr std::string_view kRunFinishedText = "采集完成！";

struct CollectOptions {
    bool collectUserIds = true;
    std::optional<int> pageLimit = 10;  // nullopt: every page
    std::string saveFolder;             // real-time files go here; empty: no saving
    long long firstNumber = 1;
    // Home links of members collected before, by a run that was stopped: not collected again.
    std::vector<std::string> collectedLinks;
    ForumSite site;       // its cancel flag is the collector's own
    int concurrency = 2;  // requests in flight at once
    // A random pause before each request of a worker.
    std::chrono::milliseconds pauseMin{300};
    std::chrono::milliseconds pauseMax{800};
    int tries = 3;  // per request, for failures (errors, 5xx, time-outs)
    std::chrono::milliseconds retryBackoff{1000};  // doubles with each retry
    // When the service refuses (rate limit, captcha, security check), every worker rests; the
    // rest doubles each time, and after refusalTries refusals in a row the run ends.
    std::chrono::milliseconds refusalCooldown{20000};
    int refusalTries = 4;
};

struct CollectProgress {
    int forum = 0;  // 1-based, 0 before the first
    int forumCount = 0;
    int page = 0;           // the last page handed on
    int pageCount = 0;      // of the current forum; 0 while unknown
    long long members = 0;  // collected in this run
    long long userIds = 0;
    int failures = 0;  // requests given up after their tries
    double requestsPerSecond = 0;
};

enum class RunEnd { Finished, Stopped, Failed };

struct RunResult {
    RunEnd end = RunEnd::Finished;
    std::string reason;  // for Failed: what the user should know
};

// Called on the collector's own thread, one call at a time, in the order things happen.
class CollectorListener {
  public:
    virtual ~CollectorListener() = default;
    virtual void OnForumState(int /*forum*/, ForumState /*state*/) {}
    // Each page's new records, in page order, numbered.
    virtual void OnRecords(const std::vector<MemberRecord>& /*records*/) {}
    virtual void OnUserId(long long /*number*/, const std::string& /*userId*/) {}
    virtual void OnProgress(const CollectProgress& /*progress*/) {}
    // Something skipped or retried that the user should hear of; the run goes on.
    virtual void OnWarning(const std::string& /*message*/) {}
    virtual void OnFinished(const RunResult& /*result*/) {}
};

// Collects the forums one after another on a thread of its own. Pages of a forum and user-ID
// lookups are read by a pool of workers, but records reach the listener in page order.
class Collector {
  public:
    Collector(std::vector<std::string> forums, CollectOptions options, CollectorListener& listener);
    ~Collector();  // stops and waits
    Collector(const Collector&) = delete;
    Collector& operator=(const Collector&) = delete;

    void Start();
    // Ends the run soon: requests in flight are abandoned within about a second.
    void RequestStop();
    void Wait();
    bool finished() const { return finished_; }

  private:
    class Run;

    std::unique_ptr<Run> run_;
    std::thread thread_;
    std::atomic<bool> finished_{false};
};

}  // namespace zelvor
