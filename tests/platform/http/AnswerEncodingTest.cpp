#include "platform/http/AnswerEncoding.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <string>
#include <thread>

#include "platform/http/Request.h"

namespace kavex::http {
namespace {

using namespace std::chrono_literals;

// On loopback an answer is taken as it is; from any other host gzip is offered; brotli never.
TEST(AnswerEncoding, PlainOnLoopbackAndGzipBeyond) {
    for (const char* url : {"http://127.0.0.1:8642/tools/XM01?qid=KVXADDIN&symbols=IBM",
                            "http://127.9.8.7/", "http://localhost:41234/datafeeder/Login.jsp",
                            "http://LOCALHOST/", "http://[::1]:80/x", "https://127.0.0.1/"}) {
        EXPECT_EQ(acceptedEncodingFor(url), "identity") << url;
    }
    for (const char* url :
         {"http://quotes.example.com/tools/XM01?symbols=IBM", "https://10.0.0.1/datafeeder/",
          "http://128.0.0.1/", "http://[2001:db8::1]/", "http://localhost.example.com/",
          "not a url"}) {
        EXPECT_EQ(acceptedEncodingFor(url), "gzip") << url;
    }
}

// What a request to a server on this machine offers, as the server sees it.
TEST(AnswerEncoding, ARequestToThisMachineOffersThePlainAnswer) {
    httplib::Server server;
    server.Get("/offered", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(req.get_header_value("Accept-Encoding"), "text/plain");
    });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serving([&] { server.listen_after_bind(); });
    while (!server.is_running()) {
        std::this_thread::sleep_for(1ms);
    }
    Request request;
    request.open("GET", "http://127.0.0.1:" + std::to_string(port) + "/offered");
    request.send();
    server.stop();
    serving.join();
    EXPECT_EQ(request.status(), 200);
    EXPECT_EQ(request.responseText(), "identity");
}

}  // namespace
}  // namespace kavex::http
