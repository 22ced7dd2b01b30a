#include "fake_forum.h"

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "forum_pages.h"
#include "text/gbk.h"

namespace zelvor::fake_forum {

struct FakeForum::Forum {
    int count = 0;
    // Only the members a served page can show: MakeMembers gives every count the same leading
    // members, so a forum of millions costs no more than one of 12,000.
    std::vector<FakeMember> members;
};

// httplib 0.11 listens with a backlog of 5: a burst of connections from a collector at
// concurrency 16 would have SYNs dropped and retried a second later.
class FakeForum::Listener : public httplib::Server {
  public:
    void WidenBacklog() { ::listen(svr_sock_, SOMAXCONN); }
};

namespace {

constexpr int kSlowPieces = 8;
constexpr uint64_t kDropSalt = 1;
constexpr uint64_t kFailSalt = 2;
constexpr uint64_t kSlowSalt = 3;
constexpr uint64_t kBurstSalt = 4;
constexpr uint64_t kBurstKindSalt = 5;
constexpr uint64_t kCutSalt = 6;
constexpr uint64_t kTruncateSalt = 7;
constexpr uint64_t kLateSalt = 8;
constexpr uint64_t kLoopSalt = 9;
constexpr uint64_t kHugeSalt = 10;

uint64_t Mix(uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

uint64_t HashText(std::string_view text) {
    uint64_t h = 0xCBF29CE484222325ULL;
    for (char c : text) {
        h = (h ^ static_cast<unsigned char>(c)) * 0x100000001B3ULL;
    }
    return h;
}

int PageNumber(const httplib::Request& req) {
    std::string text = req.get_param_value("pn");
    int page = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), page);
    return error == std::errc() && end == text.data() + text.size() && page >= 1 ? page : 1;
}

// httplib hands handlers no socket, so find the connection by its two ends and shut it: the
// client reads the end of the stream where the answer should be.
void ShutConnection(const httplib::Request& req) {
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        int fd = std::stoi(entry.path().filename().string());
        sockaddr_in local{};
        sockaddr_in peer{};
        socklen_t localSize = sizeof local;
        socklen_t peerSize = sizeof peer;
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) == 0 &&
            local.sin_family == AF_INET &&
            getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) == 0 &&
            ntohs(local.sin_port) == req.local_port && ntohs(peer.sin_port) == req.remote_port) {
            shutdown(fd, SHUT_RDWR);
            return;
        }
    }
}

void AnswerServerError(httplib::Response& res) {
    res.status = 500;
    res.set_content("<html><body><h1>500 Internal Server Error</h1></body></html>", "text/html");
}

void AnswerTooManyRequests(httplib::Response& res) {
    res.status = 429;
    res.set_content("<html><body><h1>429 Too Many Requests</h1></body></html>", "text/html");
}

std::string PageKey(std::string_view forum, int page) {
    return "page\n" + std::string(forum) + "\n" + std::to_string(page);
}

std::string HomeKey(std::string_view userName) {
    return "home\n" + std::string(userName);
}

std::string CheckRate(const char* name, double rate) {
    if (std::isfinite(rate) && rate >= 0 && rate <= 1) {
        return "";
    }
    char shown[32];
    std::snprintf(shown, sizeof shown, "%g", rate);
    return std::string(name) + "必须在 0 到 1 之间，现在是 " + shown;
}

}  // namespace

