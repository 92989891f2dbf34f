#include "addin/functions/SqlText.h"

namespace kavex::addin::functions {

std::string SqlText(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    for (char c : text) {
        out += c;
        if (c == '\'')
            out += '\'';
    }
    return out;
}

}  // namespace kavex::addin::functions
