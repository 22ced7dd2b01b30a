#pragma once

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "web/http_request.h"

// What the two HTTP clients share on top of libcurl; not part of the library's interface.
namespace zelvor::web_detail {

// libcurl's process-wide start-up, done once; false when it failed or lacks HTTP.
bool CurlAvailable();

struct CurlDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
};
using CurlEasy = std::unique_ptr<CURL, CurlDeleter>;
using CurlUrl = std::unique_ptr<CURLU, CurlDeleter>;

class HeaderList {
  public:
    bool Append(const std::string& line);
    curl_slist* get() const { return list_.get(); }

  private:
    std::unique_ptr<curl_slist, CurlDeleter> list_;
};

// Lines of a header text split at CR LF (a bare LF too); empty lines dropped.
std::vector<std::string_view> SplitHeaderLines(std::string_view text);
// Whether a "Name: value" line names the header, in any case.
bool HeaderLineIs(std::string_view line, std::string_view name);
bool HasHeaderLine(std::string_view text, std::string_view name);

// Where a failed transfer stopped, which decides the error the caller reports.
enum class TransferFailure { None, Send, NoResponse, Read, TooLarge };

// One request's reading: collects the final response's headers, every Set-Cookie of the
// chain and the body, and enforces the send and receive time-outs that libcurl lacks and a
// limit on the body's size.
class Transfer {
  public:
    Transfer(CURL* handle, const HttpTimeouts& timeouts, const std::atomic<bool>* cancel,
             size_t maxBodyBytes);
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    bool SetTimeouts();
    bool SetRedirects(bool follow);
    TransferFailure Perform();

    std::string body;
    std::string headers;
    std::string location;
    std::vector<std::string> setCookies;

  private:
    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    static size_t OnBody(char* data, size_t size, size_t count, void* self);
    static int OnProgress(void* self, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t ulTotal,
                          curl_off_t ulNow);
    static int OnConnected(void* self, char* primaryIp, char* localIp, int primaryPort,
                           int localPort);

    enum class Stall { None, Send, Receive };

    CURL* handle_;
    HttpTimeouts timeouts_;
    const std::atomic<bool>* cancel_;
    size_t maxBodyBytes_;
    bool tooLarge_ = false;
    std::chrono::steady_clock::time_point lastActivity_;
    curl_off_t lastUploaded_ = 0;
    bool connected_ = false;
    bool headersDone_ = false;
    Stall stall_ = Stall::None;
};

}  // namespace zelvor::web_detail