std::string ConfigError(const FakeForumConfig& config) {
    if (config.port < 0 || config.port > 65535) {
        return "端口必须在 0 到 65535 之间，现在是 " + std::to_string(config.port);
    }
    if (config.defaultMembers < 0) {
        return "每个吧的会员数不能是负数，现在是 " + std::to_string(config.defaultMembers);
    }
    for (const auto& [name, count] : config.forums) {
        if (name.empty()) {
            return "吧名不能为空";
        }
        if (count < 0) {
            return "“" + name + "”吧的会员数不能是负数，现在是 " + std::to_string(count);
        }
    }
    for (const std::string& error :
         {CheckRate("失败率", config.failureRate), CheckRate("断开率", config.dropRate),
          CheckRate("慢速率", config.slowRate), CheckRate("突发错误率", config.burstRate),
          CheckRate("中途断开率", config.cutRate), CheckRate("截断率", config.truncateRate),
          CheckRate("超时回答率", config.lateRate), CheckRate("循环跳转率", config.loopRate),
          CheckRate("超大页面率", config.hugeRate)}) {
        if (!error.empty()) {
            return error;
        }
    }
    if (config.latency.count() < 0 || config.slowPause.count() < 0 || config.lateBy.count() < 0) {
        return "延迟不能是负数";
    }
    if (config.burstLength < 1) {
        return "突发错误的长度至少是 1";
    }
    if (config.refuse < 0) {
        return "拒绝的请求数不能是负数，现在是 " + std::to_string(config.refuse);
    }
    if (config.threads < 1) {
        return "线程数至少是 1";
    }
    return "";
}

