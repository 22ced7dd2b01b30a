#include "collect/collector.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <random>
#include <unordered_set>

#include "collect/member_files.h"
#include "collect/user_id.h"

namespace zelvor {

std::string_view ForumStateText(ForumState state) {
    switch (state) {
        case ForumState::NotStarted:
            return "未开始";
        case ForumState::Waiting:
            return "等待采集";
        case ForumState::Collecting:
            return "采集中";
        case ForumState::Finished:
            return "完成";
    }
    return {};
}

namespace {

using Clock = std::chrono::steady_clock;

struct Task {
    bool lookup = false;
    int forum = 0;
    int page = 0;         // a page task
    MemberRecord record;  // a lookup task
};

struct Outcome {
    Task task;
    bool ok = false;
    bool refused = false;  // the service kept refusing: the run cannot go on
    std::string text;      // page text, or the user ID found
    std::string error;
};

std::string Quoted(std::string_view forum) {
    return "《" + std::string(forum) + "》";
}

}  // namespace

class Collector::Run {
  public:
    Run(std::vector<std::string> forums, CollectOptions options, CollectorListener& listener)
        : forums_(std::move(forums)), options_(std::move(options)), listener_(listener) {
        options_.site.cancel = &stop_;
        options_.concurrency = std::max(1, options_.concurrency);
        options_.tries = std::max(1, options_.tries);
        options_.pauseMax = std::max(options_.pauseMin, options_.pauseMax);
        if (!options_.saveFolder.empty()) {
            writer_ = std::make_unique<RealtimeWriter>(options_.saveFolder);
        }
        nextNumber_ = options_.firstNumber;
        collectedBefore_.insert(std::make_move_iterator(options_.collectedLinks.begin()),
                                std::make_move_iterator(options_.collectedLinks.end()));
        options_.collectedLinks = {};  // the set holds them now
    }

    void Execute();

    void Stop() {
        userStopped_ = true;
        SignalStop();
    }

  private:
    enum class ForumEnd { Done, Skipped, Stopped, Refused, SaveFailed };

    ForumEnd ReadForum(int index);
    bool HandOnPage(const Outcome& outcome, bool& ended);
    bool HandOnUserId(const Outcome& outcome);
    void Report(bool force = false);

    void WorkerLoop(unsigned seed);
    Outcome Perform(const Task& task, std::mt19937& random);
    bool RestFor(Clock::duration duration);
    void Submit(Task task);
    std::optional<Outcome> NextOutcome();
    void SignalStop();

    const std::vector<std::string> forums_;
    CollectOptions options_;
    CollectorListener& listener_;
    std::unique_ptr<RealtimeWriter> writer_;
    std::unordered_set<std::string> seen_;  // home links met in this run
    std::unordered_set<std::string> collectedBefore_;
    long long nextNumber_ = 1;
    CollectProgress progress_;
    Clock::time_point started_ = Clock::now();
    Clock::time_point lastReport_{};
    std::string failure_;

