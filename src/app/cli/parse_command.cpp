#include <iostream>

#include "cli_args.h"
#include "collect/member_pages.h"
#include "commands.h"
#include "text/text_file.h"

namespace zelvor::cli {

int RunParse(int argc, char** argv) {
    Args args = ParseArgs(argc, argv, 0, {}, {});
    if (args.error.empty() && args.positional.size() != 1) {
        args.error = "用法：zelvor-cli parse FILE（保存下来的会员列表页，GBK或UTF-8）";
    }
    if (!args.error.empty()) {
        std::cerr << args.error << "\n";
        return 2;
    }
    TextFile file = ReadTextFile(args.positional[0]);
    if (!file.ok()) {
        std::cerr << file.error << "\n";
        return 2;
    }
    std::optional<int> pages = ParsePageCount(file.text);
    std::cout << "页数：" << (pages ? std::to_string(*pages) : "未找到") << "\n";
    if (IsEmptyForum(file.text)) {
        std::cout << "本吧暂时空无会员\n";
    }
    std::vector<ParsedMember> members = ParseMembers(file.text);
    std::cout << "会员：" << members.size() << "\n";
    for (const ParsedMember& m : members) {
        std::cout << m.nickname << '\t' << m.homeLink << '\n';
    }
    return members.empty() && !IsEmptyForum(file.text) ? 1 : 0;
}

}  // namespace zelvor::cli
