#include <iostream>
#include <iterator>

#include "cli_args.h"
#include "commands.h"
#include "text/regex_matcher.h"
#include "text/text_file.h"

namespace zelvor::cli {

namespace {

// One match per output line: tabs and line breaks inside a field are written as escapes.
std::string Field(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                out += c;
        }
    }
    return out;
}

}  // namespace

int RunMatch(int argc, char** argv) {
    Args args = ParseArgs(argc, argv, 0, {}, {"--ignore-case", "--global"});
    if (args.error.empty() && (args.positional.empty() || args.positional.size() > 2)) {
        args.error = "用法：zelvor-cli match PATTERN [FILE] [--ignore-case] [--global]";
    }
    if (!args.error.empty()) {
        std::cerr << args.error << "\n";
        return 2;
    }
    std::string text;
    if (args.positional.size() == 2) {
        TextFile file = ReadTextFile(args.positional[1], size_t{1} << 30);
        if (!file.ok()) {
            std::cerr << file.error << "\n";
            return 2;
        }
        text = std::move(file.text);
    } else {
        text = DecodeUserText(std::string(std::istreambuf_iterator<char>(std::cin), {}));
    }
    RegexMatcher matcher;
    if (!matcher.Create(args.positional[0], args.Has("--ignore-case"), false, false,
                        args.Has("--global"))) {
        std::cerr << matcher.Error() << "\n";
        return 2;
    }
    int count = matcher.Match(text);
    for (int i = 0; i < count; ++i) {
        std::cout << matcher.MatchPosition(i) << '\t' << Field(matcher.MatchText(i));
        for (int k = 1; k <= matcher.CaptureCount(); ++k) {
            std::cout << '\t' << Field(matcher.Capture(i, k));
        }
        std::cout << '\n';
    }
    if (!matcher.Error().empty()) {
        std::cerr << matcher.Error() << "\n";
        return 2;
    }
    return count > 0 ? 0 : 1;
}

}  // namespace zelvor::cli
