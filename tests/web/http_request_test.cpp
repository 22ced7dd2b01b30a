#include "web/http_request.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <chrono>
#include <thread>

#include "forward_proxy.h"
#include "loopback_server.h"
#include "text/gbk.h"

namespace zelvor {
namespace {

using testing_support::ForwardProxy;
using testing_support::LoopbackServer;
using testing_support::RawTcpServer;
using testing_support::ReadRequestHead;
using testing_support::UnusedPort;

class HttpRequestTest : public ::testing::Test {
  protected:
    void SetUp() override {
        auto& s = server_.server();
        s.Get("/echo-headers", [this](const httplib::Request& req, httplib::Response& res) {
            ++requests_;
            std::string text;
            for (const auto& [name, value] : req.headers) {
                text += name + ": " + value + "\n";
            }
            res.set_content(text, "text/plain");
        });
        s.Get("/cookies", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Set-Cookie", "a=1; Path=/");
            res.set_header("Set-Cookie", "a=2; HttpOnly");
            res.set_header("Set-Cookie", "b=deleted; expires=Thu, 01 Jan 1970 00:00:00 GMT");
            res.set_header("Set-Cookie", "c=3");
            res.set_content("ok", "text/plain");
        });
        s.Get("/many-cookies", [](const httplib::Request&, httplib::Response& res) {
            for (int i = 0; i < 50; ++i) {
                res.set_header("Set-Cookie", "k" + std::to_string(i) + "=" + std::to_string(i));
            }
        });
        s.Get("/redirect", [](const httplib::Request&, httplib::Response& res) {
            res.set_header("Set-Cookie", "hop=1");
            res.set_redirect("/final");
        });
        s.Get("/final", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content("final; cookie=" + req.get_header_value("Cookie"), "text/plain");
        });
        s.Post("/echo", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content("POST " + req.body, "text/plain");
        });
        s.Put("/echo", [](const httplib::Request& req, httplib::Response& res) {
            res.set_content("PUT " + req.body, "text/plain");
        });
        server_.Start();
    }

    HttpRequest Get(const std::string& path) {
        HttpRequest request;
        request.url = server_.Url(path);
        return request;
    }

    LoopbackServer server_;
    std::atomic<int> requests_{0};
};

TEST_F(HttpRequestTest, CallerHeaderReplacesItsDefaultAndTheOthersStay) {
    HttpRequest request = Get("/echo-headers");
    request.headers = "user-agent: ZelvorTest/1\r\nX-Extra: 1\r\n";
    HttpResponse response = SendHttpRequest(request);
    ASSERT_TRUE(response.ok()) << response.errorMessage;
    EXPECT_EQ(response.status, 200);
    const std::string& seen = response.body;
    EXPECT_NE(seen.find("user-agent: ZelvorTest/1\n"), std::string::npos) << seen;
    EXPECT_EQ(seen.find("MSIE"), std::string::npos) << seen;
    for (const char* line :
         {"Accept: text/html, application/xhtml+xml, */*\n", "Accept-Encoding: gbk, GB2312\n",
          "Accept-Language: zh-cn\n", "Content-Type: application/x-www-form-urlencoded\n",
          "Cache-Control: no-cache\n", "X-Extra: 1\n"}) {
        EXPECT_NE(seen.find(line), std::string::npos) << line << " missing from\n" << seen;
    }
    EXPECT_EQ(seen.find("Cookie:"), std::string::npos);
}

TEST_F(HttpRequestTest, SetCookieReplacesAddsAndDeletes) {
    HttpRequest request = Get("/cookies");
    request.cookies = "b=old; keep=yes; a=0";
    HttpResponse response = SendHttpRequest(request);
    ASSERT_TRUE(response.ok()) << response.errorMessage;
    EXPECT_EQ(response.cookies, "keep=yes; a=2; c=3");

    HttpResponse many = SendHttpRequest(Get("/many-cookies"));
    ASSERT_TRUE(many.ok());
    EXPECT_EQ(many.cookies.rfind("k0=0; k1=1", 0), 0u);
    EXPECT_NE(many.cookies.find("; k49=49"), std::string::npos);
}

