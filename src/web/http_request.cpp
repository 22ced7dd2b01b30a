#include "web/http_request.h"

#include <algorithm>
#include <array>
#include <utility>

#include "text/gbk.h"
#include "text/regex_matcher.h"
#include "web/curl_transfer.h"

namespace zelvor {

using web_detail::CurlEasy;
using web_detail::CurlUrl;
using web_detail::HeaderLineIs;
using web_detail::HeaderList;
using web_detail::Transfer;
using web_detail::TransferFailure;

namespace {

thread_local HttpError failingStep = HttpError::None;

struct DefaultHeader {
    std::string_view name;
    std::string_view line;
};

constexpr std::array<DefaultHeader, 6> kDefaultHeaders{{
    {"User-Agent",
     "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; "
     "Trident/5.0)"},
    {"Accept", "Accept: text/html, application/xhtml+xml, */*"},
    {"Accept-Encoding", "Accept-Encoding: gbk, GB2312"},
    {"Accept-Language", "Accept-Language: zh-cn"},
    {"Content-Type", "Content-Type: application/x-www-form-urlencoded"},
    {"Cache-Control", "Cache-Control: no-cache"},
}};

constexpr std::array<std::string_view, 4> kMethods{"GET", "POST", "HEAD", "PUT"};

// A step succeeds when its call did and no test asked it to fail.
bool StepOk(HttpError step, bool ok) {
    return ok && failingStep != step;
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

HttpResponse Fail(HttpResponse response, HttpError error) {
    response.error = error;
    response.errorMessage = HttpErrorMessage(error);
    return response;
}

CurlUrl SplitUrl(const std::string& url) {
    CurlUrl parsed(curl_url());
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
        return nullptr;
    }
    char* scheme = nullptr;
    if (curl_url_get(parsed.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK) {
        return nullptr;
    }
    std::string_view s(scheme);
    bool web = s == "http" || s == "https";
    curl_free(scheme);
    return web ? std::move(parsed) : nullptr;
}

std::string ProxyAddress(std::string_view proxy) {
    if (proxy.starts_with("http=")) {
        proxy.remove_prefix(5);
    }
    if (proxy.find("://") == std::string_view::npos) {
        return "http://" + std::string(proxy);
    }
    return std::string(proxy);
}

bool SetMethod(CURL* h, const HttpRequest& request) {
    auto known = std::find(kMethods.begin(), kMethods.end(), request.method);
    if (known == kMethods.end()) {
        return false;
    }
    if (request.method == "HEAD") {
        return curl_easy_setopt(h, CURLOPT_NOBODY, 1L) == CURLE_OK;
    }
    bool ok = curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, request.method.c_str()) == CURLE_OK;
    if (!request.body.empty() || request.method == "POST" || request.method == "PUT") {
        ok = ok &&
             curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE,
                              static_cast<curl_off_t>(request.body.size())) == CURLE_OK &&
             curl_easy_setopt(h, CURLOPT_POSTFIELDS, request.body.data()) == CURLE_OK;
    }
    return ok;
}

bool BuildHeaders(const HttpRequest& request, HeaderList& list) {
    auto callerLines = web_detail::SplitHeaderLines(request.headers);
    for (std::string_view line : callerLines) {
        if (line.find(':') == std::string_view::npos) {
            return false;
        }
    }
    for (const DefaultHeader& header : kDefaultHeaders) {
        bool replaced = std::any_of(callerLines.begin(), callerLines.end(),
                                    [&](auto line) { return HeaderLineIs(line, header.name); });
        if (!replaced && !list.Append(std::string(header.line))) {
            return false;
        }
    }
    for (std::string_view line : callerLines) {
        if (!list.Append(std::string(line))) {
            return false;
        }
    }
    if (!request.cookies.empty()) {
        if (HasLineBreak(request.cookies) || !list.Append("Cookie: " + request.cookies)) {
            return false;
        }
    }
    // libcurl would otherwise hold large bodies back waiting for "100 Continue".
    return list.Append("Expect:");
}

void DecodeBody(std::string& body, HttpResponse& response) {
    thread_local RegexMatcher charsetPattern(R"(<meta.+?charset=[^\w]?([-\w]+))");
    if (charsetPattern.Match(body) > 0) {
        response.charset = charsetPattern.Capture(0, 1);
    }
    if (!DecodeToUtf8(body, response.charset, response.body)) {
        response.charsetNote = "未知的字符集“" + response.charset + "”，已按GBK解码";
    }
    body = std::string();
}

}  // namespace

