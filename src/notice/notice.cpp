#include "notice/notice.h"

#include "text/regex_matcher.h"

namespace zelvor {

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

std::string NoticeUrl(std::string_view makerRoot) {
    return std::string(makerRoot) + std::string(kNoticePath);
}

std::optional<Notice> ReadNotice(std::string_view url, const HttpTimeouts& timeouts,
                                 const std::atomic<bool>* cancel) {
    HttpRequest request;
    request.url = std::string(url);
    request.headers = BrowserHeaderLines(url);
    request.timeouts = timeouts;
    request.cancel = cancel;
    HttpResponse response = SendHttpRequest(request);
    if (!response.ok() || response.status != 200) {
        return std::nullopt;
    }
    return ParseNotice(response.body);
}

}  // namespace zelvor
