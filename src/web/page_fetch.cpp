#include "web/page_fetch.h"

#include <charconv>
#include <string_view>

#include "text/gbk.h"
#include "web/curl_transfer.h"

namespace zelvor {

using web_detail::HasHeaderLine;

namespace {

constexpr const char* kAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

bool StartsWithIgnoreCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = s[i] >= 'A' && s[i] <= 'Z' ? static_cast<char>(s[i] - 'A' + 'a') : s[i];
        if (c != prefix[i]) {
            return false;
        }
    }
    return true;
}

// Splits the URL the way the page reader always has: scheme prefix cut, host up to the first
// "/", an optional ":port" in the host part. "" when it cannot be read.
std::string CurlUrlFor(std::string_view url) {
    bool secure = StartsWithIgnoreCase(url, "https://");
    if (secure) {
        url.remove_prefix(8);
    } else if (StartsWithIgnoreCase(url, "http://")) {
        url.remove_prefix(7);
    }
    size_t slash = url.find('/');
    std::string_view host = url.substr(0, slash);
    std::string_view path = slash == std::string_view::npos ? "/" : url.substr(slash);
    int port = secure ? 443 : 80;
    if (size_t colon = host.find(':'); colon != std::string_view::npos) {
        std::string_view digits = host.substr(colon + 1);
        auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
        if (ec != std::errc() || end != digits.data() + digits.size() || port <= 0 ||
            port > 65535) {
            return {};
        }
        host = host.substr(0, colon);
    }
    if (host.empty() || host.find_first_of(" \t\r\n?#@") != std::string_view::npos) {
        return {};
    }
    return std::string(secure ? "https://" : "http://") + std::string(host) + ":" +
           std::to_string(port) + std::string(path);
}

}  // namespace

std::string PageFetchHeaderText(const PageFetch& fetch) {
    std::string text = fetch.headers;
    auto add = [&text](std::string_view line) {
        if (!text.empty()) {
            text += "\r\n";
        }
        text += line;
    };
    if (!HasHeaderLine(text, "Accept")) {
        add("Accept: */*");
    }
    if (!fetch.referer.empty() && !HasHeaderLine(text, "Referer")) {
        add("Referer: " + fetch.referer);
    }
    if (!HasHeaderLine(text, "Accept-Language")) {
        add("Accept-Language: zh-cn");
    }
    if (!fetch.postData.empty()) {
        add("Content-Type: application/x-www-form-urlencoded");
    }
    if (!fetch.cookies.empty()) {
        add("Cookie: " + fetch.cookies);
    }
    return text;
}

std::string FetchPage(const PageFetch& fetch) {
    std::string url = CurlUrlFor(fetch.url);
    if (url.empty() || !web_detail::CurlAvailable()) {
        return {};
    }
    web_detail::CurlEasy handle(curl_easy_init());
    if (!handle) {
        return {};
    }
    CURL* h = handle.get();
    web_detail::HeaderList headers;
    const std::string headerText = PageFetchHeaderText(fetch);
    for (std::string_view line : web_detail::SplitHeaderLines(headerText)) {
        if (!headers.Append(std::string(line))) {
            return {};
        }
    }
    web_detail::Transfer transfer(h, fetch.timeouts, fetch.cancel, kDefaultMaxBodyBytes);
    bool ready = headers.Append("Expect:") &&
                 curl_easy_setopt(h, CURLOPT_URL, url.c_str()) == CURLE_OK &&
                 curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
                 curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get()) == CURLE_OK &&
                 (HasHeaderLine(fetch.headers, "User-Agent") ||
                  curl_easy_setopt(h, CURLOPT_USERAGENT, kAgent) == CURLE_OK) &&
                 (fetch.caFile.empty() ||
                  curl_easy_setopt(h, CURLOPT_CAINFO, fetch.caFile.c_str()) == CURLE_OK) &&
                 transfer.SetTimeouts() && transfer.SetRedirects(true);
    if (ready && !fetch.postData.empty()) {
        ready = curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE,
                                 static_cast<curl_off_t>(fetch.postData.size())) == CURLE_OK &&
                curl_easy_setopt(h, CURLOPT_POSTFIELDS, fetch.postData.data()) == CURLE_OK;
    }
    if (!ready || transfer.Perform() != web_detail::TransferFailure::None) {
        return {};
    }
    return GbkToUtf8(transfer.body);
}

}  // namespace zelvor