TEST_F(HttpRequestTest, CookieTextTravelsInOneLine) {
    HttpRequest request = Get("/echo-headers");
    request.cookies = "sid=abc; lang=zh";
    HttpResponse response = SendHttpRequest(request);
    EXPECT_NE(response.body.find("Cookie: sid=abc; lang=zh\n"), std::string::npos);
    EXPECT_EQ(response.cookies, "sid=abc; lang=zh");

    request.cookies = "sid=abc\r\nX-Injected: 1";
    EXPECT_EQ(SendHttpRequest(request).error, HttpError::HeadersFailed);
}

TEST(MergeCookiesTest, Table) {
    struct Case {
        const char* cookies;
        std::vector<std::string> set;
        const char* merged;
    };
    const Case cases[] = {
        {"", {"a=1; Path=/"}, "a=1"},
        {"a=1", {"a=deleted"}, ""},
        {"a=1; b=2", {"b=3", "c=4", "b=5"}, "a=1; b=5; c=4"},
        {"a=1", {"z=deleted"}, "a=1"},
        {" a=1 ;; b=2 ", {}, "a=1; b=2"},
        {"", {"token=x=y; Secure"}, "token=x=y"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MergeCookies(c.cookies, c.set), c.merged) << c.cookies;
    }
}

TEST_F(HttpRequestTest, BodyIsDecodedByTheDeclaredCharset) {
    struct Case {
        const char* path;
        std::string bytes;
        bool noteExpected;
    };
    const std::string gbk = Utf8ToGbk("中文");
    const Case cases[] = {
        {"/utf8", R"(<meta charset="utf-8">中文)", false},
        {"/gb2312", R"(<meta http-equiv="Content-Type" content="text/html; charset=GB2312">)" + gbk,
         false},
        {"/undeclared", "<html>" + gbk, false},
        {"/unknown", R"(<meta charset="x-no-such">)" + gbk, true},
    };
    for (const Case& c : cases) {
        server_.server().Get(c.path,
                             [bytes = c.bytes](const httplib::Request&, httplib::Response& res) {
                                 res.set_content(bytes, "text/html");
                             });
    }
    for (const Case& c : cases) {
        HttpResponse response = SendHttpRequest(Get(c.path));
        ASSERT_TRUE(response.ok()) << c.path;
        EXPECT_NE(response.body.find("中文"), std::string::npos) << c.path << ": " << response.body;
        EXPECT_EQ(!response.charsetNote.empty(), c.noteExpected) << c.path;
    }
}

TEST_F(HttpRequestTest, NulBytesAndHundredMegabytesSurvive) {
    std::string big(100u << 20, 'a');
    big[12345] = '\0';
    big += Utf8ToGbk("尾");
    server_.server().Get("/big", [&big](const httplib::Request&, httplib::Response& res) {
        res.set_content(big, "application/octet-stream");
    });
    HttpResponse response = SendHttpRequest(Get("/big"));
    ASSERT_TRUE(response.ok()) << response.errorMessage;
    ASSERT_EQ(response.body.size(), (100u << 20) + 3);
    EXPECT_EQ(response.body[12345], '\0');
    EXPECT_TRUE(response.body.ends_with("尾"));
}

// Answers that never end, or end only after far more than any page: each must end the request
// with an error soon instead of growing the body past the cap.
TEST_F(HttpRequestTest, GiantEndlessAndLoopingAnswersEndInAnError) {
    const std::string chunk(64 << 10, 'x');
    auto& s = server_.server();
    s.Get("/huge", [&chunk](const httplib::Request&, httplib::Response& res) {
        res.set_content_provider(size_t{100} << 20, "text/html",
                                 [&chunk](size_t, size_t length, httplib::DataSink& sink) {
                                     return sink.write(chunk.data(),
                                                       std::min(length, chunk.size()));
                                 });
    });
    s.Get("/endless", [&chunk](const httplib::Request&, httplib::Response& res) {
        res.set_chunked_content_provider("text/html", [&chunk](size_t, httplib::DataSink& sink) {
            return sink.write(chunk.data(), chunk.size());
        });
    });
    s.Get("/loop",
          [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/loop"); });
    struct Case {
        const char* path;
        HttpError error;
    };
    const Case cases[] = {
        {"/huge", HttpError::BodyTooLarge},
        {"/endless", HttpError::BodyTooLarge},
        {"/loop", HttpError::ReadFailed},
    };
    for (const Case& c : cases) {
        HttpRequest request = Get(c.path);
        request.maxBodyBytes = size_t{8} << 20;
        auto start = std::chrono::steady_clock::now();
        HttpResponse response = SendHttpRequest(request);
        EXPECT_EQ(response.error, c.error) << c.path;
        EXPECT_EQ(response.errorMessage, HttpErrorMessage(c.error)) << c.path;
        EXPECT_EQ(response.body, "") << c.path;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5)) << c.path;
    }
    EXPECT_EQ(HttpErrorMessage(HttpError::BodyTooLarge), "714 返回的数据过大，已停止读取!");
}

