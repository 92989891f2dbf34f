#include <algorithm>
#include <string>
#include <vector>

#include "platform/spreadsheet/Application.h"
#include "tools/kavex/runner/CommandGroups.h"
#include "tools/kavex/runner/HostSupport.h"
#include "tools/kavex/runner/ScenarioContext.h"
#include "tools/kavex/runner/ScriptErrors.h"
#include "tools/kavex/runner/StyleKeys.h"

namespace kavex::tool {

namespace {

using Args = const CommandArgs&;

void expectShown(ScenarioContext& context, Args args) {
    const sheet::Range cell = resolveCell(context, args[0]);
    expectEqual("the shown value of " + cellName(cell), args[1], cell.text());
}

void expectValue(ScenarioContext& context, Args args) {
    const sheet::Range cell = resolveCell(context, args[0]);
    expectEqual("the value of " + cellName(cell), args[1], valueText(cell.value()));
}

void expectFormula(ScenarioContext& context, Args args) {
    const sheet::Range cell = resolveCell(context, args[0]);
    expectEqual("the formula of " + cellName(cell), args[1],
                cell.hasFormula() ? cell.formula() : std::string());
}

void expectStyles(const sheet::Range& range, Args args, std::size_t from,
                  const std::optional<TextSpan>& span) {
    const auto pairs = args.keyValues(from);
    if (pairs.empty()) {
        args.fail("at least one KEY=VALUE is needed");
    }
    std::string where = cellName(range);
    if (span) {
        where = "characters " + std::to_string(span->start) + "+" + std::to_string(span->length) +
                " of " + where;
    }
    for (const auto& [key, expected] : pairs) {
        const std::string found = readStyle(range, key, span);
        expectEqual(key + " of " + where, normalizeStyleValue(key, expected), found);
    }
}

void expectStyle(ScenarioContext& context, Args args) {
    expectStyles(resolveReference(context, args[0]), args, 1, std::nullopt);
}

void expectSpan(ScenarioContext& context, Args args) {
    const sheet::Range cell = resolveCell(context, args[0]);
    expectStyles(cell, args, 3, spanArguments(args, 1));
}

void expectActive(ScenarioContext& context, Args args) {
    const sheet::Worksheet sheet = context.application().activeSheet();
    expectEqual("the active sheet", args[0], sheet.isNothing() ? "<none>" : sheet.name());
}

void expectActiveWorkbook(ScenarioContext& context, Args args) {
    const sheet::Workbook workbook = context.application().activeWorkbook();
    expectEqual("the active workbook", args[0], workbook.isNothing() ? "<none>" : workbook.name());
}

void printCells(ScenarioContext& context, Args args) {
    const sheet::Range range = resolveReference(context, args[0]);
    for (const sheet::Range& cell : range.eachCell()) {
        context.out() << cellName(cell) << ": " << cell.text() << "\n";
    }
}

// Display width of UTF-8 text: code points, which is close enough for a console table.
std::size_t width(const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string padded(const std::string& text, std::size_t size) {
    const std::size_t shown = width(text);
    return shown >= size ? text : text + std::string(size - shown, ' ');
}

// One line for a cell of the table: line breaks would break the table apart.
std::string oneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
}

void showSheet(ScenarioContext& context, Args args) {
    const sheet::Worksheet sheet =
        args.empty() ? context.application().activeSheet() : resolveSheet(context, args[0]);
    if (sheet.isNothing()) {
        throw ScriptError("no workbook is open (use new or open first)");
    }
    const sheet::Range used = sheet.usedRange();
    const int rows = used.rowCount();
    const int columns = used.columnCount();
    const int firstRow = used.row();
    const int firstColumn = used.column();

    std::vector<std::vector<std::string>> grid(static_cast<std::size_t>(rows) + 1);
    grid[0].push_back("");
    for (int c = 0; c < columns; ++c) {
        grid[0].push_back(sheet::columnLetters(firstColumn + c));
    }
    for (int r = 0; r < rows; ++r) {
        auto& line = grid[static_cast<std::size_t>(r) + 1];
        line.push_back(std::to_string(firstRow + r));
        for (int c = 0; c < columns; ++c) {
            line.push_back(oneLine(sheet.cells(firstRow + r, firstColumn + c).text()));
        }
    }
    std::vector<std::size_t> widths(static_cast<std::size_t>(columns) + 1, 0);
    for (const auto& line : grid) {
        for (std::size_t c = 0; c < line.size(); ++c) {
            widths[c] = std::max(widths[c], width(line[c]));
        }
    }
    std::ostream& out = context.out();
    out << sheet.parent().name() << " / " << sheet.name() << "\n";
    for (const auto& line : grid) {
        std::string text = std::string(widths[0] - width(line[0]), ' ') + line[0];
        for (std::size_t c = 1; c < line.size(); ++c) {
            text += " | " + padded(line[c], widths[c]);
        }
        while (!text.empty() && text.back() == ' ') {
            text.pop_back();
        }
        out << text << "\n";
    }
}

}  // namespace

void registerHostExpectCommands(CommandTable& table) {
    table.add({"expect", "REF TEXT", "the cell's shown value equals TEXT", 2, 2, expectShown});
    table.add({"expect-value", "REF TEXT", "the cell's value converted to text equals TEXT", 2, 2,
               expectValue});
    table.add({"expect-formula", "REF TEXT", "the cell's formula equals TEXT (\"\" for none)", 2, 2,
               expectFormula});
    table.add({"expect-style", "REF KEY=VALUE...", "the cells' look (font.bold=true, ...)", 2,
               ScriptCommand::unbounded, expectStyle});
    table.add({"expect-span", "REF START LENGTH KEY=VALUE...",
               "the font of a span of the cell's text", 4, ScriptCommand::unbounded, expectSpan});
    table.add({"expect-active", "SHEET", "the active sheet's name", 1, 1, expectActive});
    table.add({"expect-active-workbook", "NAME", "the active workbook's name", 1, 1,
               expectActiveWorkbook});
    table.add(
        {"print", "REF", "prints each cell's shown value, one line per cell", 1, 1, printCells});
    table.add({"show", "[SHEET]", "prints the used range of a sheet as a table", 0, 1, showSheet});
}

}  // namespace kavex::tool