std::string HttpErrorMessage(HttpError error) {
    switch (error) {
        case HttpError::None:
            return {};
        case HttpError::NoHttpService:
            return "700 当前系统不支持WinHttp服务!";
        case HttpError::BadUrl:
            return "701 解析URL地址失败!";
        case HttpError::SessionFailed:
            return "702 创建WinHttp会话失败!";
        case HttpError::ConnectionFailed:
            return "703 创建WinHttp连接失败!";
        case HttpError::RequestFailed:
            return "704 创建WinHttp请求失败!";
        case HttpError::TimeoutsFailed:
            return "705 设置超时时间失败!";
        case HttpError::ProxyCredentialsFailed:
            return "707 设置代理凭证失败!";
        case HttpError::CookieSwitchFailed:
            return "708 禁止自动设置Cookies失败!";
        case HttpError::RedirectPolicyFailed:
            return "709 重定向设置失败!";
        case HttpError::HeadersFailed:
            return "710 设置协议头失败!";
        case HttpError::SendFailed:
            return "711 发送请求失败!";
        case HttpError::NoResponse:
            return "712 服务器未响应!";
        case HttpError::ReadFailed:
            return "713 读取数据失败!";
        case HttpError::BodyTooLarge:
            return "714 返回的数据过大，已停止读取!";
    }
    return {};
}

void FailHttpStepForTesting(HttpError step) {
    failingStep = step;
}

std::string UrlHost(std::string_view url) {
    size_t scheme = url.find("://");
    std::string_view host = scheme == std::string_view::npos ? url : url.substr(scheme + 3);
    return std::string(host.substr(0, host.find_first_of("/?#")));
}

std::string BrowserHeaderLines(std::string_view rootOrUrl) {
    return "Host: " + UrlHost(rootOrUrl) + "\r\nUser-Agent: " + std::string(kBrowserUserAgent) +
           "\r\n";
}

std::string MergeCookies(std::string_view cookies,
                         const std::vector<std::string>& setCookieValues) {
    std::vector<std::pair<std::string, std::string>> pairs;  // name, "name=value"
    auto nameOf = [](std::string_view pair) {
        size_t eq = pair.find('=');
        std::string_view name = pair.substr(0, eq);
        while (!name.empty() && name.back() == ' ') {
            name.remove_suffix(1);
        }
        return std::string(name);
    };
    auto put = [&](std::string_view pair, bool fromServer) {
        while (!pair.empty() && pair.front() == ' ') {
            pair.remove_prefix(1);
        }
        while (!pair.empty() && pair.back() == ' ') {
            pair.remove_suffix(1);
        }
        if (pair.empty()) {
            return;
        }
        std::string name = nameOf(pair);
        auto same = std::find_if(pairs.begin(), pairs.end(),
                                 [&](const auto& p) { return p.first == name; });
        if (fromServer && pair.ends_with("=deleted")) {
            if (same != pairs.end()) {
                pairs.erase(same);
            }
        } else if (same != pairs.end()) {
            same->second = pair;
        } else {
            pairs.emplace_back(std::move(name), pair);
        }
    };
    while (!cookies.empty()) {
        size_t semi = cookies.find(';');
        put(cookies.substr(0, semi), false);
        cookies.remove_prefix(semi == std::string_view::npos ? cookies.size() : semi + 1);
    }
    for (const std::string& value : setCookieValues) {
        put(std::string_view(value).substr(0, value.find(';')), true);
    }
    std::string merged;
    for (const auto& p : pairs) {
        merged += merged.empty() ? "" : "; ";
        merged += p.second;
    }
    return merged;
}

