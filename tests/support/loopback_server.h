#pragma once

#include <httplib.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace zelvor::testing_support {

// An HTTP server on 127.0.0.1 and a free port, serving from its own thread for one test.
class LoopbackServer {
  public:
    // Plain HTTP, or HTTPS with the given PEM certificate and key.
    LoopbackServer();
    LoopbackServer(const std::string& certFile, const std::string& keyFile);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    httplib::Server& server() { return *server_; }
    // Binds and starts serving; routes must be set before.
    void Start();
    int port() const { return port_; }
    std::string Url(const std::string& path) const;

  private:
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    int port_ = 0;
    bool secure_ = false;
};

// A bare TCP listener on 127.0.0.1 that hands each accepted socket to a script, for answers no
// well-behaved server gives (silence, a body cut short).
class RawTcpServer {
  public:
    explicit RawTcpServer(
        std::function<void(int socket, const std::atomic<bool>& stopping)> script);
    ~RawTcpServer();
    RawTcpServer(const RawTcpServer&) = delete;
    RawTcpServer& operator=(const RawTcpServer&) = delete;

    int port() const { return port_; }
    std::string Url(const std::string& path) const;

  private:
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptor_;
    std::vector<std::thread> connections_;
};

// A port on 127.0.0.1 where nothing listens.
int UnusedPort();

// Reads from the socket until the end of the request headers (or the peer closes).
void ReadRequestHead(int socket);

}  // namespace zelvor::testing_support
