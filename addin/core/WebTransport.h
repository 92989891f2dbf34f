#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/xml/Document.h"

namespace kavex::http {
class Request;
}  // namespace kavex::http

namespace kavex::addin::core {

// The status words of fetch and session operations.
inline constexpr std::string_view kStatusOK = "OK";
inline constexpr std::string_view kStatusFail = "FAIL";
inline constexpr std::string_view kStatusTimeout = "TIMEOUT";
inline constexpr std::string_view kStatusConnectivityLost = "CONNECTIVITYLOST";
inline constexpr std::string_view kStatusPartialOK = "PARTIALOK";
// The web service's own error codes.
inline constexpr std::string_view kInvalidXml = "invalid_xml";
inline constexpr std::string_view kInvalidSession = "invalid_session";

// The quote service's host: fixed for the product, set by tests and the scenario runner to the
// embedded services ("http://127.0.0.1:PORT").
inline constexpr std::string_view kDefaultQuoteServiceURL = "http://quotes.kavex.com";
inline std::string QuoteServiceURL{kDefaultQuoteServiceURL};
// The quote service's path and the fixed query identifier every quote request carries as "qid".
inline constexpr std::string_view kQuoteServicePath = "/tools/XM01";
inline constexpr std::string_view kQuoteQueryId = "KVXADDIN";
// The web service's pages live under this path of WebsiteURL.
inline constexpr std::string_view kWebServicePath = "/datafeeder/";

// How long one request may take, resolving and connecting included.
inline std::chrono::milliseconds WebRequestTimeout{30000};

// Set once the connectivity message has been shown; cleared by a successful login, so that the
// message is shown at most once per session however many requests fail.
inline bool ConnectivityMessageShown = false;

// The user's message when the servers cannot be reached (three paragraphs).
inline constexpr std::string_view kConnectivityMessage =
    "Kavex could not reach its servers.\r\n\r\n"
    "Please check that this computer is connected to the Internet and that no firewall or proxy "
    "blocks Kavex.\r\n\r\n"
    "Kavex keeps showing the data it already has and will try again at the next refresh.";

// Shows kConnectivityMessage (titled "Kavex", critical icon) unless it was shown already, and
// sets ConnectivityMessageShown.
void ShowConnectivityMessage();

// The answer of one GET.
struct WebResponse {
    // "OK" for an answer with a 2xx status, "FAIL" for another status or a request that could not
    // be sent, "TIMEOUT" when no complete answer came in time, "CONNECTIVITYLOST" when the server
    // could not be reached (connection refused, name not resolved, broken connection).
    std::string status;
    long httpStatus = 0;
    std::string text;
    // What went wrong, for the caller's log line; empty for "OK".
    std::string description;
};

// A synchronous GET: blocks until the answer or the time-out. referer, when not empty, is sent as
// the Referer header. Never throws.
WebResponse SendWebRequest(const std::string& url, const std::string& referer = {});

// An asynchronous GET: the request runs while the message loop turns (timer ticks, events and
// other requests go on meanwhile); returns when it completed or timed out. Never throws.
WebResponse SendAsyncWebRequest(const std::string& url, const std::string& referer = {});

// An asynchronous GET sent on construction, whose answer wait() collects the way
// SendAsyncWebRequest returns it: the caller can go on with other work while the server
// answers. A request never waited for is abandoned.
class PendingWebRequest {
  public:
    explicit PendingWebRequest(const std::string& url, const std::string& referer = {});
    ~PendingWebRequest();
    PendingWebRequest(PendingWebRequest&&) noexcept;
    PendingWebRequest& operator=(PendingWebRequest&&) noexcept;

    // Turns the message loop until the answer is in or the time-out passed. Never throws; once
    // only.
    WebResponse wait();

  private:
    std::unique_ptr<http::Request> request_;
    std::optional<WebResponse> failed_;  // what wait() gives when the request could not be sent
    std::chrono::steady_clock::time_point deadline_;
};

// The address of a web-service page: WebsiteURL & "/datafeeder/" & page & "?" & query (the
// query already encoded, "" for none).
std::string WebServiceURL(std::string_view page, std::string_view query = {});
// The address of a quote request: QuoteServiceURL & "/tools/XM01?qid=KVXADDIN&" & query.
std::string QuoteServiceRequestURL(std::string_view query);

// Reads a web-service answer (root element zurovizout with Status, ErrorCode and
// ErrorDescription). Returns "OK" and leaves the parsed answer in document when Status is "OK";
// the service's error code (such as "invalid_session") with its description when it is "FAIL";
// "invalid_xml" when the text is not such an answer.
std::string ReadWebServiceAnswer(const std::string& text, xml::Document& document,
                                 std::string& description);

// The text of the element under the answer's root (zurovizout/<name>); "" when it is missing.
std::string AnswerElement(const xml::Document& document, std::string_view name);

// Runs a web-service page asynchronously and reads its answer: "OK" (document filled), a
// transport status ("FAIL", "TIMEOUT", "CONNECTIVITYLOST", with the connectivity message shown
// once for the last), or the service's error code. description says what failed.
std::string CallWebService(std::string_view page, std::string_view query, xml::Document& document,
                           std::string& description);

}  // namespace kavex::addin::core
