#pragma once

// What the collector's tests share: a listener that keeps all a run reports, and a fake forum
// to run against.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "collect/collector.h"
#include "fake_forum.h"

namespace zelvor::collect_testing {

using fake_forum::FakeForum;
using fake_forum::FakeForumConfig;

// Keeps everything the run reports, for the test to look at after Wait().
class Recorder : public CollectorListener {
  public:
    void OnForumState(int forum, ForumState state) override {
        std::lock_guard lock(*mutex_);
        states[forum].push_back(state);
    }
    void OnRecords(const std::vector<MemberRecord>& batch) override {
        std::lock_guard lock(*mutex_);
        records.insert(records.end(), batch.begin(), batch.end());
        changed_->notify_all();
    }
    void OnUserId(long long number, const std::string& id) override {
        std::lock_guard lock(*mutex_);
        ids[number] = id;
    }
    void OnProgress(const CollectProgress& p) override {
        std::lock_guard lock(*mutex_);
        progress = p;
    }
    void OnWarning(const std::string& message) override {
        std::lock_guard lock(*mutex_);
        warnings.push_back(message);
    }
    void OnFinished(const RunResult& r) override {
        std::lock_guard lock(*mutex_);
        result = r;
    }
    // Waits until done() holds, calling it with the recorder locked; false after 10 s.
    bool WaitUntil(const std::function<bool()>& done) {
        std::unique_lock lock(*mutex_);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        // Polled as well: done() may look at things that do not wake the recorder.
        while (!done()) {
            if (changed_->wait_for(lock, std::chrono::milliseconds(2)) == std::cv_status::timeout &&
                std::chrono::steady_clock::now() > deadline) {
                return false;
            }
        }
        return true;
    }
    bool WaitForRecords(size_t count) {
        return WaitUntil([&] { return records.size() >= count; });
    }

    std::map<int, std::vector<ForumState>> states;
    std::vector<MemberRecord> records;
    std::map<long long, std::string> ids;
    std::vector<std::string> warnings;
    CollectProgress progress;
    RunResult result{RunEnd::Failed, "not finished"};

  private:
    // Held by pointer so that a finished recorder can be returned by value.
    std::unique_ptr<std::mutex> mutex_ = std::make_unique<std::mutex>();
    std::unique_ptr<std::condition_variable> changed_ = std::make_unique<std::condition_variable>();
};

inline std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class CollectorTest : public ::testing::Test {
  protected:
    void TearDown() override {
        for (const std::filesystem::path& folder : folders_) {
            std::filesystem::remove_all(folder);
        }
    }

    void StartForum(FakeForumConfig config) {
        forum_ = std::make_unique<FakeForum>(std::move(config));
        forum_->Start();
    }

    CollectOptions Options() const {
        CollectOptions options;
        options.site.root = forum_->Url();
        options.site.timeouts.receive = std::chrono::seconds(5);
        options.pauseMin = options.pauseMax = std::chrono::milliseconds(0);
        options.concurrency = 4;
        options.retryBackoff = std::chrono::milliseconds(1);
        options.refusalCooldown = std::chrono::milliseconds(5);
        return options;
    }

    Recorder Collect(std::vector<std::string> forums, const CollectOptions& options) {
        Recorder recorder;
        Collector collector(std::move(forums), options, recorder);
        collector.Start();
        collector.Wait();
        return recorder;
    }

    // A new, empty folder of this test's own, removed when the test ends.
    std::filesystem::path Folder(const std::string& name) {
        std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                       ("zelvor-" + name + "-" + std::to_string(getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        folders_.push_back(folder);
        return folder;
    }

    std::unique_ptr<FakeForum> forum_;

  private:
    std::vector<std::filesystem::path> folders_;
};

}  // namespace zelvor::collect_testing
