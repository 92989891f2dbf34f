#include "addin/marketdata/QuoteRequest.h"
#include "addin/core/Strings.h"

#include <algorithm>
#include <exception>

#include "addin/core/WebTransport.h"
#include "addin/marketdata/CacheSupport.h"
#include "addin/session/Session.h"

namespace kavex::addin::marketdata {

namespace {

QuoteAnswer failedAnswer(const std::exception& error) {
    QuoteAnswer answer;
    answer.status = kFail;
    answer.description = "Error while requesting quotes: " + ErrorText(error);
    return answer;
}

}  // namespace

PendingQuotes::PendingQuotes(const std::vector<std::string>& symbols) {
    try {
        std::string list;
        for (const std::string& symbol : symbols) {
            if (!list.empty())
                list += ',';
            list += core::URLEncode(symbol);
        }
        request_.emplace(core::QuoteServiceRequestURL("symbols=" + list), session::ExFeedReferrer);
    } catch (const std::exception& error) {
        failed_ = failedAnswer(error);
    }
}

QuoteAnswer PendingQuotes::wait() {
    if (!request_)
        return failed_;
    QuoteAnswer answer;
    try {
        const core::WebResponse response = request_->wait();
        if (response.status != kOK) {
            answer.status = response.status.empty() ? std::string(kFail) : response.status;
            answer.description = response.description;
            return answer;
        }
        xml::Document document;
        if (!document.loadXML(response.text)) {
            answer.status = kFail;
            answer.description =
                "The quote service's answer is not XML: " + document.parseErrorReason();
            return answer;
        }
        const xml::Node root = document.documentElement();
        if (root.nodeName() != "StockData") {
            answer.status = kFail;
            answer.description = "The quote service's answer has no StockData element.";
            return answer;
        }
        if (const xml::Node error = root.selectSingleNode("Error")) {
            answer.status = kFail;
            answer.description = ChildText(error, "Code") + ": " + ChildText(error, "Description");
            return answer;
        }
        for (const xml::Node& stock : root.selectNodes("Stock"))
            answer.stocks.push_back(stock);
        answer.status = kOK;
    } catch (const std::exception& error) {
        return failedAnswer(error);
    }
    return answer;
}

QuoteAnswer RequestQuotes(const std::vector<std::string>& symbols) {
    return PendingQuotes(symbols).wait();
}

std::string ChildText(const xml::Node& element, std::string_view name) {
    const xml::Node child = element.selectSingleNode(name);
    return child ? child.text() : std::string();
}

std::string StockXml(const xml::Node& stock, const std::vector<std::string_view>& without,
                     const xml::Node& extra, const std::vector<std::string_view>& append) {
    // The kept children printed where they are, rather than copied into a document of their own
    // and printed from there: the text is the same, without a copy of every element.
    std::string children = stock.childElementsXml(without);
    if (extra) {
        for (const std::string_view name : append) {
            if (const xml::Node child = extra.selectSingleNode(name))
                children += child.xml();
        }
    }
    if (children.empty())
        return "<Stock/>";
    return "<Stock>" + children + "</Stock>";
}

std::string CombinedStatus(std::size_t stored, std::size_t wanted, bool connectivityLost) {
    if (stored == wanted)
        return std::string(kOK);
    if (stored > 0)
        return std::string(kPartialOK);
    return std::string(connectivityLost ? kConnectivityLost : kFail);
}

}  // namespace kavex::addin::marketdata