TEST_F(HttpRequestTest, RedirectFollowedOrReturned) {
    HttpResponse followed = SendHttpRequest(Get("/redirect"));
    ASSERT_TRUE(followed.ok());
    EXPECT_EQ(followed.status, 200);
    EXPECT_EQ(followed.body, "final; cookie=");
    EXPECT_EQ(followed.location, "");
    EXPECT_EQ(followed.cookies, "hop=1");

    HttpRequest request = Get("/redirect");
    request.followRedirects = false;
    HttpResponse stopped = SendHttpRequest(request);
    ASSERT_TRUE(stopped.ok());
    EXPECT_EQ(stopped.status, 302);
    EXPECT_EQ(stopped.location, "/final");
    EXPECT_EQ(stopped.cookies, "hop=1");
    EXPECT_NE(stopped.headers.find("Location: /final\r\n"), std::string::npos) << stopped.headers;
}

TEST_F(HttpRequestTest, MethodsCarryTheirBody) {
    HttpRequest request = Get("/echo");
    request.body = "a=1&b=%D6%D0";
    for (const char* method : {"POST", "PUT"}) {
        request.method = method;
        HttpResponse response = SendHttpRequest(request);
        EXPECT_EQ(response.body, std::string(method) + " a=1&b=%D6%D0");
    }
    HttpRequest head = Get("/echo-headers");
    head.method = "HEAD";
    HttpResponse response = SendHttpRequest(head);
    EXPECT_TRUE(response.ok());
    EXPECT_EQ(response.status, 200);
    EXPECT_EQ(response.body, "");

    request.method = "DELETE";
    EXPECT_EQ(SendHttpRequest(request).error, HttpError::RequestFailed);
}

TEST_F(HttpRequestTest, SetUpStepFailuresSendNothing) {
    const HttpError steps[] = {
        HttpError::NoHttpService,          HttpError::BadUrl,
        HttpError::SessionFailed,          HttpError::ConnectionFailed,
        HttpError::RequestFailed,          HttpError::TimeoutsFailed,
        HttpError::ProxyCredentialsFailed, HttpError::CookieSwitchFailed,
        HttpError::RedirectPolicyFailed,   HttpError::HeadersFailed,
    };
    HttpRequest request = Get("/echo-headers");
    request.proxyUser = "user";  // the credentials step runs only with a proxy user
    request.cookies = "keep=1";
    for (HttpError step : steps) {
        FailHttpStepForTesting(step);
        HttpResponse response = SendHttpRequest(request);
        EXPECT_EQ(response.error, step);
        EXPECT_EQ(response.errorMessage, HttpErrorMessage(step));
        EXPECT_EQ(response.cookies, "keep=1");
    }
    FailHttpStepForTesting(HttpError::None);
    EXPECT_EQ(requests_, 0);
    EXPECT_EQ(HttpErrorMessage(HttpError::RedirectPolicyFailed), "709 重定向设置失败!");
}

TEST(HttpRequestErrorTest, BadUrlsAndUnreachableHosts) {
    for (const char* url : {"", "example.invalid/path", "ftp://127.0.0.1/", "http://"}) {
        HttpRequest request;
        request.url = url;
        HttpResponse response = SendHttpRequest(request);
        EXPECT_EQ(response.error, HttpError::BadUrl) << url;
        EXPECT_EQ(response.errorMessage, "701 解析URL地址失败!");
    }
    HttpRequest request;
    request.url = "http://127.0.0.1:" + std::to_string(UnusedPort()) + "/";
    HttpResponse response = SendHttpRequest(request);
    EXPECT_EQ(response.error, HttpError::SendFailed);
    EXPECT_EQ(response.errorMessage, "711 发送请求失败!");
}

