// zelvor-fake-forum as a process: its ready line, its options, its exit.

#include <gtest/gtest.h>
#include <httplib.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "text/gbk.h"

namespace {

using Clock = std::chrono::steady_clock;

class Process {
  public:
    explicit Process(std::vector<std::string> args) {
        int out[2];
        int err[2];
        if (pipe(out) != 0 || pipe(err) != 0) {
            ADD_FAILURE() << "pipe";
            return;
        }
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            dup2(err[1], STDERR_FILENO);
            std::vector<char*> argv{const_cast<char*>(ZELVOR_FAKE_FORUM_EXE)};
            for (std::string& arg : args) {
                argv.push_back(arg.data());
            }
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~Process() {
        if (pid_ > 0 && !exited_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
        close(err_);
    }

    // Reads stdout up to the first line end (or its end); waits at most ten seconds.
    std::string ReadLine() {
        std::string line;
        while (line.find('\n') == std::string::npos && Read(out_, line)) {
        }
        return line.substr(0, line.find('\n'));
    }
    // Waits for the exit, reading what is left on stderr; -1 when it does not end in time.
    int WaitForExit(std::string& errors) {
        while (Read(err_, errors)) {
        }
        std::string rest;
        while (Read(out_, rest)) {
        }
        if (Clock::now() >= deadline_) {
            return -1;
        }
        int status = 0;
        exited_ = waitpid(pid_, &status, 0) == pid_;
        return exited_ && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void Signal(int number) { kill(pid_, number); }

  private:
    // Appends what arrives within the deadline; false at the end of the stream or the deadline.
    bool Read(int fd, std::string& into) {
        pollfd p{fd, POLLIN, 0};
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now());
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            return false;
        }
        char buffer[4096];
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) {
            return false;
        }
        into.append(buffer, static_cast<size_t>(n));
        return true;
    }

    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    bool exited_ = false;
    Clock::time_point deadline_ = Clock::now() + std::chrono::seconds(10);
};

TEST(FakeForumProcessTest, PrintsItsPortServesItsOptionsAndStopsOnSignals) {
    for (int signalNumber : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signalNumber);
        Process server({"--forum", "甲=30", "--notice", "@1维护#1x@1", "--port", "0"});
        std::string line = server.ReadLine();
        ASSERT_TRUE(line.starts_with("port ")) << line;
        httplib::Client client("127.0.0.1", std::stoi(line.substr(5)));
        httplib::Result page = client.Get(
            "/bawu2/platform/listMemberInfo?word=" + zelvor::PercentEncodeGbk("甲") + "&pn=1");
        ASSERT_TRUE(page);
        EXPECT_NE(zelvor::GbkToUtf8(page->body).find("共2页"), std::string::npos);
        httplib::Result notice = client.Get("/Soft_Notice.txt");
        ASSERT_TRUE(notice);
        EXPECT_EQ(notice->body, zelvor::Utf8ToGbk("@1维护#1x@1"));
        server.Signal(signalNumber);
        std::string errors;
        EXPECT_EQ(server.WaitForExit(errors), 0);
        EXPECT_EQ(errors, "");
    }
}

TEST(FakeForumProcessTest, RefusesNonsenseWithAMessageAndStatus2) {
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const Case cases[] = {
        {{"--failure-rate", "1.5"}, "失败率"},
        {{"--drop-rate", "half"}, "--drop-rate"},
        {{"--port", "abc"}, "--port"},
        {{"--port", "70000"}, "端口"},
        {{"--forum", "=3"}, "吧名"},
        {{"--forum", "甲"}, "吧名=人数"},
        {{"--members", "-1"}, "会员数"},
        {{"--style", "fancy"}, "minified"},
        {{"--refuse=-2"}, "拒绝"},
        {{"--bogus"}, "未知选项"},
        {{"--seed"}, "缺少值"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0]);
        Process server(c.args);
        std::string errors;
        EXPECT_EQ(server.WaitForExit(errors), 2);
        EXPECT_NE(errors.find(c.says), std::string::npos) << errors;
    }
}

}  // namespace
