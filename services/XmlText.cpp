#include "services/XmlText.h"

#include <pugixml.hpp>

#include "platform/xml/TextWriter.h"

namespace kavex::services {

namespace {

// Characters that go into an element's text as they are: pugixml escapes &, < and >, and writes
// control characters as character references.
bool plain(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '&' || c == '<' || c == '>' || (byte < 32 && c != '\t' && c != '\n')) {
            return false;
        }
    }
    return true;
}

// The text as pugixml escapes it, for the rare text that needs it.
void appendEscaped(std::string& out, std::string_view text) {
    pugi::xml_document scratch;
    pugi::xml_node value = scratch.append_child(pugi::node_pcdata);
    value.set_value(std::string(text).c_str());
    xml::TextWriter writer;
    value.print(writer, "", pugi::format_raw | pugi::format_no_declaration);
    out += writer.text;
}

}  // namespace

void XmlText::open(std::string_view name) {
    name = name.substr(0, name.find('\0'));
    if (openTagPending_) {
        text_ += '>';
    }
    text_ += '<';
    text_ += name;
    openTagPending_ = true;
}

void XmlText::close(std::string_view name) {
    name = name.substr(0, name.find('\0'));
    if (openTagPending_) {
        text_ += "/>";
        openTagPending_ = false;
        return;
    }
    text_ += "</";
    text_ += name;
    text_ += '>';
}

void XmlText::element(std::string_view name, std::string_view text) {
    name = name.substr(0, name.find('\0'));
    open(name);
    if (text.empty()) {
        close(name);
        return;
    }
    // A text cut to nothing still makes the element a pair of tags.
    text = text.substr(0, text.find('\0'));
    text_ += '>';
    openTagPending_ = false;
    if (plain(text)) {
        text_ += text;
    } else {
        appendEscaped(text_, text);
    }
    close(name);
}

}  // namespace kavex::services
