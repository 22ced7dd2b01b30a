#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <string_view>

#include "web/http_request.h"

namespace zelvor {

inline constexpr std::string_view kNoticePath = "/Soft_Notice.txt";

struct Notice {
    std::string text;  // the banner text
    std::string link;  // opened by a press on the banner; "" unless an http or https address
};

// The first notice marked "@1text#1link@1"; nothing when the text holds none.
std::optional<Notice> ParseNotice(std::string_view text);

// The notice file on the maker's site (makerRoot: scheme and host, no trailing "/").
std::string NoticeUrl(std::string_view makerRoot);

// Reads the notice file at url with one GET carrying the "Host" and "User-Agent" lines; nothing
// when it cannot be read or holds no notice. A set cancel flag ends the read within a second.
std::optional<Notice> ReadNotice(std::string_view url, const HttpTimeouts& timeouts = {},
                                 const std::atomic<bool>* cancel = nullptr);

}  // namespace zelvor
