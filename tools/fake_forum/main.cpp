// zelvor-fake-forum: the fake forum service as a process, for benchmarks, demos and tests that
// drive zelvor-cli.

#include <signal.h>

#include <charconv>
#include <cstdio>
#include <exception>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "fake_forum.h"

namespace {

using zelvor::fake_forum::FakeForumConfig;
using zelvor::fake_forum::StyleMode;

constexpr const char* kUsage =
    "用法：zelvor-fake-forum [选项]\n"
    "  --port N            监听的端口，0 表示任选空闲端口（默认 0）\n"
    "  --members N         每个吧的默认会员数（默认 500）\n"
    "  --forum 吧名=人数    指定某个吧的会员数，0 表示空吧；可重复\n"
    "  --seed N            随机种子（默认 1）\n"
    "  --style S           页面排版：minified、indented 或 mixed（默认 minified）\n"
    "  --past-limit A      超过 500 页时的回答：first（第一页）或 empty（空列表）\n"
    "  --latency MS        每个回答前的延迟（毫秒）\n"
    "  --failure-rate P    回答 500 的请求比例（0 到 1）\n"
    "  --drop-rate P       不回答就断开连接的请求比例（0 到 1）\n"
    "  --slow-rate P       分段慢速发送的回答比例（0 到 1）\n"
    "  --burst-rate P      每 4 个请求一组，整组回答 500 或 429 的组的比例（0 到 1）\n"
    "  --cut-rate P        正文发到一半就断开连接的回答比例（0 到 1）\n"
    "  --truncate-rate P   声明完整长度、只发一半正文就关闭的回答比例（0 到 1）\n"
    "  --late-rate P       2 秒后才回答（客户端已超时）的请求比例（0 到 1）\n"
    "  --loop-rate P       跳转回同一地址的请求比例（0 到 1）\n"
    "  --huge-rate P       填充到 100 MB 的超大页面比例（0 到 1）\n"
    "  --refuse N          前 N 个会员页请求按服务的拒绝方式回答\n"
    "  --notice 文本        公告文件的内容\n"
    "就绪后在标准输出打印一行“port N”；收到 SIGTERM 或 SIGINT 时退出。\n";

struct UsageError {
    std::string message;
};

template <class Number>
Number ParseNumber(std::string_view option, const std::string& text, const char* kind) {
    Number value{};
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        throw UsageError{"选项 " + std::string(option) + " 需要" + kind + "，收到的是“" + text +
                         "”"};
    }
    return value;
}

int ParseInt(std::string_view option, const std::string& text) {
    return ParseNumber<int>(option, text, "一个整数");
}

double ParseRate(std::string_view option, const std::string& text) {
    return ParseNumber<double>(option, text, "一个 0 到 1 之间的小数");
}

template <class Value>
Value ParseChoice(std::string_view option, const std::string& text,
                  const std::map<std::string, Value>& choices) {
    auto it = choices.find(text);
    if (it == choices.end()) {
        std::string names;
        for (const auto& choice : choices) {
            names += (names.empty() ? "" : "、") + choice.first;
        }
        throw UsageError{"选项 " + std::string(option) + " 只能是 " + names + "，收到的是“" + text +
                         "”"};
    }
    return it->second;
}

void AddForum(FakeForumConfig& config, const std::string& text) {
    size_t equals = text.rfind('=');
    if (equals == std::string::npos) {
        throw UsageError{"选项 --forum 需要“吧名=人数”的形式，收到的是“" + text + "”"};
    }
    config.forums[text.substr(0, equals)] = ParseInt("--forum", text.substr(equals + 1));
}

FakeForumConfig ParseArguments(int argc, char** argv) {
    FakeForumConfig config;
    using Setter = std::function<void(const std::string&)>;
    std::map<std::string_view, Setter> options{
        {"--port", [&](const std::string& v) { config.port = ParseInt("--port", v); }},
        {"--members",
         [&](const std::string& v) { config.defaultMembers = ParseInt("--members", v); }},
        {"--forum", [&](const std::string& v) { AddForum(config, v); }},
        {"--seed",
         [&](const std::string& v) {
             config.seed = ParseNumber<uint32_t>("--seed", v, "一个非负整数");
         }},
        {"--style",
         [&](const std::string& v) {
             config.style = ParseChoice<StyleMode>("--style", v,
                                                   {{"minified", StyleMode::Minified},
                                                    {"indented", StyleMode::Indented},
                                                    {"mixed", StyleMode::Mixed}});
         }},
        {"--past-limit",
         [&](const std::string& v) {
             using zelvor::fake_forum::PastLimitAnswer;
             config.pastLimit = ParseChoice<PastLimitAnswer>(
                 "--past-limit", v,
                 {{"first", PastLimitAnswer::FirstPage}, {"empty", PastLimitAnswer::EmptyList}});
         }},
        {"--latency",
         [&](const std::string& v) {
             config.latency = std::chrono::milliseconds(ParseInt("--latency", v));
         }},
        {"--refuse", [&](const std::string& v) { config.refuse = ParseInt("--refuse", v); }},
        {"--notice", [&](const std::string& v) { config.notice = v; }},
    };
    using Rate = std::pair<std::string_view, double FakeForumConfig::*>;
    for (auto [name, field] : {Rate{"--failure-rate", &FakeForumConfig::failureRate},
                               Rate{"--drop-rate", &FakeForumConfig::dropRate},
                               Rate{"--slow-rate", &FakeForumConfig::slowRate},
                               Rate{"--burst-rate", &FakeForumConfig::burstRate},
                               Rate{"--cut-rate", &FakeForumConfig::cutRate},
                               Rate{"--truncate-rate", &FakeForumConfig::truncateRate},
                               Rate{"--late-rate", &FakeForumConfig::lateRate},
                               Rate{"--loop-rate", &FakeForumConfig::loopRate},
                               Rate{"--huge-rate", &FakeForumConfig::hugeRate}}) {
        options.emplace(name, [&config, name, field](const std::string& v) {
            config.*field = ParseRate(name, v);
        });
    }
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        std::string_view name = arg.substr(0, arg.find('='));
        auto option = options.find(name);
        if (option == options.end()) {
            throw UsageError{"未知选项：" + std::string(arg)};
        }
        if (name.size() < arg.size()) {
            option->second(std::string(arg.substr(name.size() + 1)));
        } else if (i + 1 < argc) {
            option->second(argv[++i]);
        } else {
            throw UsageError{"选项 " + std::string(name) + " 缺少值"};
        }
    }
    if (std::string error = ConfigError(config); !error.empty()) {
        throw UsageError{error};
    }
    return config;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--help") {
        std::cout << kUsage;
        return 0;
    }
    FakeForumConfig config;
    try {
        config = ParseArguments(argc, argv);
    } catch (const UsageError& error) {
        std::cerr << "zelvor-fake-forum：" << error.message
                  << "\n运行 zelvor-fake-forum --help 查看用法。\n";
        return 2;
    }
    // Blocked before any thread starts, so every thread inherits the mask and sigwait below
    // is the only place the signals land.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    try {
        zelvor::fake_forum::FakeForum forum(std::move(config));
        forum.Start();
        std::cout << "port " << forum.port() << std::endl;
        int received = 0;
        sigwait(&stopSignals, &received);
    } catch (const std::exception& error) {
        std::cerr << "zelvor-fake-forum：" << error.what() << "\n";
        return 1;
    }
    return 0;
}
