#pragma once

#include <string>

#include "web/http_request.h"

namespace zelvor {

// One plain page read: GET, or POST when postData is given.
struct PageFetch {
    std::string url;  // "http://" or "https://" optional; "host[:port]/path?query"
    std::string postData;
    // Header lines separated by "\r\n", no trailing line break.
    std::string headers;
    std::string referer;
    std::string cookies;
    HttpTimeouts timeouts;
    std::string caFile;                         // as in HttpRequest
    const std::atomic<bool>* cancel = nullptr;  // as in HttpRequest
};

// The response body as UTF-8 (the page is read as GBK), whatever the status; "" on any failure.
std::string FetchPage(const PageFetch& fetch);

// The header text FetchPage sends: the caller's lines completed with the missing defaults.
std::string PageFetchHeaderText(const PageFetch& fetch);

}  // namespace zelvor
