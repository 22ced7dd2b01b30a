#include "web/curl_transfer.h"

#include <algorithm>

namespace zelvor::web_detail {

namespace {

constexpr long kMaxRedirects = 10;

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n')) {
        s.remove_suffix(1);
    }
    return s;
}

}  // namespace

bool CurlAvailable() {
    static bool available = [] {
        if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
            return false;
        }
        const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
        for (const char* const* p = info->protocols; p != nullptr && *p != nullptr; ++p) {
            if (std::string_view(*p) == "http") {
                return true;
            }
        }
        return false;
    }();
    return available;
}

bool HeaderList::Append(const std::string& line) {
    curl_slist* grown = curl_slist_append(list_.get(), line.c_str());
    if (grown == nullptr) {
        return false;
    }
    list_.release();
    list_.reset(grown);
    return true;
}

std::vector<std::string_view> SplitHeaderLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (!line.empty()) {
            lines.push_back(line);
        }
        if (end == std::string_view::npos) {
            break;
        }
        text.remove_prefix(end + 1);
    }
    return lines;
}

bool HeaderLineIs(std::string_view line, std::string_view name) {
    size_t colon = line.find(':');
    return colon != std::string_view::npos && EqualsIgnoreCase(Trim(line.substr(0, colon)), name);
}

bool HasHeaderLine(std::string_view text, std::string_view name) {
    auto lines = SplitHeaderLines(text);
    return std::any_of(lines.begin(), lines.end(),
                       [&](std::string_view line) { return HeaderLineIs(line, name); });
}

Transfer::Transfer(CURL* handle, const HttpTimeouts& timeouts, const std::atomic<bool>* cancel,
                   size_t maxBodyBytes)
    : handle_(handle), timeouts_(timeouts), cancel_(cancel), maxBodyBytes_(maxBodyBytes) {}

bool Transfer::SetTimeouts() {
    // libcurl resolves the name inside its connect phase, so both budgets bound it together.
    auto connectMs = static_cast<long>((timeouts_.resolve + timeouts_.connect).count());
    return curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT_MS, connectMs) == CURLE_OK &&
           curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
           curl_easy_setopt(handle_, CURLOPT_NOPROGRESS, 0L) == CURLE_OK &&
           curl_easy_setopt(handle_, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress) == CURLE_OK &&
           curl_easy_setopt(handle_, CURLOPT_XFERINFODATA, this) == CURLE_OK &&
           curl_easy_setopt(handle_, CURLOPT_PREREQFUNCTION, &Transfer::OnConnected) == CURLE_OK &&
           curl_easy_setopt(handle_, CURLOPT_PREREQDATA, this) == CURLE_OK;
}

bool Transfer::SetRedirects(bool follow) {
    return curl_easy_setopt(handle_, CURLOPT_FOLLOWLOCATION, follow ? 1L : 0L) == CURLE_OK &&
           curl_easy_setopt(handle_, CURLOPT_MAXREDIRS, kMaxRedirects) == CURLE_OK &&
           curl_easy_setopt(handle_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK;
}

TransferFailure Transfer::Perform() {
    curl_easy_setopt(handle_, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
    curl_easy_setopt(handle_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
    curl_easy_setopt(handle_, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(handle_, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    lastActivity_ = std::chrono::steady_clock::now();
    CURLcode code = curl_easy_perform(handle_);
    if (code == CURLE_OK) {
        return TransferFailure::None;
    }
    if (tooLarge_) {
        return TransferFailure::TooLarge;
    }
    if (stall_ == Stall::Send || !connected_ || code == CURLE_SEND_ERROR) {
        return TransferFailure::Send;
    }
    return headersDone_ ? TransferFailure::Read : TransferFailure::NoResponse;
}

size_t Transfer::OnHeader(char* data, size_t size, size_t count, void* self) {
    auto* t = static_cast<Transfer*>(self);
    std::string_view line(data, size * count);
    t->lastActivity_ = std::chrono::steady_clock::now();
    if (line.starts_with("HTTP/")) {
        // A new response of the chain (a redirect or an interim 1xx): only the last one's
        // headers are returned, but the cookies of all of them are kept.
        t->headers.clear();
        t->location.clear();
        t->headersDone_ = false;
    } else if (Trim(line).empty()) {
        t->headersDone_ = true;
        return line.size();
    } else if (HeaderLineIs(line, "Set-Cookie")) {
        t->setCookies.emplace_back(Trim(line.substr(line.find(':') + 1)));
    } else if (HeaderLineIs(line, "Location")) {
        t->location = Trim(line.substr(line.find(':') + 1));
    }
    t->headers.append(Trim(line));
    t->headers.append("\r\n");
    return line.size();
}

size_t Transfer::OnBody(char* data, size_t size, size_t count, void* self) {
    auto* t = static_cast<Transfer*>(self);
    t->lastActivity_ = std::chrono::steady_clock::now();
    if (size * count > t->maxBodyBytes_ - t->body.size()) {
        t->tooLarge_ = true;
        return 0;  // libcurl ends the transfer
    }
    t->body.append(data, size * count);
    return size * count;
}

int Transfer::OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t ulTotal, curl_off_t ulNow) {
    auto* t = static_cast<Transfer*>(self);
    auto now = std::chrono::steady_clock::now();
    if (t->cancel_ != nullptr && t->cancel_->load()) {
        return 1;
    }
    if (!t->connected_) {
        return 0;  // the connect time-out governs until then
    }
    if (ulNow != t->lastUploaded_) {
        t->lastUploaded_ = ulNow;
        t->lastActivity_ = now;
    }
    bool sending = ulTotal > 0 && ulNow < ulTotal;
    auto idle = now - t->lastActivity_;
    if (sending && idle > t->timeouts_.send) {
        t->stall_ = Stall::Send;
        return 1;
    }
    if (!sending && idle > t->timeouts_.receive) {
        t->stall_ = Stall::Receive;
        return 1;
    }
    return 0;
}

int Transfer::OnConnected(void* self, char*, char*, int, int) {
    auto* t = static_cast<Transfer*>(self);
    t->connected_ = true;
    t->lastActivity_ = std::chrono::steady_clock::now();
    return CURL_PREREQFUNC_OK;
}

}  // namespace zelvor::web_detail
