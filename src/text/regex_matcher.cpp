#include "regex_matcher.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>

namespace zelvor {

namespace {

constexpr size_t kJitStackStart = 32 * 1024;
constexpr size_t kJitStackMax = 8 * 1024 * 1024;

bool IsContinuationByte(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

long long CountCharacters(std::string_view text, size_t from, size_t to) {
    long long n = 0;
    for (size_t i = from; i < to; ++i) {
        n += IsContinuationByte(static_cast<unsigned char>(text[i])) ? 0 : 1;
    }
    return n;
}

// Where to resume after an empty match: past one character, and past CR LF as a whole
// since "." and "$" treat it as one line break.
size_t StepOverCharacter(std::string_view text, size_t at) {
    if (at >= text.size()) {
        return at + 1;
    }
    if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') {
        return at + 2;
    }
    size_t next = at + 1;
    while (next < text.size() && IsContinuationByte(static_cast<unsigned char>(text[next]))) {
        ++next;
    }
    return next;
}

std::string ErrorText(int code) {
    PCRE2_UCHAR buffer[256];
    if (pcre2_get_error_message(code, buffer, sizeof buffer) < 0) {
        return "error " + std::to_string(code);
    }
    return reinterpret_cast<const char*>(buffer);
}

}  // namespace

struct RegexMatcher::Compiled {
    pcre2_code* code = nullptr;
    pcre2_match_data* matchData = nullptr;
    pcre2_match_context* matchContext = nullptr;
    pcre2_jit_stack* jitStack = nullptr;

    ~Compiled() {
        pcre2_match_context_free(matchContext);
        pcre2_jit_stack_free(jitStack);
        pcre2_match_data_free(matchData);
        pcre2_code_free(code);
    }
};

RegexMatcher::RegexMatcher() = default;

RegexMatcher::RegexMatcher(std::string_view pattern, bool ignoreCase, bool multiline,
                           bool singleline, bool global) {
    Create(pattern, ignoreCase, multiline, singleline, global);
}

RegexMatcher::~RegexMatcher() = default;
RegexMatcher::RegexMatcher(RegexMatcher&&) noexcept = default;
RegexMatcher& RegexMatcher::operator=(RegexMatcher&&) noexcept = default;

bool RegexMatcher::Create(std::string_view pattern, bool ignoreCase, bool multiline,
                          bool singleline, bool global) {
    compiled_.reset();
    matches_.clear();
    error_.clear();
    captureCount_ = 0;
    global_ = global;

    uint32_t options = PCRE2_UTF | PCRE2_MATCH_INVALID_UTF;
    options |= ignoreCase ? PCRE2_CASELESS : 0;
    options |= multiline ? PCRE2_MULTILINE : 0;
    options |= singleline ? PCRE2_DOTALL : 0;

    pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
    pcre2_set_newline(context, PCRE2_NEWLINE_ANYCRLF);
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                     options, &errorCode, &errorOffset, context);
    pcre2_compile_context_free(context);
    if (code == nullptr) {
        error_ = "正则表达式有误（第" + std::to_string(errorOffset) + "字节处）：" +
                 ErrorText(errorCode);
        return false;
    }

    auto compiled = std::make_unique<Compiled>();
    compiled->code = code;
    compiled->matchData = pcre2_match_data_create_from_pattern(code, nullptr);
    compiled->matchContext = pcre2_match_context_create(nullptr);
    if (pcre2_jit_compile(code, PCRE2_JIT_COMPLETE) == 0) {
        compiled->jitStack = pcre2_jit_stack_create(kJitStackStart, kJitStackMax, nullptr);
        pcre2_jit_stack_assign(compiled->matchContext, nullptr, compiled->jitStack);
    }
    uint32_t captures = 0;
    pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &captures);
    captureCount_ = static_cast<int>(captures);
    compiled_ = std::move(compiled);
    return true;
}

bool RegexMatcher::IsValid() const {
    return compiled_ != nullptr;
}

