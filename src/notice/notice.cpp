#include "notice/notice.h"

#include "text/regex_matcher.h"

namespace zelvor {

namespace {

constexpr std::string_view kAgent =
    "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/45.0.2454.101 Safari/537.36";

}  // namespace

std::optional<Notice> ParseNotice(std::string_view text) {
    RegexMatcher pattern("@1(.*?)#1(.*?)@1");
    if (pattern.Match(text) == 0) {
        return std::nullopt;
    }
    Notice notice{pattern.Capture(0, 1), pattern.Capture(0, 2)};
    if (!notice.link.starts_with("http://") && !notice.link.starts_with("https://")) {
        notice.link.clear();
    }
    return notice;
}

std::optional<Notice> ReadNotice(std::string_view makerRoot, const HttpTimeouts& timeouts) {
    HttpRequest request;
    request.url = std::string(makerRoot) + std::string(kNoticePath);
    request.headers =
        "Host: " + UrlHost(makerRoot) + "\r\nUser-Agent: " + std::string(kAgent) + "\r\n";
    request.timeouts = timeouts;
    HttpResponse response = SendHttpRequest(request);
    if (!response.ok() || response.status != 200) {
        return std::nullopt;
    }
    return ParseNotice(response.body);
}

}  // namespace zelvor
