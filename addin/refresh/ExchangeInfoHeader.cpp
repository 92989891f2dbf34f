#include "addin/refresh/ExchangeInfoHeader.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "addin/functions/ExchangeWorkers.h"
#include "addin/refresh/ExcelHost.h"
#include "platform/base/Conversions.h"
#include "platform/base/Text.h"
#include "platform/os/Clock.h"

namespace kavex::addin::refresh {

namespace {

// The three indices in the order they are shown: the label, the exchange code the values are
// cached under (the S&P 500 lives in the "AMEX" row) and what closes the segment.
struct HeaderIndex {
    std::string_view label;
    std::string_view exchange;
    std::string_view closing;
};

constexpr std::array<HeaderIndex, 3> kIndices{{
    {"NYSE - ", "NYSE", "), "},
    {"NASDAQ - ", "NSDQ", "), "},
    {"SP 500 - ", "AMEX", ")"},
}};

// Positions in a cell's text count characters, not bytes.
std::int32_t characterCountOf(std::string_view text) {
    return static_cast<std::int32_t>(base::characterCount(text));
}

// The 1-based character position of the first c in text (0 when absent).
std::int32_t characterPosition(std::string_view text, char c) {
    const std::size_t at = text.find(c);
    return at == std::string_view::npos ? 0 : characterCountOf(text.substr(0, at)) + 1;
}

// The character at a 1-based character position, as its first byte.
char characterAt(std::string_view text, std::int32_t position) {
    const std::size_t at = base::characterOffset(text, static_cast<std::size_t>(position - 1));
    return at < text.size() ? text[at] : '\0';
}

}  // namespace

void WriteExchangeInfoHeader(const sheet::Worksheet& sheet, sheet::Range& headerCell) {
    // 1. Where the header goes.
    const sheet::Range info = sheet.range("ExchangeInfo");
    const auto column = static_cast<std::int16_t>(info.column());
    const std::int32_t row = info.row();

    // 2. Last values, changes, changes in percent.
    std::array<std::string, 3> last;
    std::array<std::string, 3> change;
    std::array<std::string, 3> percent;
    for (std::size_t i = 0; i < kIndices.size(); ++i) {
        last[i] = functions::GetKavexEXCGLast(std::string(kIndices[i].exchange));
    }
    for (std::size_t i = 0; i < kIndices.size(); ++i) {
        change[i] = functions::GetKavexEXCGChange(std::string(kIndices[i].exchange));
    }
    for (std::size_t i = 0; i < kIndices.size(); ++i) {
        percent[i] = functions::GetKavexEXCGChPerc(std::string(kIndices[i].exchange));
    }

    // 3.
    if (column < 1 || row < 1) {
        return;
    }

    // 4.
    Excel().setEnableEvents(false);

    // 5. One segment per index; a rise gets its "+", a fall brings its own "-".
    std::array<std::string, 3> segments;
    for (std::size_t i = 0; i < kIndices.size(); ++i) {
        const std::string changeSign = base::CDbl(base::Variant(change[i])) > 0 ? "+" : "";
        const std::string percentNumber =
            percent[i].substr(0, percent[i].empty() ? 0 : percent[i].size() - 1);
        const std::string percentSign = base::CDbl(base::Variant(percentNumber)) > 0 ? "+" : "";
        segments[i] = std::string(kIndices[i].label) + last[i] + " (" + changeSign + change[i] +
                      ", " + percentSign + percent[i] + std::string(kIndices[i].closing);
    }

    // 6. The three segments, then the time of the refresh on its own line.
    sheet::Range cell = sheet.cells(row, column);
    const std::string text = segments[0] + segments[1] + segments[2] + "\n" +
                             "Last Updated: " + base::CStr(base::Variant(os::Now()));
    cell.setValue(base::Variant(text));
    headerCell = cell;

    // 7-8. The figures between each segment's brackets, coloured by their first character.
    const std::string shown = base::CStr(cell.value());
    std::int32_t before = 0;
    for (const std::string& segment : segments) {
        const std::int32_t open = characterPosition(segment, '(') + before;
        const std::int32_t close = characterPosition(segment, ')') - 1 + before;
        const char first = characterAt(shown, open + 1);
        const int colorIndex = first == '-'   ? kHeaderFallColorIndex
                               : first == '+' ? kHeaderRiseColorIndex
                                              : kHeaderFlatColorIndex;
        cell.characters(open + 1, close - open).font().setColorIndex(colorIndex);
        before += characterCountOf(segment);
    }

    // 9. The time line in grey, not bold.
    const std::int32_t lineFeed = characterPosition(shown, '\n');
    sheet::Font timeLine = cell.characters(lineFeed + 1, characterCountOf(shown) - lineFeed).font();
    timeLine.setColorIndex(kHeaderTimeColorIndex);
    timeLine.setBold(false);

    // 10.
    Excel().setEnableEvents(true);
}

}  // namespace kavex::addin::refresh
