#include "services/XmlAnswer.h"

#include <cctype>
#include <string>

#include "platform/xml/TextWriter.h"

namespace kavex::services {

pugi::xml_node appendText(pugi::xml_node parent, std::string_view name, std::string_view text) {
    pugi::xml_node element = parent.append_child(std::string(name).c_str());
    if (!text.empty()) {
        element.append_child(pugi::node_pcdata).set_value(std::string(text).c_str());
    }
    return element;
}

pugi::xml_document webServiceSuccess() {
    pugi::xml_document document;
    appendText(document.append_child(webServiceRoot), "Status", "OK");
    return document;
}

ServiceAnswer webServiceFailure(std::string_view code, std::string_view description) {
    pugi::xml_document document;
    pugi::xml_node root = document.append_child(webServiceRoot);
    appendText(root, "Status", "FAIL");
    appendText(root, "ErrorCode", code);
    appendText(root, "ErrorDescription", description);
    return xmlAnswer(document);
}

ServiceAnswer quoteServiceFailure(std::string_view code, std::string_view description) {
    pugi::xml_document document;
    pugi::xml_node error = document.append_child(quoteServiceRoot).append_child("Error");
    appendText(error, "Code", code);
    appendText(error, "Description", description);
    return xmlAnswer(document);
}

ServiceAnswer xmlAnswer(const pugi::xml_document& document) {
    xml::TextWriter text;
    text.text = xmlDeclaration;
    document.save(text, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    ServiceAnswer answer;
    answer.body = std::move(text.text);
    return answer;
}

bool isElementName(std::string_view name) {
    if (name.empty() ||
        !(std::isalpha(static_cast<unsigned char>(name.front())) || name.front() == '_')) {
        return false;
    }
    for (const char c : name) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) {
            return false;
        }
    }
    return true;
}

}  // namespace kavex::services
