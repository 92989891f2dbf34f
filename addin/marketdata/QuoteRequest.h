#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "addin/core/WebTransport.h"
#include "platform/xml/Document.h"

namespace kavex::addin::marketdata {

// What one request to the quote service brought back.
struct QuoteAnswer {
    // "OK" when the service answered with its quotes; otherwise "FAIL", "TIMEOUT" or
    // "CONNECTIVITYLOST" and no stocks.
    std::string status;
    std::string description;
    // The answer's Stock elements, in answer order.
    std::vector<xml::Node> stocks;
};

// Asks the quote service for the symbols (special symbols included; at most a batch), with the
// session's referrer, while the message loop runs. Never throws.
QuoteAnswer RequestQuotes(const std::vector<std::string>& symbols);

// RequestQuotes in two steps: the request is sent on construction, and wait() collects its
// answer, so that the caller can read an earlier answer while the service works on this one.
class PendingQuotes {
  public:
    explicit PendingQuotes(const std::vector<std::string>& symbols);
    // Turns the message loop until the answer is in; once only. Never throws.
    QuoteAnswer wait();

  private:
    std::optional<core::PendingWebRequest> request_;
    QuoteAnswer failed_;  // when the request could not be made
};

// The text of the element's child; the empty text when it has none.
std::string ChildText(const xml::Node& element, std::string_view name);

// A Stock element holding the element's children except those named in `without`, followed by
// the children of `extra` named in `append` (in that order, where present). Returned as XML.
std::string StockXml(const xml::Node& stock, const std::vector<std::string_view>& without = {},
                     const xml::Node& extra = {}, const std::vector<std::string_view>& append = {});

// The status of a fetch made of several parts: "OK" when every part was stored, "PARTIALOK" when
// some were, else "CONNECTIVITYLOST" when the service could not be reached, else "FAIL".
std::string CombinedStatus(std::size_t stored, std::size_t wanted, bool connectivityLost);

}  // namespace kavex::addin::marketdata
