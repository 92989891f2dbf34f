#pragma once

#include <string>
#include <string_view>

namespace kavex::services {

// Appends XML elements to a text, character for character as pugixml prints the same elements
// raw (format_raw): a big answer is written straight into its text instead of being built as a
// document first and printed from there.
//
//   XmlText xml;
//   xml.open("Stock");
//   xml.element("Symbol", "IBM");  // <Symbol>IBM</Symbol>
//   xml.element("Error", "");      // <Error/>
//   xml.close("Stock");            // an element with nothing in it closes as <Stock/>
class XmlText {
  public:
    // Starts an element; its children follow.
    void open(std::string_view name);
    // Ends the element last opened with that name.
    void close(std::string_view name);
    // A whole element holding the text; <name/> when the text is empty. Names and the text are
    // cut at a NUL character, as they are in a document.
    void element(std::string_view name, std::string_view text);

    std::string& text() { return text_; }

  private:
    std::string text_;
    bool openTagPending_ = false;  // "<name" written; ">" or "/>" still to come
};

}  // namespace kavex::services
