#include <cstring>
#include <iostream>

#include "commands.h"

namespace {

constexpr const char* kUsage =
    "Zelvor贴吧用户采集器 命令行工具\n"
    "\n"
    "用法：\n"
    "  zelvor-cli fetch URL [选项]     "
    "发送一个HTTP请求，显示错误代码、状态码、重定向、Cookies和正文\n"
    "      --method M  --header \"K: V\"  --cookie TEXT  --data BODY  --no-redirect\n"
    "      --proxy ADDR  --proxy-user U  --proxy-password P  --plain（用简易读取方式）\n"
    "  zelvor-cli match PATTERN [FILE] [--ignore-case] [--global]\n"
    "                                  用正则表达式匹配文件（GBK或UTF-8，缺省读标准输入），\n"
    "                                  每个匹配一行：位置、文本、各个子匹配，以制表符分隔\n"
    "  zelvor-cli collect [贴吧名...] [选项]  不开窗口采集贴吧会员\n"
    "      --file FILE（贴吧名文件，一行一个）  --pages N（缺省10）| --all-pages\n"
    "      --ids | --no-ids  --out DIR（实时保存）  --export FILE --fields nick|id|all\n"
    "      --separator TEXT（缺省---）  --site URL  --concurrency N（缺省2）\n"
    "      --delay MIN-MAX（毫秒，缺省300-800）  --proxy ADDR\n"
    "  zelvor-cli parse FILE           显示保存下来的会员列表页的页数和会员\n";

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::cout << kUsage;
        return argc < 2 ? 2 : 0;
    }
    std::string command = argv[1];
    if (command == "fetch") {
        return zelvor::cli::RunFetch(argc - 2, argv + 2);
    }
    if (command == "match") {
        return zelvor::cli::RunMatch(argc - 2, argv + 2);
    }
    if (command == "collect") {
        return zelvor::cli::RunCollect(argc - 2, argv + 2);
    }
    if (command == "parse") {
        return zelvor::cli::RunParse(argc - 2, argv + 2);
    }
    std::cerr << "未知命令：" << command << "\n\n" << kUsage;
    return 2;
}