template <class OnMatch>
void RegexMatcher::Scan(std::string_view text, OnMatch&& onMatch) {
    if (!compiled_) {
        return;
    }
    const auto* subject = reinterpret_cast<PCRE2_SPTR>(text.data());
    PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(compiled_->matchData);
    size_t offset = 0;
    uint32_t flags = 0;
    while (offset <= text.size()) {
        int rc = pcre2_match(compiled_->code, subject, text.size(), offset, flags,
                             compiled_->matchData, compiled_->matchContext);
        if (rc == PCRE2_ERROR_NOMATCH) {
            if (flags == 0) {
                return;
            }
            // The empty match left no other match here: move on one character.
            offset = StepOverCharacter(text, offset);
            flags = 0;
            continue;
        }
        if (rc < 0) {
            error_ = "正则匹配中止：" + ErrorText(rc);
            return;
        }
        std::vector<Span> spans(static_cast<size_t>(captureCount_) + 1);
        for (size_t k = 0; k < spans.size() && k < static_cast<size_t>(rc); ++k) {
            if (ovector[2 * k] != PCRE2_UNSET) {
                spans[k] = {static_cast<long long>(ovector[2 * k]),
                            static_cast<long long>(ovector[2 * k + 1])};
            }
        }
        onMatch(std::move(spans));
        if (!global_) {
            return;
        }
        size_t begin = ovector[0];
        offset = ovector[1];
        // \K can put the start after the end; never go backwards.
        if (offset < begin) {
            offset = begin;
        }
        flags = offset == begin ? PCRE2_NOTEMPTY_ATSTART | PCRE2_ANCHORED : 0;
    }
}

int RegexMatcher::Match(std::string_view text) {
    matches_.clear();
    if (compiled_) {
        error_.clear();
    }
    size_t countedTo = 0;
    long long characters = 0;
    Scan(text, [&](const std::vector<Span>& spans) {
        auto begin = static_cast<size_t>(spans[0].begin);
        characters += CountCharacters(text, countedTo, begin);
        countedTo = begin;
        Found found{characters, spans[0].begin, {}};
        found.texts.reserve(spans.size());
        for (const Span& s : spans) {
            found.texts.emplace_back(s.begin < 0
                                         ? std::string_view()
                                         : text.substr(static_cast<size_t>(s.begin),
                                                       static_cast<size_t>(s.end - s.begin)));
        }
        matches_.push_back(std::move(found));
    });
    return MatchCount();
}

std::string RegexMatcher::MatchText(int i) const {
    return Capture(i, 0);
}

long long RegexMatcher::MatchPosition(int i) const {
    if (i < 0 || i >= MatchCount()) {
        return -1;
    }
    return matches_[static_cast<size_t>(i)].charPosition;
}

long long RegexMatcher::MatchBytePosition(int i) const {
    if (i < 0 || i >= MatchCount()) {
        return -1;
    }
    return matches_[static_cast<size_t>(i)].bytePosition;
}

std::string RegexMatcher::Capture(int i, int k) const {
    if (i < 0 || i >= MatchCount() || k < 0 || k > captureCount_) {
        return {};
    }
    return matches_[static_cast<size_t>(i)].texts[static_cast<size_t>(k)];
}

std::string RegexMatcher::Replace(std::string_view text, std::string_view replacement) {
    if (compiled_) {
        error_.clear();
    }
    std::string out;
    out.reserve(text.size());
    size_t copiedTo = 0;
    Scan(text, [&](const std::vector<Span>& spans) {
        auto piece = [&](size_t k) -> std::string_view {
            const Span& s = spans[k];
            if (s.begin < 0) {
                return {};
            }
            return text.substr(static_cast<size_t>(s.begin), static_cast<size_t>(s.end - s.begin));
        };
        auto begin = static_cast<size_t>(spans[0].begin);
        if (begin >= copiedTo) {
            out.append(text.substr(copiedTo, begin - copiedTo));
        }
        for (size_t j = 0; j < replacement.size(); ++j) {
            char c = replacement[j];
            char next = j + 1 < replacement.size() ? replacement[j + 1] : '\0';
            if (c == '$' && next == '$') {
                out += '$';
                ++j;
            } else if (c == '$' && next == '&') {
                out.append(piece(0));
                ++j;
            } else if (c == '$' && next >= '1' && next <= '9' && next - '0' <= captureCount_) {
                out.append(piece(static_cast<size_t>(next - '0')));
                ++j;
            } else {
                out += c;
            }
        }
        copiedTo = std::max(copiedTo, static_cast<size_t>(spans[0].end));
    });
    if (copiedTo < text.size()) {
        out.append(text.substr(copiedTo));
    }
    return out;
}

}  // namespace zelvor
