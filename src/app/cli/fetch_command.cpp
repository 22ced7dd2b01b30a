#include <iostream>

#include "cli_args.h"
#include "commands.h"
#include "web/http_request.h"
#include "web/page_fetch.h"

namespace zelvor::cli {

namespace {

int FetchPlain(const Args& args, const std::vector<std::string>& headerLines) {
    PageFetch fetch;
    fetch.url = args.positional[0];
    fetch.postData = args.Value("--data");
    fetch.cookies = args.Value("--cookie");
    for (const std::string& line : headerLines) {
        fetch.headers += (fetch.headers.empty() ? "" : "\r\n") + line;
    }
    std::string text = FetchPage(fetch);
    if (text.empty()) {
        std::cerr << "读取失败：没有得到任何内容\n";
        return 1;
    }
    std::cout << text;
    return 0;
}

}  // namespace

int RunFetch(int argc, char** argv) {
    Args args = ParseArgs(argc, argv, 0,
                          {"--method", "--header", "--cookie", "--proxy", "--proxy-user",
                           "--proxy-password", "--data"},
                          {"--no-redirect", "--plain"});
    if (args.error.empty() && args.positional.size() != 1) {
        args.error =
            "用法：zelvor-cli fetch URL [--method M] [--header \"K: V\"]... [--cookie "
            "TEXT] [--proxy ADDR] [--proxy-user U --proxy-password P] [--no-redirect] "
            "[--data BODY] [--plain]";
    }
    if (!args.error.empty()) {
        std::cerr << args.error << "\n";
        return 2;
    }
    const std::vector<std::string>& headerLines = args.All("--header");
    if (args.Has("--plain")) {
        return FetchPlain(args, headerLines);
    }
    HttpRequest request;
    request.url = args.positional[0];
    request.method = args.Value("--method", args.Value("--data").empty() ? "GET" : "POST");
    request.body = args.Value("--data");
    request.cookies = args.Value("--cookie");
    request.proxy = args.Value("--proxy");
    request.proxyUser = args.Value("--proxy-user");
    request.proxyPassword = args.Value("--proxy-password");
    request.followRedirects = !args.Has("--no-redirect");
    for (const std::string& line : headerLines) {
        request.headers += line + "\r\n";
    }
    HttpResponse response = SendHttpRequest(request);
    std::cout << "错误：" << (response.ok() ? "0" : response.errorMessage) << "\n"
              << "状态码：" << response.status << "\n"
              << "重定向：" << response.location << "\n"
              << "Cookies：" << response.cookies << "\n";
    if (!response.charsetNote.empty()) {
        std::cout << "字符集：" << response.charsetNote << "\n";
    }
    std::cout << "\n" << response.body;
    if (!response.ok()) {
        std::cerr << response.errorMessage << "\n";
        return 1;
    }
    return 0;
}

}  // namespace zelvor::cli
