#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace zelvor {

// Failures of SendHttpRequest. The numbering and the messages are the program's own and users
// quote them, so they stay as they are; there is no 706.
enum class HttpError {
    None = 0,
    NoHttpService = 700,
    BadUrl = 701,
    SessionFailed = 702,
    ConnectionFailed = 703,
    RequestFailed = 704,
    TimeoutsFailed = 705,
    ProxyCredentialsFailed = 707,
    CookieSwitchFailed = 708,
    RedirectPolicyFailed = 709,
    HeadersFailed = 710,
    SendFailed = 711,
    NoResponse = 712,
    ReadFailed = 713,
    BodyTooLarge = 714,
};

// The code, a blank and the Chinese text; "" for None.
std::string HttpErrorMessage(HttpError error);

struct HttpTimeouts {
    std::chrono::milliseconds resolve{10'000};
    std::chrono::milliseconds connect{10'000};
    // Longest stall while the request is being sent.
    std::chrono::milliseconds send{30'000};
    // Longest wait for the next byte of the response.
    std::chrono::milliseconds receive{30'000};
};

// Enough for any page; a body past it is abandoned, so an endless or giant answer cannot eat
// the memory.
inline constexpr size_t kDefaultMaxBodyBytes = size_t{128} << 20;

struct HttpRequest {
    std::string url;             // absolute http or https URL
    std::string method = "GET";  // GET, POST, HEAD or PUT
    std::string body;
    // Caller header lines, each ending in "\r\n"; a line replaces the default line of the same
    // header name (any case).
    std::string headers;
    // "name=value; name2=value2", sent in the routine's own "Cookie: " line.
    std::string cookies;
    std::string proxy;  // "host:port" of an HTTP proxy; empty for none
    std::string proxyUser;
    std::string proxyPassword;
    bool followRedirects = true;
    HttpTimeouts timeouts;
    // Certificates (PEM) to trust in place of the system's; for private services.
    std::string caFile;
    // When set and it turns true, the request ends within about a second, as a failure.
    const std::atomic<bool>* cancel = nullptr;
    size_t maxBodyBytes = kDefaultMaxBodyBytes;  // the raw body, before decoding
};

struct HttpResponse {
    HttpError error = HttpError::None;
    std::string errorMessage;
    long status = 0;
    std::string body;     // UTF-8
    std::string headers;  // header lines of the final response, each ending in "\r\n"
    // The caller's cookies with every "Set-Cookie" of the response merged in.
    std::string cookies;
    std::string location;  // the final response's "Location" value; "" when none
    std::string charset;   // as the page declared it; "" when it declared none
    // Set when the declared charset is unknown: the body was decoded as GBK instead.
    std::string charsetNote;

    bool ok() const { return error == HttpError::None; }
};

HttpResponse SendHttpRequest(const HttpRequest& request);

// "host[:port]" of an absolute URL, for a "Host: " line.
std::string UrlHost(std::string_view url);

// The desktop browser the forum service and the maker's site expect to talk to.
inline constexpr std::string_view kBrowserUserAgent =
    "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/45.0.2454.101 Safari/537.36";

// "Host: " with rootOrUrl's host and "User-Agent: " kBrowserUserAgent, each line ending "\r\n".
std::string BrowserHeaderLines(std::string_view rootOrUrl);

// Fails the step of the given code on the calling thread's next requests, until reset with
// HttpError::None: the only way to reach the set-up failures, which libcurl never produces.
void FailHttpStepForTesting(HttpError step);

// Merges the "Set-Cookie" pairs (text before the first ";") into a cookie text: a new value
// replaces the old one of the same name, a new name is added, and a value "deleted" removes it.
std::string MergeCookies(std::string_view cookies, const std::vector<std::string>& setCookieValues);

}  // namespace zelvor
