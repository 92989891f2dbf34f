#pragma once

#include <cstddef>
#include <pugixml.hpp>
#include <string>

namespace kavex::xml {

// Prints a pugixml node or document straight into a text. A string stream would give the same
// characters, but building one sets up a locale each time, which costs more than printing a
// small element.
class TextWriter final : public pugi::xml_writer {
  public:
    void write(const void* data, std::size_t size) override {
        text.append(static_cast<const char*>(data), size);
    }

    std::string text;
};

}  // namespace kavex::xml
