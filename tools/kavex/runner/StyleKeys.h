#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/spreadsheet/Application.h"
#include "tools/kavex/runner/CommandArgs.h"

namespace kavex::tool {

// A span of a cell's text: 1-based start and a length.
struct TextSpan {
    int start = 1;
    int length = 1;
};

// The span written as the arguments START LENGTH from index on; both 1 or more.
TextSpan spanArguments(const CommandArgs& args, std::size_t index);

// The look of cells as scripts name it: font.color, font.colorindex, font.bold, font.size,
// font.name, interior.colorindex, border.weight, border.color, hyperlink, comment, hidden,
// numberformat, locked. With a span only the font keys apply. Unknown keys, keys that do not apply
// and values of the wrong kind throw ScriptError.

// The current value as text: numbers as the runtime's CStr, true/false, <mixed> when the cells
// differ, "none" for no hyperlink or comment.
std::string readStyle(const sheet::Range& range, std::string_view key,
                      const std::optional<TextSpan>& span = std::nullopt);
// The expected text in the form readStyle gives ("TRUE" -> "true", "10.0" -> "10").
std::string normalizeStyleValue(std::string_view key, const std::string& text);
void writeStyle(const sheet::Range& range, std::string_view key, const std::string& value,
                const std::optional<TextSpan>& span = std::nullopt);

// The keys, in the order above; spanKeys() the font keys.
std::vector<std::string> styleKeys();
std::vector<std::string> spanKeys();

}  // namespace kavex::tool