    std::atomic<bool> stop_{false};
    std::atomic<bool> userStopped_{false};
    std::atomic<long long> requests_{0};
    std::mutex mutex_;
    std::condition_variable tasksReady_;
    std::condition_variable outcomesReady_;
    std::condition_variable stopping_;
    std::deque<Task> tasks_;
    std::deque<Outcome> outcomes_;
    Clock::time_point restUntil_{};
    int refusalsInRow_ = 0;
    std::vector<std::thread> workers_;
};

void Collector::Run::Execute() {
    for (int i = 0; i < options_.concurrency; ++i) {
        workers_.emplace_back(&Run::WorkerLoop, this,
                              std::random_device{}() + static_cast<unsigned>(i));
    }
    progress_.forumCount = static_cast<int>(forums_.size());
    for (int i = 0; i < progress_.forumCount; ++i) {
        listener_.OnForumState(i, ForumState::Waiting);
    }
    RunResult result;
    int index = 0;
    for (; index < progress_.forumCount && !stop_; ++index) {
        listener_.OnForumState(index, ForumState::Collecting);
        ForumEnd end = ReadForum(index);
        listener_.OnForumState(
            index, end == ForumEnd::Done ? ForumState::Finished : ForumState::NotStarted);
        if (end == ForumEnd::Refused) {
            result = {RunEnd::Failed, "服务器拒绝访问（频率限制或安全验证），已停止采集。" +
                                          Quoted(forums_[static_cast<size_t>(index)]) +
                                          "未采集完，已采集的数据都已保留，请稍后再试。"};
        } else if (end == ForumEnd::SaveFailed) {
            result = {RunEnd::Failed, failure_ + "，已停止采集，已采集的数据仍在列表中。"};
        }
        if (end == ForumEnd::Refused || end == ForumEnd::SaveFailed || end == ForumEnd::Stopped) {
            ++index;
            break;
        }
    }
    for (; index < progress_.forumCount; ++index) {
        listener_.OnForumState(index, ForumState::NotStarted);
    }
    SignalStop();
    for (std::thread& worker : workers_) {
        worker.join();
    }
    if (result.end == RunEnd::Finished && userStopped_) {
        result.end = RunEnd::Stopped;
    }
    Report(true);
    listener_.OnFinished(result);
}

Collector::Run::ForumEnd Collector::Run::ReadForum(int index) {
    const std::string& forum = forums_[static_cast<size_t>(index)];
    progress_.forum = index + 1;
    progress_.page = 0;
    progress_.pageCount = 0;
    Report(true);

    int lastPage = std::min(options_.pageLimit.value_or(kMaxMemberPages), kMaxMemberPages);
    const int window = options_.concurrency + 1;
    std::map<int, Outcome> ready;
    int nextToSubmit = 1;
    int nextToHandOn = 1;
    int pendingPages = 0;
    int pendingLookups = 0;
    int pagesRead = 0;
    bool ended = false;
    auto topUp = [&] {
        // Until the first page tells the page count, it is the only one asked for.
        bool countKnown = nextToHandOn > 1;
        while (!ended && nextToSubmit <= lastPage && nextToSubmit - nextToHandOn < window &&
               (countKnown || nextToSubmit == 1)) {
            Submit({.forum = index, .page = nextToSubmit++});
            ++pendingPages;
        }
    };
    topUp();
    while (pendingPages > 0 || pendingLookups > 0) {
        std::optional<Outcome> outcome = NextOutcome();
        if (!outcome) {
            return ForumEnd::Stopped;
        }
        if (outcome->refused) {
            return ForumEnd::Refused;
        }
        if (outcome->task.lookup) {
            --pendingLookups;
            if (!HandOnUserId(*outcome)) {
                return ForumEnd::SaveFailed;
            }
            continue;
        }
        --pendingPages;
        if (ended) {
            continue;  // read ahead past the forum's end
        }
        int page = outcome->task.page;
        ready.emplace(page, std::move(*outcome));
        for (auto it = ready.find(nextToHandOn); it != ready.end() && !ended;
             it = ready.find(nextToHandOn)) {
            const Outcome& o = it->second;
            if (o.ok && nextToHandOn == 1) {
                if (IsEmptyForum(o.text)) {
                    ended = true;
                    pagesRead = 1;
                    break;
                }
                if (std::optional<int> count = ParsePageCount(o.text)) {
                    progress_.pageCount = *count;
                    lastPage = std::min(lastPage, *count);
                }
            }
            if (!o.ok) {
                ++progress_.failures;
                listener_.OnWarning(Quoted(forum) + "第" + std::to_string(o.task.page) +
                                    "页读取失败（" + o.error + "），已跳过");
            } else {
                ++pagesRead;
                long long before = nextNumber_;
                if (!HandOnPage(o, ended)) {
                    return ForumEnd::SaveFailed;
                }
                if (options_.collectUserIds) {
                    pendingLookups += static_cast<int>(nextNumber_ - before);
                }
            }
            progress_.page = nextToHandOn;
            ready.erase(it);
            ++nextToHandOn;
            Report(true);
        }
        topUp();
    }
    if (pagesRead == 0) {
        listener_.OnWarning(Quoted(forum) + "没有读到任何页面，已跳过，可稍后重新采集");
        return ForumEnd::Skipped;
    }
    return ForumEnd::Done;
}

bool Collector::Run::HandOnPage(const Outcome& outcome, bool& ended) {
    std::vector<MemberRecord> records;
    bool metNew = false;
    for (ParsedMember& m : ParseMembers(outcome.text)) {
        if (seen_.insert(m.homeLink).second) {
            metNew = true;
            if (!collectedBefore_.contains(m.homeLink)) {
                records.push_back(
                    {nextNumber_++, std::move(m.nickname), std::move(m.homeLink), {}});
            }
        }
    }
    if (!metNew) {
        // No member, or only members met already: the service repeats its first page past the
        // pages it serves, so this is the forum's end.
        ended = true;
        return true;
    }
    if (records.empty()) {
        return true;  // every member was collected by an earlier run
    }
    progress_.members += static_cast<long long>(records.size());
    listener_.OnRecords(records);
    for (const MemberRecord& r : records) {
        if (writer_ && !writer_->SaveRecordNow(r)) {
            failure_ = writer_->Error();
            return false;
        }
        if (options_.collectUserIds) {
            Submit({.lookup = true, .record = r});
        }
    }
    return true;
}

bool Collector::Run::HandOnUserId(const Outcome& outcome) {
    if (!outcome.ok) {
        ++progress_.failures;
        listener_.OnWarning("用户“" + outcome.task.record.nickname + "”的ID读取失败（" +
                            outcome.error + "），已跳过");
    } else if (!outcome.text.empty()) {
        ++progress_.userIds;
        listener_.OnUserId(outcome.task.record.number, outcome.text);
        if (writer_ && !writer_->SaveUserId(outcome.text)) {
            failure_ = writer_->Error();
            return false;
        }
    }
    Report();
    return true;
}

void Collector::Run::Report(bool force) {
    auto now = Clock::now();
    if (!force && now - lastReport_ < std::chrono::milliseconds(200)) {
        return;
    }
    lastReport_ = now;
    double seconds = std::chrono::duration<double>(now - started_).count();
    progress_.requestsPerSecond = seconds > 0 ? static_cast<double>(requests_) / seconds : 0;
    listener_.OnProgress(progress_);
}

void Collector::Run::Submit(Task task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    tasksReady_.notify_one();
}

std::optional<Outcome> Collector::Run::NextOutcome() {
    std::unique_lock lock(mutex_);
    outcomesReady_.wait(lock, [this] { return stop_ || !outcomes_.empty(); });
    if (stop_) {
        return std::nullopt;
    }
    Outcome outcome = std::move(outcomes_.front());
    outcomes_.pop_front();
    return outcome;
}

void Collector::Run::SignalStop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    tasksReady_.notify_all();
    outcomesReady_.notify_all();
    stopping_.notify_all();
}

