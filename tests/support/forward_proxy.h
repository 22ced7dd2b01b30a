#pragma once

#include <sys/types.h>
#include <string>

namespace zelvor::testing_support {

// A real forward proxy (tinyproxy) on 127.0.0.1 for the life of the object, optionally asking
// for basic credentials.
class ForwardProxy {
  public:
    ForwardProxy(const std::string& user = "", const std::string& password = "");
    ~ForwardProxy();
    ForwardProxy(const ForwardProxy&) = delete;
    ForwardProxy& operator=(const ForwardProxy&) = delete;

    bool running() const { return pid_ > 0; }
    int port() const { return port_; }
    std::string Address() const { return "127.0.0.1:" + std::to_string(port_); }

  private:
    std::string folder_;
    pid_t pid_ = -1;
    int port_ = 0;
};

}  // namespace zelvor::testing_support
