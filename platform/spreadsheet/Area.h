#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kavex::sheet {

// A rectangle of cells, 1-based and inclusive.
struct Area {
    int firstRow = 1;
    int firstColumn = 1;
    int lastRow = 1;
    int lastColumn = 1;

    int rowCount() const { return lastRow - firstRow + 1; }
    int columnCount() const { return lastColumn - firstColumn + 1; }
    long long cellCount() const { return static_cast<long long>(rowCount()) * columnCount(); }
    bool contains(int row, int column) const {
        return row >= firstRow && row <= lastRow && column >= firstColumn && column <= lastColumn;
    }
    friend bool operator==(const Area&, const Area&) = default;
};

std::optional<Area> intersection(const Area& a, const Area& b);

// "A", "Z", "AA", ... for 1, 26, 27, ...
std::string columnLetters(int column);

// "$A$1", "A1", "$A$1:$B$3", "$A:$A", "$3:$3" as the host writes addresses.
std::string areaAddress(const Area& area, bool rowAbsolute = true, bool columnAbsolute = true);

// A reference text split into its sheet (empty when none) and its areas: "A1", "$A$1:$B$3",
// "Sheet1!A1", "'My sheet'!A1:B2", "A:A", "3:3", "A1,C3". nullopt when the text is no reference.
struct ParsedReference {
    std::string sheet;
    std::vector<Area> areas;
};
std::optional<ParsedReference> parseReference(std::string_view text);

}  // namespace kavex::sheet
