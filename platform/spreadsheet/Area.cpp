#include "platform/spreadsheet/Area.h"

#include <algorithm>
#include <cctype>

#include "platform/base/Text.h"
#include "platform/spreadsheet/Constants.h"

namespace kavex::sheet {

std::optional<Area> intersection(const Area& a, const Area& b) {
    Area r{std::max(a.firstRow, b.firstRow), std::max(a.firstColumn, b.firstColumn),
           std::min(a.lastRow, b.lastRow), std::min(a.lastColumn, b.lastColumn)};
    if (r.firstRow > r.lastRow || r.firstColumn > r.lastColumn) {
        return std::nullopt;
    }
    return r;
}

std::string columnLetters(int column) {
    std::string letters;
    while (column > 0) {
        const int rest = (column - 1) % 26;
        letters.insert(letters.begin(), static_cast<char>('A' + rest));
        column = (column - 1) / 26;
    }
    return letters;
}

std::string areaAddress(const Area& area, bool rowAbsolute, bool columnAbsolute) {
    const std::string r = rowAbsolute ? "$" : "";
    const std::string c = columnAbsolute ? "$" : "";
    const bool wholeColumns = area.firstRow == 1 && area.lastRow == kMaxRows;
    const bool wholeRows = area.firstColumn == 1 && area.lastColumn == kMaxColumns;
    if (wholeColumns && !wholeRows) {
        return c + columnLetters(area.firstColumn) + ":" + c + columnLetters(area.lastColumn);
    }
    if (wholeRows && !wholeColumns) {
        return r + std::to_string(area.firstRow) + ":" + r + std::to_string(area.lastRow);
    }
    std::string text = c + columnLetters(area.firstColumn) + r + std::to_string(area.firstRow);
    if (area.firstRow != area.lastRow || area.firstColumn != area.lastColumn) {
        text += ":" + c + columnLetters(area.lastColumn) + r + std::to_string(area.lastRow);
    }
    return text;
}

namespace {

struct Part {
    std::optional<int> row;
    std::optional<int> column;
};

// "$A$1", "A", "$3": a column, a row, or both.
std::optional<Part> parsePart(std::string_view text) {
    std::size_t i = 0;
    Part part;
    if (i < text.size() && text[i] == '$') {
        ++i;
    }
    std::size_t letters = 0;
    int column = 0;
    while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i]))) {
        column = column * 26 + (base::toUpperAscii(text[i]) - 'A' + 1);
        ++i;
        if (++letters > 3) {
            return std::nullopt;
        }
    }
    if (letters > 0) {
        if (column > kMaxColumns) {
            return std::nullopt;
        }
        part.column = column;
    }
    if (i < text.size() && text[i] == '$') {
        if (letters == 0) {
            return std::nullopt;
        }
        ++i;
    }
    std::size_t digits = 0;
    long row = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        row = row * 10 + (text[i] - '0');
        ++i;
        if (++digits > 7) {
            return std::nullopt;
        }
    }
    if (digits > 0) {
        if (row < 1 || row > kMaxRows) {
            return std::nullopt;
        }
        part.row = static_cast<int>(row);
    }
    if (i != text.size() || (!part.row && !part.column)) {
        return std::nullopt;
    }
    return part;
}

std::optional<Area> parseArea(std::string_view text) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) {
        auto p = parsePart(text);
        if (!p || !p->row || !p->column) {
            return std::nullopt;
        }
        return Area{*p->row, *p->column, *p->row, *p->column};
    }
    auto a = parsePart(text.substr(0, colon));
    auto b = parsePart(text.substr(colon + 1));
    if (!a || !b) {
        return std::nullopt;
    }
    Area area;
    if (a->row && a->column && b->row && b->column) {
        area = Area{*a->row, *a->column, *b->row, *b->column};
    } else if (!a->row && !b->row && a->column && b->column) {
        area = Area{1, *a->column, kMaxRows, *b->column};
    } else if (!a->column && !b->column && a->row && b->row) {
        area = Area{*a->row, 1, *b->row, kMaxColumns};
    } else {
        return std::nullopt;
    }
    if (area.firstRow > area.lastRow) {
        std::swap(area.firstRow, area.lastRow);
    }
    if (area.firstColumn > area.lastColumn) {
        std::swap(area.firstColumn, area.lastColumn);
    }
    return area;
}

}  // namespace

std::optional<ParsedReference> parseReference(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    if (!text.empty() && text.front() == '=') {
        text.remove_prefix(1);
    }
    ParsedReference result;
    if (!text.empty() && text.front() == '\'') {
        std::size_t i = 1;
        std::string sheet;
        while (true) {
            if (i >= text.size()) {
                return std::nullopt;
            }
            if (text[i] == '\'') {
                if (i + 1 < text.size() && text[i + 1] == '\'') {
                    sheet += '\'';
                    i += 2;
                    continue;
                }
                break;
            }
            sheet += text[i++];
        }
        if (i + 1 >= text.size() || text[i + 1] != '!') {
            return std::nullopt;
        }
        result.sheet = sheet;
        text.remove_prefix(i + 2);
    } else if (const auto bang = text.find('!'); bang != std::string_view::npos) {
        result.sheet = std::string(text.substr(0, bang));
        if (result.sheet.empty()) {
            return std::nullopt;
        }
        text.remove_prefix(bang + 1);
    }
    while (true) {
        const auto comma = text.find(',');
        auto area = parseArea(text.substr(0, comma));
        if (!area) {
            return std::nullopt;
        }
        result.areas.push_back(*area);
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    return result;
}

}  // namespace kavex::sheet