HttpResponse SendHttpRequest(const HttpRequest& request) {
    HttpResponse response;
    response.cookies = request.cookies;
    if (!StepOk(HttpError::NoHttpService, web_detail::CurlAvailable())) {
        return Fail(std::move(response), HttpError::NoHttpService);
    }
    CurlUrl url = SplitUrl(request.url);
    if (!StepOk(HttpError::BadUrl, url != nullptr)) {
        return Fail(std::move(response), HttpError::BadUrl);
    }
    CurlEasy session(curl_easy_init());
    if (!StepOk(HttpError::SessionFailed, session != nullptr)) {
        return Fail(std::move(response), HttpError::SessionFailed);
    }
    CURL* h = session.get();
    bool connectionOk =
        curl_easy_setopt(h, CURLOPT_CURLU, url.get()) == CURLE_OK &&
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
        (request.proxy.empty() ||
         curl_easy_setopt(h, CURLOPT_PROXY, ProxyAddress(request.proxy).c_str()) == CURLE_OK) &&
        (request.caFile.empty() ||
         curl_easy_setopt(h, CURLOPT_CAINFO, request.caFile.c_str()) == CURLE_OK);
    if (!StepOk(HttpError::ConnectionFailed, connectionOk)) {
        return Fail(std::move(response), HttpError::ConnectionFailed);
    }
    if (!StepOk(HttpError::RequestFailed, SetMethod(h, request))) {
        return Fail(std::move(response), HttpError::RequestFailed);
    }
    Transfer transfer(h, request.timeouts, request.cancel, request.maxBodyBytes);
    if (!StepOk(HttpError::TimeoutsFailed, transfer.SetTimeouts())) {
        return Fail(std::move(response), HttpError::TimeoutsFailed);
    }
    if (!request.proxyUser.empty()) {
        bool ok =
            curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, request.proxyUser.c_str()) == CURLE_OK &&
            curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, request.proxyPassword.c_str()) == CURLE_OK;
        if (!StepOk(HttpError::ProxyCredentialsFailed, ok)) {
            return Fail(std::move(response), HttpError::ProxyCredentialsFailed);
        }
    }
    // Cookies travel only in our own "Cookie: " line: keep libcurl's cookie engine off.
    bool cookiesOff = curl_easy_setopt(h, CURLOPT_COOKIEFILE, nullptr) == CURLE_OK;
    if (!StepOk(HttpError::CookieSwitchFailed, cookiesOff)) {
        return Fail(std::move(response), HttpError::CookieSwitchFailed);
    }
    if (!StepOk(HttpError::RedirectPolicyFailed, transfer.SetRedirects(request.followRedirects))) {
        return Fail(std::move(response), HttpError::RedirectPolicyFailed);
    }
    HeaderList headers;
    bool headersOk = BuildHeaders(request, headers) &&
                     curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get()) == CURLE_OK;
    if (!StepOk(HttpError::HeadersFailed, headersOk)) {
        return Fail(std::move(response), HttpError::HeadersFailed);
    }

    TransferFailure failure = transfer.Perform();
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &response.status);
    response.headers = std::move(transfer.headers);
    response.location = std::move(transfer.location);
    response.cookies = MergeCookies(request.cookies, transfer.setCookies);
    switch (failure) {
        case TransferFailure::None:
            break;
        case TransferFailure::Send:
            return Fail(std::move(response), HttpError::SendFailed);
        case TransferFailure::NoResponse:
            return Fail(std::move(response), HttpError::NoResponse);
        case TransferFailure::Read:
            return Fail(std::move(response), HttpError::ReadFailed);
        case TransferFailure::TooLarge:
            return Fail(std::move(response), HttpError::BodyTooLarge);
    }
    DecodeBody(transfer.body, response);
    return response;
}

}  // namespace zelvor
