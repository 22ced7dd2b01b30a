#include "loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace zelvor::testing_support {

namespace {

int BoundSocket(int& port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        throw std::runtime_error("bind failed");
    }
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    return fd;
}

}  // namespace

LoopbackServer::LoopbackServer() : server_(std::make_unique<httplib::Server>()) {}

LoopbackServer::LoopbackServer(const std::string& certFile, const std::string& keyFile)
    : server_(std::make_unique<httplib::SSLServer>(certFile.c_str(), keyFile.c_str())),
      secure_(true) {}

LoopbackServer::~LoopbackServer() {
    server_->stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void LoopbackServer::Start() {
    port_ = server_->bind_to_any_port("127.0.0.1");
    if (port_ <= 0) {
        throw std::runtime_error("cannot bind the loopback server");
    }
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    while (!server_->is_running()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::string LoopbackServer::Url(const std::string& path) const {
    return std::string(secure_ ? "https" : "http") + "://127.0.0.1:" + std::to_string(port_) + path;
}

RawTcpServer::RawTcpServer(
    std::function<void(int socket, const std::atomic<bool>& stopping)> script) {
    listener_ = BoundSocket(port_);
    listen(listener_, 16);
    acceptor_ = std::thread([this, script = std::move(script)] {
        while (!stopping_) {
            pollfd p{listener_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) {
                continue;
            }
            int fd = accept(listener_, nullptr, nullptr);
            if (fd < 0) {
                continue;
            }
            connections_.emplace_back([this, fd, script] {
                script(fd, stopping_);
                close(fd);
            });
        }
    });
}

RawTcpServer::~RawTcpServer() {
    stopping_ = true;
    acceptor_.join();
    for (std::thread& t : connections_) {
        t.join();
    }
    close(listener_);
}

std::string RawTcpServer::Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
}

int UnusedPort() {
    int port = 0;
    close(BoundSocket(port));
    return port;
}

void ReadRequestHead(int socket) {
    std::string seen;
    char buffer[4096];
    while (seen.find("\r\n\r\n") == std::string::npos) {
        ssize_t n = recv(socket, buffer, sizeof buffer, 0);
        if (n <= 0) {
            return;
        }
        seen.append(buffer, static_cast<size_t>(n));
    }
}

}  // namespace zelvor::testing_support
