#include "cli_args.h"

#include <algorithm>

namespace zelvor::cli {

bool Args::Has(const std::string& flag) const {
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

std::string Args::Value(const std::string& option, const std::string& fallback) const {
    auto it = values.find(option);
    return it == values.end() || it->second.empty() ? fallback : it->second.back();
}

const std::vector<std::string>& Args::All(const std::string& option) const {
    static const std::vector<std::string> none;
    auto it = values.find(option);
    return it == values.end() ? none : it->second;
}

Args ParseArgs(int argc, char** argv, int first, const std::vector<std::string>& valued,
               const std::vector<std::string>& flags) {
    Args args;
    auto known = [](const std::vector<std::string>& list, const std::string& name) {
        return std::find(list.begin(), list.end(), name) != list.end();
    };
    for (int i = first; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--") {
            args.positional.insert(args.positional.end(), argv + i + 1, argv + argc);
            break;
        }
        if (!arg.starts_with("--") || arg.size() == 2) {
            args.positional.push_back(arg);
        } else if (known(flags, arg)) {
            args.flags.push_back(arg);
        } else if (known(valued, arg)) {
            if (i + 1 >= argc) {
                args.error = "选项 " + arg + " 缺少参数值";
                return args;
            }
            args.values[arg].push_back(argv[++i]);
        } else {
            args.error = "未知选项：" + arg;
            return args;
        }
    }
    return args;
}

}  // namespace zelvor::cli
