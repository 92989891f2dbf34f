#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "ServiceFixture.h"
#include "services/Server.h"
#include "services/WithoutBrotli.h"

namespace kavex::services::testing {
namespace {

TEST(WithoutBrotli, TakesBrotliOutOfTheOffersAndLeavesTheRest) {
    const std::string head = "GET /tools/XM01?symbols=IBM HTTP/1.1\r\nHost: x\r\n";
    EXPECT_EQ(withoutBrotli(head + "Accept-Encoding: gzip, deflate, br\r\n\r\n"),
              head + "Accept-Encoding: gzip, deflate\r\n\r\n");
    EXPECT_EQ(withoutBrotli(head + "accept-encoding:br;q=1.0,gzip;q=0.5\r\n\r\n"),
              head + "accept-encoding: gzip;q=0.5\r\n\r\n");
    EXPECT_EQ(withoutBrotli(head + "Accept-Encoding: BR\r\n\r\n"),
              head + "Accept-Encoding: \r\n\r\n");
    // Nothing else is touched: other headers, a header that merely mentions br, the body.
    const std::string other = head + "X-Note: br\r\nAccept-Language: br\r\n\r\nAccept-Encoding: br";
    EXPECT_EQ(withoutBrotli(other), other);
    EXPECT_EQ(withoutBrotli(head), head);
    EXPECT_EQ(withoutBrotli(""), "");
}

// Whatever a client offers, the stand-ins answer with gzip at most: brotli cost a refresh of 500
// symbols seconds of processor time where gzip costs milliseconds.
TEST(AnswerEncodingTest, TheStandInsAnswerGzipOrPlainNeverBrotli) {
    Server server(seededOptions());
    server.start();
    const auto ask = [&](const std::string& offers) {
        const int sock = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(server.port()));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        const std::string request = "GET /datafeeder/DisplayAdvert.jsp HTTP/1.1\r\nHost: x\r\n" +
                                    offers + "Connection: close\r\n\r\n";
        ::send(sock, request.data(), request.size(), MSG_NOSIGNAL);
        std::string answer;
        char buffer[4096];
        for (ssize_t n; (n = ::recv(sock, buffer, sizeof buffer, 0)) > 0;) {
            answer.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(sock);
        return answer.substr(0, answer.find("\r\n\r\n"));
    };
    const std::string offered = ask("Accept-Encoding: gzip, deflate, br\r\n");
    EXPECT_EQ(offered.rfind("HTTP/1.1 200", 0), 0U) << offered;
    EXPECT_NE(offered.find("Content-Encoding: gzip"), std::string::npos) << offered;
    const std::string brotliOnly = ask("Accept-Encoding: br\r\n");
    EXPECT_EQ(brotliOnly.rfind("HTTP/1.1 200", 0), 0U) << brotliOnly;
    EXPECT_EQ(brotliOnly.find("Content-Encoding"), std::string::npos) << brotliOnly;
    const std::string plain = ask("");
    EXPECT_EQ(plain.find("Content-Encoding"), std::string::npos) << plain;
}

}  // namespace
}  // namespace kavex::services::testing
