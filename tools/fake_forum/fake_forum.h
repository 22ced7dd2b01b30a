#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace zelvor::fake_forum {

struct FakeMember;

// The service never serves a member page past this one, whatever its pager says.
constexpr int kServedPageLimit = 500;

enum class StyleMode { Minified, Indented, Mixed };  // Mixed: odd pages minified, even indented
enum class PastLimitAnswer { FirstPage, EmptyList };

struct FakeForumConfig {
    int port = 0;  // 0: any free port
    int defaultMembers = 500;
    std::map<std::string, int> forums;  // UTF-8 forum name -> member count; 0 is an empty forum
    uint32_t seed = 1;
    StyleMode style = StyleMode::Minified;
    PastLimitAnswer pastLimit = PastLimitAnswer::FirstPage;
    // The faults below hit member pages and home pages only.
    std::chrono::milliseconds latency{0};
    double failureRate = 0;  // answered 500
    double dropRate = 0;     // connection closed with no answer
    double slowRate = 0;     // body sent in pieces with pauses
    std::chrono::milliseconds slowPause{40};
    // Requests are counted off in runs of burstLength as they arrive; a run drawn below
    // burstRate is answered all 500 or all 429, like a service that falls over or clamps down
    // for a while.
    double burstRate = 0;
    int burstLength = 4;
    double cutRate = 0;       // connection closed halfway through a chunked body
    double truncateRate = 0;  // Content-Length promises the page, half is sent, then closed
    double lateRate = 0;      // answered only after lateBy, when a client has given up
    std::chrono::milliseconds lateBy{2000};
    double loopRate = 0;  // redirected to the very address asked for
    double hugeRate = 0;  // the page padded with blanks to hugeBytes
    size_t hugeBytes = size_t{100} << 20;
    int refuse = 0;  // the first member-page requests, answered the ways the service refuses
    // Nicknames for the first members of a forum (UTF-8 name), in place of made-up ones.
    std::map<std::string, std::vector<std::string>> nicknames;
    bool keepQueries = false;  // keep every page request's query for Queries()
    std::string notice = "@1欢迎使用Zelvor贴吧用户采集器#1http://www.zelvor.example/@1";
    int threads = 64;  // each kept-alive connection holds one
};

// Empty when the config makes sense, else what is wrong, in Chinese.
std::string ConfigError(const FakeForumConfig& config);

// A forum service of our own on 127.0.0.1: member-list pages, home pages and the notice file,
// with switchable faults. Which requests fail depends only on the seed, the page or user asked
// for and how often it was asked for, so runs repeat whatever the interleaving.
class FakeForum {
  public:
    struct Counters {
        std::atomic<int> memberPages{0};  // every member-page request, refused ones too
        std::atomic<int> homePages{0};
        std::atomic<int> notices{0};
        std::atomic<int> refused{0};
        std::atomic<int> failed{0};  // answered 500
        std::atomic<int> dropped{0};
        std::atomic<int> slowed{0};
        std::atomic<int> burst{0};  // answered 500 or 429 inside a burst
        std::atomic<int> cut{0};
        std::atomic<int> truncated{0};
        std::atomic<int> late{0};
        std::atomic<int> looped{0};
        std::atomic<int> huge{0};
        std::atomic<int> highestPage{0};  // the highest page number asked for
    };

    // Throws std::invalid_argument with ConfigError's message.
    explicit FakeForum(FakeForumConfig config);
    ~FakeForum();
    FakeForum(const FakeForum&) = delete;
    FakeForum& operator=(const FakeForum&) = delete;

    // Binds and serves from a thread of its own; throws std::runtime_error when it cannot bind.
    void Start();
    void Stop();

    int port() const { return port_; }
    // The site root, e.g. "http://127.0.0.1:40123".
    std::string Url() const;
    const Counters& counters() const { return counters_; }
    // Requests for one page of one forum (UTF-8 name); a missing or bad page number is page 1.
    int PageRequests(std::string_view forum, int page) const;
    // Whether the page, or the home page of the user name, went out whole and in time at least
    // once: a client that keeps asking has it.
    bool PageServed(std::string_view forum, int page) const;
    bool HomePageServed(std::string_view userName) const;
    // The query keys and values (decoded, so GBK bytes) of member-page and home-page requests,
    // in the order they arrived; kept only with keepQueries.
    using Query = std::multimap<std::string, std::string>;
    std::vector<Query> Queries() const;

  private:
    struct Forum;
    class Listener;
    struct Tally {
        int asked = 0;
        bool served = false;
    };
    struct Admission {
        int attempt = 0;  // how often the key was asked for before
        bool late = false;
    };

    void ServeMemberPage(const httplib::Request& req, httplib::Response& res);
    void ServeHomePage(const httplib::Request& req, httplib::Response& res);
    // Counts the request under key, waits the latency and applies the faults that answer in
    // place of the page; nothing when one did.
    std::optional<Admission> Admit(const std::string& key, bool refusable,
                                   const httplib::Request& req, httplib::Response& res);
    bool Refuse(const httplib::Request& req, httplib::Response& res);
    bool Burst(httplib::Response& res);
    // Sends the page, or breaks its body when a body fault is drawn.
    void SendPage(const std::string& key, Admission admission, std::string_view utf8Page,
                  httplib::Response& res);
    bool Served(const std::string& key) const;
    std::shared_ptr<const Forum> FindForum(const std::string& name);
    double Draw(const std::string& key, int attempt, uint64_t salt) const;

    FakeForumConfig config_;
    std::unique_ptr<Listener> server_;
    std::thread thread_;
    int port_ = 0;
    Counters counters_;
    std::atomic<int> refuseTurns_{0};
    std::atomic<int> burstTurns_{0};
    mutable std::mutex mutex_;
    std::map<std::string, std::shared_ptr<const Forum>> forums_;
    std::map<std::string, Tally, std::less<>> tallies_;
    std::vector<Query> queries_;
};

}  // namespace zelvor::fake_forum
