#pragma once

#include <pugixml.hpp>
#include <string>
#include <string_view>

#include "services/HttpExchange.h"

namespace kavex::services {

// The root element of every web-service answer.
inline constexpr const char* webServiceRoot = "zurovizout";
// The root element of every quote-service answer.
inline constexpr const char* quoteServiceRoot = "StockData";

// Appends <name>text</name> to the parent and returns the new element.
pugi::xml_node appendText(pugi::xml_node parent, std::string_view name, std::string_view text);

// A document with a <zurovizout> root whose first child is <Status>OK</Status>.
pugi::xml_document webServiceSuccess();
// <zurovizout><Status>FAIL</Status><ErrorCode>code</ErrorCode>
// <ErrorDescription>description</ErrorDescription></zurovizout>
ServiceAnswer webServiceFailure(std::string_view code, std::string_view description);
// <StockData><Error><Code>code</Code><Description>description</Description></Error></StockData>
ServiceAnswer quoteServiceFailure(std::string_view code, std::string_view description);

// What every answer's text starts with.
inline constexpr const char* xmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

// The document as the body of a 200 answer, with its XML declaration.
ServiceAnswer xmlAnswer(const pugi::xml_document& document);

// True for a name that can stand as an XML element name in an answer: a letter or "_", then
// letters, digits and "_".
bool isElementName(std::string_view name);

}  // namespace kavex::services