TEST(HttpRequestErrorTest, SilentServerEndsInNoResponseWithinTheReceiveTimeout) {
    RawTcpServer silent([](int socket, const std::atomic<bool>& stopping) {
        ReadRequestHead(socket);
        while (!stopping) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    HttpRequest request;
    request.url = silent.Url("/");
    request.timeouts.receive = std::chrono::milliseconds(500);
    auto start = std::chrono::steady_clock::now();
    HttpResponse response = SendHttpRequest(request);
    auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(response.error, HttpError::NoResponse);
    EXPECT_LT(took, std::chrono::seconds(5));
}

TEST(HttpRequestErrorTest, CancelEndsAWaitingRequest) {
    RawTcpServer silent([](int socket, const std::atomic<bool>& stopping) {
        ReadRequestHead(socket);
        while (!stopping) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    std::atomic<bool> cancel{false};
    HttpRequest request;
    request.url = silent.Url("/");
    request.cancel = &cancel;
    std::thread canceller([&cancel] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        cancel = true;
    });
    auto start = std::chrono::steady_clock::now();
    HttpResponse response = SendHttpRequest(request);
    auto took = std::chrono::steady_clock::now() - start;
    canceller.join();
    EXPECT_FALSE(response.ok());
    EXPECT_LT(took, std::chrono::seconds(5));  // the receive time-out is 30 s
}

TEST(HttpRequestErrorTest, BodyCutShortIsAReadFailure) {
    RawTcpServer cut([](int socket, const std::atomic<bool>&) {
        ReadRequestHead(socket);
        std::string head = "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\npartial";
        send(socket, head.data(), head.size(), MSG_NOSIGNAL);
    });
    HttpRequest request;
    request.url = cut.Url("/");
    HttpResponse response = SendHttpRequest(request);
    EXPECT_EQ(response.error, HttpError::ReadFailed);
    EXPECT_EQ(response.status, 200);
}

TEST_F(HttpRequestTest, ThroughAForwardProxy) {
    ForwardProxy proxy;
    ASSERT_TRUE(proxy.running()) << "tinyproxy did not start";
    HttpRequest request = Get("/echo-headers");
    request.proxy = proxy.Address();
    HttpResponse response = SendHttpRequest(request);
    ASSERT_TRUE(response.ok()) << response.errorMessage;
    EXPECT_NE(response.body.find("tinyproxy"), std::string::npos) << response.body;

    request.proxy = "http=" + proxy.Address();
    EXPECT_NE(SendHttpRequest(request).body.find("tinyproxy"), std::string::npos);
}

TEST_F(HttpRequestTest, ProxyCredentials) {
    ForwardProxy proxy("zelvor", "s3cret");
    ASSERT_TRUE(proxy.running()) << "tinyproxy did not start";
    HttpRequest request = Get("/echo-headers");
    request.proxy = proxy.Address();
    EXPECT_EQ(SendHttpRequest(request).status, 407);

    request.proxyUser = "zelvor";
    request.proxyPassword = "s3cret";
    HttpResponse response = SendHttpRequest(request);
    EXPECT_EQ(response.status, 200);
    EXPECT_NE(response.body.find("tinyproxy"), std::string::npos) << response.body;
}

TEST(HttpRequestSecureTest, CertificatesAreChecked) {
    const std::string data = ZELVOR_TEST_DATA;
    LoopbackServer server(data + "/loopback-cert.pem", data + "/loopback-key.pem");
    server.server().Get("/", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("secure", "text/plain");
    });
    server.Start();
    HttpRequest request;
    request.url = server.Url("/");
    EXPECT_EQ(SendHttpRequest(request).error, HttpError::SendFailed);

    request.caFile = data + "/loopback-cert.pem";
    HttpResponse response = SendHttpRequest(request);
    ASSERT_TRUE(response.ok()) << response.errorMessage;
    EXPECT_EQ(response.body, "secure");
}

}  // namespace
}  // namespace zelvor
