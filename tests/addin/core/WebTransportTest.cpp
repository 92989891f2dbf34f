#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "addin/core/Globals.h"
#include "addin/core/WebTransport.h"
#include "platform/forms/MsgBox.h"
#include "platform/forms/ScriptedDriver.h"
#include "services/Server.h"

namespace kavex::addin::core {
namespace {

class WebTransportTest : public ::testing::Test {
  protected:
    static services::ServerOptions options() {
        services::ServerOptions o;
        o.slowDelay = std::chrono::milliseconds(3000);
        return o;
    }

    void SetUp() override {
        ResetCoreGlobals();
        server_.start();
        WebsiteURL = server_.baseUrl();
        QuoteServiceURL = server_.baseUrl();
        WebRequestTimeout = std::chrono::milliseconds(1000);
        forms::useScriptedDriver();
        forms::scriptedDriver().reset();
    }
    void TearDown() override {
        EXPECT_FALSE(forms::scriptedDriver().failure().has_value());
        server_.setFault(services::Fault::None);
        server_.stop();
        forms::scriptedDriver().reset();
        ResetCoreGlobals();
    }

    services::Server server_{options()};
};

TEST_F(WebTransportTest, AddressesOfBothServices) {
    WebsiteURL = "http://web.test/";
    EXPECT_EQ(WebServiceURL("Login.jsp", "UserID=a"),
              "http://web.test/datafeeder/Login.jsp?UserID=a");
    EXPECT_EQ(WebServiceURL("RegisterDummyUser.jsp"),
              "http://web.test/datafeeder/RegisterDummyUser.jsp");
    QuoteServiceURL = "http://quotes.test";
    EXPECT_EQ(QuoteServiceRequestURL("symbols=MSFT"),
              "http://quotes.test/tools/XM01?qid=KVXADDIN&symbols=MSFT");
}

TEST_F(WebTransportTest, SynchronousAndAsynchronousGetAnswerOK) {
    const WebResponse sync =
        SendWebRequest(WebServiceURL("AuthenticateSession.jsp", "SessionKey=x"));
    EXPECT_EQ(sync.status, "OK");
    EXPECT_EQ(sync.httpStatus, 200);
    EXPECT_NE(sync.text.find("<zurovizout>"), std::string::npos);

    const WebResponse async = SendAsyncWebRequest(WebServiceURL("RegisterDummyUser.jsp"));
    EXPECT_EQ(async.status, "OK");
    xml::Document answer;
    std::string description;
    EXPECT_EQ(ReadWebServiceAnswer(async.text, answer, description), "OK");
    EXPECT_FALSE(AnswerElement(answer, "UserID").empty());
}

TEST_F(WebTransportTest, TheQuoteServiceGetsTheReferer) {
    xml::Document login;
    std::string description;
    CallWebService("Login.jsp", "UserID=demo&Password=demo", login, description);
    const std::string referrer = AnswerElement(login, "Referrer");
    const WebResponse quote = SendAsyncWebRequest(QuoteServiceRequestURL("symbols=MSFT"), referrer);
    EXPECT_EQ(quote.status, "OK");
    EXPECT_NE(quote.text.find("<Symbol>MSFT</Symbol>"), std::string::npos) << quote.text;

    const WebResponse refused = SendAsyncWebRequest(QuoteServiceRequestURL("symbols=MSFT"));
    EXPECT_NE(refused.text.find("invalid_referrer"), std::string::npos);
}

TEST_F(WebTransportTest, ServiceErrorCodesBecomeTheStatus) {
    xml::Document answer;
    std::string description;
    EXPECT_EQ(CallWebService("AuthenticateSession.jsp", "SessionKey=nope", answer, description),
              "invalid_session");
    EXPECT_FALSE(description.empty());
    EXPECT_EQ(CallWebService("Login.jsp", "UserID=demo&Password=wrong", answer, description),
              "invalid_login");
}

TEST_F(WebTransportTest, AnHttpErrorIsAFailure) {
    server_.setFault(services::Fault::Http500);
    const WebResponse response = SendAsyncWebRequest(WebServiceURL("RegisterDummyUser.jsp"));
    EXPECT_EQ(response.status, "FAIL");
    EXPECT_EQ(response.httpStatus, 500);
    EXPECT_EQ(SendWebRequest(WebServiceURL("RegisterDummyUser.jsp")).status, "FAIL");
    EXPECT_TRUE(forms::scriptedDriver().messages().empty());
}

TEST_F(WebTransportTest, MalformedXmlIsInvalidXml) {
    server_.setFault(services::Fault::BadXml);
    xml::Document answer;
    std::string description;
    EXPECT_EQ(CallWebService("RegisterDummyUser.jsp", {}, answer, description), "invalid_xml");
    EXPECT_FALSE(description.empty());

    EXPECT_EQ(ReadWebServiceAnswer("<other><Status>OK</Status></other>", answer, description),
              "invalid_xml");
    EXPECT_EQ(ReadWebServiceAnswer("<zurovizout/>", answer, description), "invalid_xml");
    EXPECT_EQ(
        ReadWebServiceAnswer("<zurovizout><Status>FAIL</Status></zurovizout>", answer, description),
        "invalid_xml");
}

TEST_F(WebTransportTest, ASlowServerTimesOut) {
    server_.setFault(services::Fault::Slow);
    EXPECT_EQ(SendAsyncWebRequest(WebServiceURL("RegisterDummyUser.jsp")).status, "TIMEOUT");
    EXPECT_EQ(SendWebRequest(WebServiceURL("RegisterDummyUser.jsp")).status, "TIMEOUT");
    EXPECT_TRUE(forms::scriptedDriver().messages().empty());
}

TEST_F(WebTransportTest, AServerThatIsDownShowsTheConnectivityMessageOnce) {
    server_.setFault(services::Fault::Down);
    EXPECT_EQ(SendWebRequest(WebServiceURL("RegisterDummyUser.jsp")).status, "CONNECTIVITYLOST");

    xml::Document answer;
    std::string description;
    EXPECT_EQ(CallWebService("RegisterDummyUser.jsp", {}, answer, description), "CONNECTIVITYLOST");
    EXPECT_EQ(CallWebService("RegisterDummyUser.jsp", {}, answer, description), "CONNECTIVITYLOST");

    const auto& messages = forms::scriptedDriver().messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].prompt, std::string(kConnectivityMessage));
    EXPECT_EQ(messages[0].title, "Kavex");
    EXPECT_EQ(messages[0].style, forms::vbCritical);
    EXPECT_TRUE(ConnectivityMessageShown);
}

TEST_F(WebTransportTest, AnAddressThatCannotBeSentIsAFailure) {
    EXPECT_EQ(SendWebRequest("ftp://nowhere/x").status, "FAIL");
    EXPECT_EQ(SendAsyncWebRequest("not an address").status, "FAIL");
}

}  // namespace
}  // namespace kavex::addin::core
