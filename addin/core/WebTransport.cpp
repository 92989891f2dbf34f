#include "addin/core/WebTransport.h"

#include <chrono>
#include <stdexcept>

#include "addin/core/Globals.h"
#include "addin/core/Log.h"
#include "platform/forms/MsgBox.h"
#include "platform/http/Request.h"
#include "platform/os/MessageLoop.h"

namespace kavex::addin::core {

namespace {

WebResponse completed(const http::Request& request) {
    WebResponse response;
    switch (request.outcome()) {
        case http::Outcome::Success:
            response.status = kStatusOK;
            response.httpStatus = request.status();
            response.text = request.responseText();
            return response;
        case http::Outcome::HttpError:
            response.status = kStatusFail;
            response.httpStatus = request.status();
            response.text = request.responseText();
            response.description =
                "HTTP status " + std::to_string(request.status()) + " " + request.statusText();
            return response;
        case http::Outcome::TimedOut:
            response.status = kStatusTimeout;
            break;
        case http::Outcome::ConnectionRefused:
        case http::Outcome::NameNotResolved:
        case http::Outcome::Failed:
            response.status = kStatusConnectivityLost;
            break;
        case http::Outcome::Aborted:
        case http::Outcome::Pending:
            response.status = kStatusFail;
            break;
    }
    response.description = std::string(http::outcomeName(request.outcome()));
    if (!request.errorDescription().empty()) {
        response.description += ": " + request.errorDescription();
    }
    return response;
}

WebResponse failedToSend(const std::exception& e) {
    WebResponse response;
    response.status = kStatusFail;
    response.description = e.what();
    return response;
}

void prepare(http::Request& request, const std::string& url, bool async,
             const std::string& referer) {
    request.open("GET", url, async);
    request.setTimeout(WebRequestTimeout);
    if (!referer.empty()) {
        request.setRequestHeader("Referer", referer);
    }
}

}  // namespace

void ShowConnectivityMessage() {
    if (ConnectivityMessageShown) {
        return;
    }
    ConnectivityMessageShown = true;
    forms::MsgBox(kConnectivityMessage, forms::vbCritical, "Kavex");
}

WebResponse SendWebRequest(const std::string& url, const std::string& referer) {
    try {
        http::Request request;
        prepare(request, url, false, referer);
        request.send();
        return completed(request);
    } catch (const std::exception& e) {
        return failedToSend(e);
    }
}

WebResponse SendAsyncWebRequest(const std::string& url, const std::string& referer) {
    return PendingWebRequest(url, referer).wait();
}

PendingWebRequest::PendingWebRequest(const std::string& url, const std::string& referer) {
    try {
        request_ = std::make_unique<http::Request>();
        prepare(*request_, url, true, referer);
        request_->send();
        // The request carries its own time-out; the deadline only guards against a transfer
        // that never reports its end.
        deadline_ = std::chrono::steady_clock::now() + WebRequestTimeout + std::chrono::seconds(5);
    } catch (const std::exception& e) {
        request_.reset();
        failed_ = failedToSend(e);
    }
}

PendingWebRequest::~PendingWebRequest() = default;
PendingWebRequest::PendingWebRequest(PendingWebRequest&&) noexcept = default;
PendingWebRequest& PendingWebRequest::operator=(PendingWebRequest&&) noexcept = default;

WebResponse PendingWebRequest::wait() {
    if (!request_) {
        return failed_ ? *failed_ : failedToSend(std::runtime_error("The request was collected."));
    }
    const std::unique_ptr<http::Request> request = std::move(request_);
    try {
        while (request->readyState() != 4) {
            os::DoEvents();
            if (request->readyState() != 4 && std::chrono::steady_clock::now() > deadline_) {
                request->abort();
                WebResponse response;
                response.status = kStatusTimeout;
                response.description = "no answer within the time-out";
                return response;
            }
        }
        return completed(*request);
    } catch (const std::exception& e) {
        return failedToSend(e);
    }
}

std::string WebServiceURL(std::string_view page, std::string_view query) {
    std::string url = WebsiteURL;
    while (!url.empty() && url.back() == '/') {
        url.pop_back();
    }
    url += kWebServicePath;
    url += page;
    if (!query.empty()) {
        url += '?';
        url += query;
    }
    return url;
}

std::string QuoteServiceRequestURL(std::string_view query) {
    std::string url = QuoteServiceURL;
    while (!url.empty() && url.back() == '/') {
        url.pop_back();
    }
    url += kQuoteServicePath;
    url += "?qid=";
    url += kQuoteQueryId;
    if (!query.empty()) {
        url += '&';
        url += query;
    }
    return url;
}

std::string ReadWebServiceAnswer(const std::string& text, xml::Document& document,
                                 std::string& description) {
    try {
        if (!document.loadXML(text)) {
            description = "The answer is not XML: " + document.parseErrorReason();
            return std::string(kInvalidXml);
        }
        const xml::Node root = document.documentElement();
        if (root.isNothing() || root.nodeName() != "zurovizout") {
            description = "The answer is not a web-service answer.";
            return std::string(kInvalidXml);
        }
        const std::string status = AnswerElement(document, "Status");
        if (status == kStatusOK) {
            return std::string(kStatusOK);
        }
        const std::string code = AnswerElement(document, "ErrorCode");
        description = AnswerElement(document, "ErrorDescription");
        if (status != kStatusFail || code.empty()) {
            if (description.empty()) {
                description = "The answer has no status.";
            }
            return std::string(kInvalidXml);
        }
        return code;
    } catch (const std::exception& e) {
        description = e.what();
        return std::string(kInvalidXml);
    }
}

std::string AnswerElement(const xml::Document& document, std::string_view name) {
    try {
        const xml::Node node = document.selectSingleNode("/zurovizout/" + std::string(name));
        return node.isNothing() ? std::string() : node.text();
    } catch (const std::exception&) {
        return {};
    }
}

std::string CallWebService(std::string_view page, std::string_view query, xml::Document& document,
                           std::string& description) {
    const WebResponse response = SendAsyncWebRequest(WebServiceURL(page, query));
    if (response.status != kStatusOK) {
        description = response.description;
        if (response.status == kStatusConnectivityLost) {
            ShowConnectivityMessage();
        }
        return response.status;
    }
    return ReadWebServiceAnswer(response.text, document, description);
}

}  // namespace kavex::addin::core
