#include "web/page_fetch.h"

#include <gtest/gtest.h>

#include "loopback_server.h"
#include "text/gbk.h"

namespace zelvor {
namespace {

using testing_support::LoopbackServer;
using testing_support::UnusedPort;

TEST(PageFetchHeaderTextTest, MissingDefaultsAreAppended) {
    struct Case {
        const char* headers;
        const char* postData;
        const char* referer;
        const char* cookies;
        const char* text;
    };
    const Case cases[] = {
        {"", "", "", "", "Accept: */*\r\nAccept-Language: zh-cn"},
        {"Accept: text/html", "", "", "", "Accept: text/html\r\nAccept-Language: zh-cn"},
        {"X-A: 1\r\naccept-language: en", "", "", "",
         "X-A: 1\r\naccept-language: en\r\nAccept: */*"},
        {"X-A: 1", "", "http://r.example/", "",
         "X-A: 1\r\nAccept: */*\r\nReferer: http://r.example/\r\nAccept-Language: zh-cn"},
        {"Accept: */*", "a=1", "", "k=v",
         "Accept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: "
         "application/x-www-form-urlencoded\r\nCookie: k=v"},
    };
    for (const Case& c : cases) {
        PageFetch fetch;
        fetch.headers = c.headers;
        fetch.postData = c.postData;
        fetch.referer = c.referer;
        fetch.cookies = c.cookies;
        EXPECT_EQ(PageFetchHeaderText(fetch), c.text);
    }
}

class PageFetchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        server_.server().Get("/page", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content(Utf8ToGbk("中文 agent=" + req.get_header_value("User-Agent")),
                            "text/html");
        });
        server_.server().Post("/page", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content("posted " + req.body + " " + req.get_header_value("Content-Type"),
                            "text/plain");
        });
        server_.server().Get("/missing", [](const httplib::Request&, httplib::Response& res) {
            res.status = 404;
            res.set_content("not here", "text/plain");
        });
        server_.Start();
    }
    LoopbackServer server_;
};

TEST_F(PageFetchTest, GetsGbkPageWithTheDefaultOrCallerAgent) {
    std::string hostAndPath = "127.0.0.1:" + std::to_string(server_.port()) + "/page";
    EXPECT_EQ(FetchPage({.url = "http://" + hostAndPath}),
              "中文 agent=Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)");
    EXPECT_EQ(FetchPage({.url = hostAndPath, .headers = "User-Agent: Mine"}), "中文 agent=Mine");
}

TEST_F(PageFetchTest, PostsFormDataAndReturnsErrorPages) {
    EXPECT_EQ(FetchPage({.url = server_.Url("/page"), .postData = "a=1"}),
              "posted a=1 application/x-www-form-urlencoded");
    EXPECT_EQ(FetchPage({.url = server_.Url("/missing")}), "not here");
}

TEST(PageFetchFailureTest, AnyFailureGivesEmptyText) {
    for (std::string url : {std::string(""), std::string("http://127.0.0.1:99999/"),
                            std::string("http://127.0.0.1:x/"),
                            "http://127.0.0.1:" + std::to_string(UnusedPort()) + "/"}) {
        EXPECT_EQ(FetchPage({.url = url}), "") << url;
    }
}

TEST(PageFetchSecureTest, HttpsWithExplicitPortPathAndQuery) {
    const std::string data = ZELVOR_TEST_DATA;
    LoopbackServer server(data + "/loopback-cert.pem", data + "/loopback-key.pem");
    server.server().Get("/a/b", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content("q=" + req.get_param_value("q"), "text/plain");
    });
    server.Start();
    std::string url = "https://127.0.0.1:" + std::to_string(server.port()) + "/a/b?q=7";
    EXPECT_EQ(FetchPage({.url = url}), "");  // an untrusted certificate is refused
    EXPECT_EQ(FetchPage({.url = url, .caFile = data + "/loopback-cert.pem"}), "q=7");
}

}  // namespace
}  // namespace zelvor
