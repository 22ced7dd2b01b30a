// Cookie merging: each name once, the server's last word on a name wins, "deleted" removes
// it, nothing but the inputs' own text comes out, and merging again changes nothing.
#include <fuzzer/FuzzedDataProvider.h>

#include <map>
#include <optional>

#include "fuzz_check.h"
#include "web/http_request.h"

namespace {

std::string_view TrimSpaces(std::string_view s) {
    while (!s.empty() && s.front() == ' ') {
        s.remove_prefix(1);
    }
    while (!s.empty() && s.back() == ' ') {
        s.remove_suffix(1);
    }
    return s;
}

std::string NameOf(std::string_view pair) {
    return std::string(TrimSpaces(pair.substr(0, pair.find('='))));
}

// The cookies as name -> "name=value", or nothing when a name comes twice.
std::optional<std::map<std::string, std::string>> Pairs(std::string_view merged) {
    std::map<std::string, std::string> pairs;
    while (!merged.empty()) {
        size_t semi = merged.find(';');
        std::string_view pair = TrimSpaces(merged.substr(0, semi));
        if (!pair.empty() && !pairs.emplace(NameOf(pair), pair).second) {
            return std::nullopt;
        }
        merged.remove_prefix(semi == std::string_view::npos ? merged.size() : semi + 1);
    }
    return pairs;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider provider(data, size);
    std::string cookies = provider.ConsumeRandomLengthString(200);
    std::vector<std::string> setCookies;
    while (provider.remaining_bytes() > 0 && setCookies.size() < 16) {
        setCookies.push_back(provider.ConsumeRandomLengthString(100));
    }

    std::string merged = zelvor::MergeCookies(cookies, setCookies);
    std::optional<std::map<std::string, std::string>> pairs = Pairs(merged);
    FUZZ_CHECK(pairs);

    // What the caller had, then each server pair in turn.
    std::map<std::string, std::string> expected = Pairs(zelvor::MergeCookies(cookies, {})).value();
    bool lineBreakIn = zelvor::fuzz::HasLineBreak(cookies);
    for (const std::string& value : setCookies) {
        std::string_view pair = TrimSpaces(std::string_view(value).substr(0, value.find(';')));
        if (pair.empty()) {
            continue;
        }
        lineBreakIn = lineBreakIn || zelvor::fuzz::HasLineBreak(pair);
        if (pair.ends_with("=deleted")) {
            expected.erase(NameOf(pair));
        } else {
            expected[NameOf(pair)] = pair;
        }
    }
    FUZZ_CHECK(*pairs == expected);
    FUZZ_CHECK(lineBreakIn || !zelvor::fuzz::HasLineBreak(merged));
    FUZZ_CHECK(zelvor::MergeCookies(merged, {}) == merged);
    return 0;
}