FakeForum::FakeForum(FakeForumConfig config)
    : config_(std::move(config)), server_(std::make_unique<Listener>()) {
    if (std::string error = ConfigError(config_); !error.empty()) {
        throw std::invalid_argument(error);
    }
    server_->new_task_queue = [threads = static_cast<size_t>(config_.threads)] {
        return new httplib::ThreadPool(threads);
    };
    // httplib's default is SO_REUSEPORT alone, which lets a second server share a busy port.
    server_->set_socket_options([](int socket) {
        int yes = 1;
        setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    // Headers and body go out in separate writes; without this, delayed ACKs cost 40 ms a page.
    server_->set_tcp_nodelay(true);
    server_->Get(
        "/bawu2/platform/listMemberInfo",
        [this](const httplib::Request& req, httplib::Response& res) { ServeMemberPage(req, res); });
    server_->Get("/home/main", [this](const httplib::Request& req, httplib::Response& res) {
        ServeHomePage(req, res);
    });
    server_->Get("/Soft_Notice.txt", [this](const httplib::Request&, httplib::Response& res) {
        ++counters_.notices;
        res.set_content(Utf8ToGbk(config_.notice), "text/plain");
    });
}

FakeForum::~FakeForum() {
    Stop();
}

void FakeForum::Start() {
    // httplib writes with plain send(): a client hanging up, or a dropped connection, must not
    // kill the process.
    signal(SIGPIPE, SIG_IGN);
    if (config_.port != 0) {
        port_ = server_->bind_to_port("127.0.0.1", config_.port) ? config_.port : -1;
    } else {
        port_ = server_->bind_to_any_port("127.0.0.1");
    }
    if (port_ <= 0) {
        throw std::runtime_error("无法在 127.0.0.1 上监听端口 " + std::to_string(config_.port));
    }
    server_->WidenBacklog();
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    while (!server_->is_running()) {
        std::this_thread::yield();
    }
}

void FakeForum::Stop() {
    server_->stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::string FakeForum::Url() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

int FakeForum::PageRequests(std::string_view forum, int page) const {
    std::lock_guard lock(mutex_);
    auto it = tallies_.find(PageKey(forum, page));
    return it == tallies_.end() ? 0 : it->second.asked;
}

bool FakeForum::PageServed(std::string_view forum, int page) const {
    return Served(PageKey(forum, page));
}

bool FakeForum::HomePageServed(std::string_view userName) const {
    return Served(HomeKey(userName));
}

bool FakeForum::Served(const std::string& key) const {
    std::lock_guard lock(mutex_);
    auto it = tallies_.find(key);
    return it != tallies_.end() && it->second.served;
}

std::vector<FakeForum::Query> FakeForum::Queries() const {
    std::lock_guard lock(mutex_);
    return queries_;
}

void FakeForum::ServeMemberPage(const httplib::Request& req, httplib::Response& res) {
    ++counters_.memberPages;
    if (!req.has_param("word")) {
        res.status = 404;
        return;
    }
    std::string name = GbkToUtf8(req.get_param_value("word"));
    int page = PageNumber(req);
    for (int seen = counters_.highestPage; page > seen;) {
        if (counters_.highestPage.compare_exchange_weak(seen, page)) {
            break;
        }
    }
    std::string key = PageKey(name, page);
    std::optional<Admission> admission = Admit(key, true, req, res);
    if (!admission) {
        return;
    }
    std::shared_ptr<const Forum> forum = FindForum(name);
    if (forum->count == 0) {
        SendPage(key, *admission, RenderEmptyForumPage(name), res);
        return;
    }
    int pageCount = (forum->count + kMembersPerPage - 1) / kMembersPerPage;
    if (page > kServedPageLimit && config_.pastLimit == PastLimitAnswer::FirstPage) {
        page = 1;
    }
    std::span<const FakeMember> shown;
    if (page <= std::min(pageCount, kServedPageLimit)) {
        size_t first = static_cast<size_t>(page - 1) * kMembersPerPage;
        shown =
            std::span(forum->members)
                .subspan(first, std::min<size_t>(kMembersPerPage, forum->members.size() - first));
    }
    PageStyle style =
        config_.style == StyleMode::Indented || (config_.style == StyleMode::Mixed && page % 2 == 0)
            ? PageStyle::Indented
            : PageStyle::Minified;
    SendPage(key, *admission, RenderMemberPage(name, page, pageCount, shown, style), res);
}

void FakeForum::ServeHomePage(const httplib::Request& req, httplib::Response& res) {
    ++counters_.homePages;
    std::string userName = GbkToUtf8(req.get_param_value("un"));
    std::string key = HomeKey(userName);
    std::optional<Admission> admission = Admit(key, false, req, res);
    if (!admission) {
        return;
    }
    if (std::optional<MemberPlace> place = FindMemberPlace(userName)) {
        std::shared_ptr<const Forum> forum = FindForum(place->forum);
        if (place->index < static_cast<int>(forum->members.size()) &&
            forum->members[static_cast<size_t>(place->index)].userName == userName) {
            SendPage(key, *admission,
                     RenderHomePage(forum->members[static_cast<size_t>(place->index)]), res);
            return;
        }
    }
    SendPage(key, *admission, RenderUnknownUserPage(), res);
}

std::optional<FakeForum::Admission> FakeForum::Admit(const std::string& key, bool refusable,
                                                     const httplib::Request& req,
                                                     httplib::Response& res) {
    Admission admission;
    {
        std::lock_guard lock(mutex_);
        admission.attempt = tallies_[key].asked++;
        if (config_.keepQueries) {
            queries_.push_back(req.params);
        }
    }
    const int attempt = admission.attempt;
    std::this_thread::sleep_for(config_.latency);
    if ((refusable && Refuse(req, res)) || Burst(res)) {
        return std::nullopt;
    }
    if (Draw(key, attempt, kDropSalt) < config_.dropRate) {
        ++counters_.dropped;
        ShutConnection(req);
        return std::nullopt;
    }
    if (Draw(key, attempt, kFailSalt) < config_.failureRate) {
        ++counters_.failed;
        AnswerServerError(res);
        return std::nullopt;
    }
    if (Draw(key, attempt, kLoopSalt) < config_.loopRate) {
        ++counters_.looped;
        res.set_redirect(req.target);
        return std::nullopt;
    }
    if (Draw(key, attempt, kLateSalt) < config_.lateRate) {
        ++counters_.late;
        std::this_thread::sleep_for(config_.lateBy);
        admission.late = true;
    }
    return admission;
}

bool FakeForum::Burst(httplib::Response& res) {
    int run = burstTurns_++ / config_.burstLength;
    if (Draw("burst", run, kBurstSalt) >= config_.burstRate) {
        return false;
    }
    ++counters_.burst;
    if (Draw("burst", run, kBurstKindSalt) < 0.5) {
        AnswerServerError(res);
    } else {
        AnswerTooManyRequests(res);
    }
    return true;
}

bool FakeForum::Refuse(const httplib::Request& req, httplib::Response& res) {
    int turn = refuseTurns_++;
    if (turn >= config_.refuse) {
        return false;
    }
    ++counters_.refused;
    switch (turn % 4) {
        case 0:
            AnswerTooManyRequests(res);
            break;
        case 1:
            res.set_redirect(
                "https://wappass.baidu.com/static/captcha/tuxing.html?ak=zelvor&backurl=" +
                PercentEncodeGbk(Url() + req.target) + "&logid=" + std::to_string(turn));
            break;
        case 2:
            res.set_content(Utf8ToGbk(RenderSecurityCheckPage()), "text/html");
            break;
        default:
            res.set_content(Utf8ToGbk(RenderNetworkBusyPage()), "text/html");
    }
    return true;
}

void FakeForum::SendPage(const std::string& key, Admission admission, std::string_view utf8Page,
                         httplib::Response& res) {
    std::string body = Utf8ToGbk(utf8Page);
    const int attempt = admission.attempt;
    if (Draw(key, attempt, kHugeSalt) < config_.hugeRate) {
        ++counters_.huge;
        res.set_content_provider(
            std::max(config_.hugeBytes, body.size()), "text/html",
            [body](size_t offset, size_t length, httplib::DataSink& sink) {
                static const std::string blanks(64 << 10, ' ');
                if (offset < body.size()) {
                    return sink.write(body.data() + offset, std::min(length, body.size() - offset));
                }
                return sink.write(blanks.data(), std::min(length, blanks.size()));
            });
        return;
    }
    // Half the body, then the provider gives up and httplib closes the connection.
    auto half = [body](size_t offset, httplib::DataSink& sink) {
        return offset == 0 && sink.write(body.data(), body.size() / 2);
    };
    if (Draw(key, attempt, kCutSalt) < config_.cutRate) {
        ++counters_.cut;
        res.set_chunked_content_provider("text/html", half);
        return;
    }
    if (Draw(key, attempt, kTruncateSalt) < config_.truncateRate) {
        ++counters_.truncated;
        res.set_content_provider(
            body.size(), "text/html",
            [half](size_t offset, size_t, httplib::DataSink& sink) { return half(offset, sink); });
        return;
    }
    if (!admission.late) {
        std::lock_guard lock(mutex_);
        tallies_[key].served = true;
    }
    if (Draw(key, attempt, kSlowSalt) >= config_.slowRate) {
        res.set_content(body, "text/html");
        return;
    }
    ++counters_.slowed;
    size_t piece = (body.size() + kSlowPieces - 1) / kSlowPieces;
    res.set_content_provider(body.size(), "text/html",
                             [body, piece, pause = config_.slowPause](size_t offset, size_t length,
                                                                      httplib::DataSink& sink) {
                                 if (offset > 0) {
                                     std::this_thread::sleep_for(pause);
                                 }
                                 return sink.write(body.data() + offset, std::min(piece, length));
                             });
}

std::shared_ptr<const FakeForum::Forum> FakeForum::FindForum(const std::string& name) {
    std::lock_guard lock(mutex_);
    std::shared_ptr<const Forum>& forum = forums_[name];
    if (!forum) {
        auto made = std::make_shared<Forum>();
        auto configured = config_.forums.find(name);
        made->count =
            configured == config_.forums.end() ? config_.defaultMembers : configured->second;
        made->members = MakeMembers(name, std::min(made->count, kServedPageLimit * kMembersPerPage),
                                    config_.seed);
        if (auto given = config_.nicknames.find(name); given != config_.nicknames.end()) {
            for (size_t i = 0; i < std::min(given->second.size(), made->members.size()); ++i) {
                made->members[i].nickname = given->second[i];
            }
        }
        forum = std::move(made);
    }
    return forum;
}

double FakeForum::Draw(const std::string& key, int attempt, uint64_t salt) const {
    uint64_t bits =
        Mix(Mix(Mix(config_.seed ^ (salt << 32)) ^ HashText(key)) ^ static_cast<uint64_t>(attempt));
    return static_cast<double>(bits >> 11) * 0x1.0p-53;
}

}  // namespace zelvor::fake_forum
