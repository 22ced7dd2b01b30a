#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zelvor {

// Regular expressions read the way the scripting engine of the original pages did:
// "\d" and "\w" are ASCII only, "." stops at CR and LF, captures are numbered from 1.
// Texts are UTF-8; bytes that are not valid UTF-8 never match a character class but do
// not stop the search, so raw GBK bytes can be scanned for ASCII patterns too.
class RegexMatcher {
  public:
    RegexMatcher();
    RegexMatcher(std::string_view pattern, bool ignoreCase = false, bool multiline = false,
                 bool singleline = false, bool global = false);
    ~RegexMatcher();
    RegexMatcher(RegexMatcher&&) noexcept;
    RegexMatcher& operator=(RegexMatcher&&) noexcept;
    RegexMatcher(const RegexMatcher&) = delete;
    RegexMatcher& operator=(const RegexMatcher&) = delete;

    // Returns false for a rejected pattern; Error() then says why and every later Match
    // finds nothing.
    bool Create(std::string_view pattern, bool ignoreCase = false, bool multiline = false,
                bool singleline = false, bool global = false);

    bool IsValid() const;
    // Empty while the pattern is valid and the last run completed.
    const std::string& Error() const { return error_; }

    // Finds the first match, or all non-overlapping matches when global; returns the count.
    int Match(std::string_view text);
    int MatchCount() const { return static_cast<int>(matches_.size()); }

    // Out-of-range numbers yield "" (texts) and -1 (positions).
    std::string MatchText(int i) const;
    // Counted in characters (code points) from 0, not bytes.
    long long MatchPosition(int i) const;
    long long MatchBytePosition(int i) const;
    std::string Capture(int i, int k) const;
    int CaptureCount() const { return captureCount_; }

    // Replaces the first match, or all when global. The replacement may use $1..$9 for
    // captures, $& for the whole match and $$ for one dollar sign.
    std::string Replace(std::string_view text, std::string_view replacement);

  private:
    struct Span {
        long long begin = -1;  // byte offsets; -1 for a capture that took no part
        long long end = -1;
    };
    // Matches keep their own texts, not a copy of the searched page.
    struct Found {
        long long charPosition = 0;
        long long bytePosition = 0;
        std::vector<std::string> texts;  // [0] the match, then the captures ("" when unset)
    };
    struct Compiled;

    // Calls onMatch(spans, ovector) for each match; stops at the first when not global.
    template <class OnMatch>
    void Scan(std::string_view text, OnMatch&& onMatch);

    std::unique_ptr<Compiled> compiled_;
    bool global_ = false;
    int captureCount_ = 0;
    std::string error_;
    std::vector<Found> matches_;
};

}  // namespace zelvor
