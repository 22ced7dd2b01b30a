#include "forward_proxy.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "loopback_server.h"

namespace zelvor::testing_support {

namespace {

constexpr const char* kTinyproxy = "/usr/bin/tinyproxy";

bool Accepts(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port));
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

}  // namespace

ForwardProxy::ForwardProxy(const std::string& user, const std::string& password) {
    if (access(kTinyproxy, X_OK) != 0) {
        return;
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "zelvor-proxy-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return;
    }
    folder_ = pattern;
    port_ = UnusedPort();
    std::string config = folder_ + "/tinyproxy.conf";
    {
        std::ofstream out(config);
        out << "Port " << port_ << "\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\n"
            << "Allow 127.0.0.1\nLogLevel Critical\nLogFile \"" << folder_ << "/log\"\n"
            << "DisableViaHeader No\n";
        if (!user.empty()) {
            out << "BasicAuth " << user << " " << password << "\n";
        }
    }
    pid_ = fork();
    if (pid_ == 0) {
        execl(kTinyproxy, kTinyproxy, "-d", "-c", config.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 200 && !Accepts(port_); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    if (!Accepts(port_)) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

ForwardProxy::~ForwardProxy() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

}  // namespace zelvor::testing_support