bool Collector::Run::RestFor(Clock::duration duration) {
    if (duration <= Clock::duration::zero()) {
        return !stop_;
    }
    std::unique_lock lock(mutex_);
    return !stopping_.wait_for(lock, duration, [this] { return stop_.load(); });
}

void Collector::Run::WorkerLoop(unsigned seed) {
    std::mt19937 random(seed);
    while (true) {
        Task task;
        {
            std::unique_lock lock(mutex_);
            tasksReady_.wait(lock, [this] { return stop_ || !tasks_.empty(); });
            if (stop_) {
                return;
            }
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        Outcome outcome = Perform(task, random);
        if (stop_) {
            return;
        }
        {
            std::lock_guard lock(mutex_);
            outcomes_.push_back(std::move(outcome));
        }
        outcomesReady_.notify_one();
    }
}

Outcome Collector::Run::Perform(const Task& task, std::mt19937& random) {
    Outcome outcome{task};
    std::uniform_int_distribution<long long> pause(options_.pauseMin.count(),
                                                   options_.pauseMax.count());
    int failures = 0;
    while (!stop_) {
        Clock::time_point restUntil;
        {
            std::lock_guard lock(mutex_);
            restUntil = restUntil_;
        }
        auto rest = std::max<Clock::duration>(std::chrono::milliseconds(pause(random)),
                                              restUntil - Clock::now());
        if (!RestFor(rest)) {
            break;
        }
        HttpResponse response;
        if (task.lookup) {
            UserIdLookup lookup = LookUpUserId(options_.site, task.record);
            response = std::move(lookup.response);
            outcome.text = std::move(lookup.userId);
        } else {
            response =
                ReadMemberPage(options_.site, forums_[static_cast<size_t>(task.forum)], task.page);
        }
        ++requests_;
        if (stop_) {
            break;
        }
        if (response.ok() && IsRefusal(response)) {
            std::lock_guard lock(mutex_);
            if (++refusalsInRow_ > options_.refusalTries) {
                outcome.refused = true;
                return outcome;
            }
            auto coolDown = options_.refusalCooldown * (1 << std::min(refusalsInRow_ - 1, 10));
            restUntil_ = std::max(restUntil_, Clock::now() + coolDown);
            continue;
        }
        {
            std::lock_guard lock(mutex_);
            refusalsInRow_ = 0;
        }
        bool serverError = response.ok() && response.status >= 500;
        if (response.ok() && !serverError && response.status < 300) {
            outcome.ok = true;
            if (!task.lookup) {
                outcome.text = std::move(response.body);
            }
            return outcome;
        }
        outcome.error =
            response.ok() ? "HTTP " + std::to_string(response.status) : response.errorMessage;
        outcome.text.clear();
        if (!serverError && response.ok()) {
            return outcome;  // a redirect or a 4xx: asking again will not help
        }
        if (++failures >= options_.tries) {
            return outcome;
        }
        if (!RestFor(options_.retryBackoff * (1 << std::min(failures - 1, 10)))) {
            break;
        }
    }
    return outcome;
}

Collector::Collector(std::vector<std::string> forums, CollectOptions options,
                     CollectorListener& listener)
    : run_(std::make_unique<Run>(std::move(forums), std::move(options), listener)) {}

Collector::~Collector() {
    RequestStop();
    Wait();
}

void Collector::Start() {
    thread_ = std::thread([this] {
        run_->Execute();
        finished_ = true;
    });
}

void Collector::RequestStop() {
    run_->Stop();
}

void Collector::Wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace zelvor
