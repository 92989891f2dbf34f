// Workbooks as JSON documents; docs/workbook-format.md describes the format.

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "platform/spreadsheet/detail/FileDocument.h"
#include "platform/spreadsheet/detail/FileTexts.h"
#include "platform/spreadsheet/detail/Model.h"

namespace kavex::sheet::detail {

using Json = FileJson;

namespace {

constexpr int kFormatVersion = 1;

// ---- Writing -----------------------------------------------------------------------------------

Json errorJson(base::CellError error) {
    return Json{{"error", std::string(base::cellErrorText(error))}};
}

// A cell's value as the file holds it, each one read back as the very same value. JSON has no
// infinity and no NaN: a number or date that is no finite number is kept as the #NUM! it stands
// for, rather than written as something that reads back as another value or none at all.
std::optional<Json> valueJson(const Variant& v) {
    switch (v.type()) {
        case base::VarType::Boolean:
            return Json(v.boolean());
        case base::VarType::Number:
            return std::isfinite(v.number()) ? Json(v.number()) : errorJson(base::CellError::Num);
        case base::VarType::Text:
            return Json(v.text());
        case base::VarType::Date:
            return std::isfinite(v.date().serial) ? Json{{"date", v.date().serial}}
                                                  : errorJson(base::CellError::Num);
        case base::VarType::Error:
            return errorJson(v.error());
        default:  // a cell shows Null and Missing as empty, and holds them as Empty
            return std::nullopt;
    }
}

Json patchJson(const FontPatch& p) {
    Json j = Json::object();
    if (p.name) {
        j["fontName"] = *p.name;
    }
    if (p.size) {
        j["fontSize"] = *p.size;
    }
    if (p.bold) {
        j["bold"] = *p.bold;
    }
    if (p.color) {
        j["fontColor"] = *p.color;
        j["fontColorIndex"] = p.colorIndex ? Json(*p.colorIndex) : Json(nullptr);
    }
    if (p.underline) {
        j["underline"] = *p.underline;
    }
    return j;
}

Json spansJson(const std::vector<Span>& spans) {
    Json list = Json::array();
    for (const Span& s : spans) {
        Json j{{"start", s.start}, {"length", s.length}};
        j.update(patchJson(s.patch));
        list.push_back(j);
    }
    return list;
}

Json styleJson(const Style& s) {
    const Style& d = defaultStyle();
    Json j = Json::object();
    if (s.fontName != d.fontName) {
        j["fontName"] = s.fontName;
    }
    if (s.fontSize != d.fontSize) {
        j["fontSize"] = s.fontSize;
    }
    if (s.bold != d.bold) {
        j["bold"] = s.bold;
    }
    if (s.fontColor != d.fontColor || s.fontColorIndex != d.fontColorIndex) {
        j["fontColor"] = s.fontColor;
        j["fontColorIndex"] = s.fontColorIndex ? Json(*s.fontColorIndex) : Json(nullptr);
    }
    if (s.underline != d.underline) {
        j["underline"] = s.underline;
    }
    if (s.interiorColor) {
        j["interiorColor"] = *s.interiorColor;
        j["interiorColorIndex"] =
            s.interiorColorIndex ? Json(*s.interiorColorIndex) : Json(nullptr);
    }
    if (s.borderWeight) {
        j["borderWeight"] = *s.borderWeight;
    }
    if (s.borderColor) {
        j["borderColor"] = *s.borderColor;
    }
    if (s.numberFormat != d.numberFormat) {
        j["numberFormat"] = s.numberFormat;
    }
    if (s.wrapText != d.wrapText) {
        j["wrapText"] = s.wrapText;
    }
    if (s.locked != d.locked) {
        j["locked"] = s.locked;
    }
    return j;
}

std::string cellRef(CellKey key) {
    return columnLetters(keyColumn(key)) + std::to_string(keyRow(key));
}

std::string areasText(const std::vector<Area>& areas) {
    std::string text;
    for (const Area& a : areas) {
        text += (text.empty() ? "" : ",") + areaAddress(a);
    }
    return text;
}

Json cellJson(const AppState& app, CellKey key, const Cell& cell) {
    Json c{{"ref", cellRef(key)}};
    if (auto value = valueJson(cell.value)) {
        c["value"] = std::move(*value);
    }
    if (cell.formula) {
        c["formula"] = "=" + app.formulaText(cell);
    }
    if (cell.style) {
        Json style = styleJson(*cell.style);
        if (!style.empty()) {
            c["style"] = style;
        }
    }
    if (!cell.spans.empty()) {
        c["spans"] = spansJson(cell.spans);
    }
    return c;
}

void writeSheet(const AppState& app, const SheetData& sheet, DocumentWriter& out) {
    out.beginObject();
    out.member("name", sheet.name);
    if (sheet.protectContents) {
        out.member("protected", true);
        out.member("password", sheet.password);
    }
    out.member("selection", areasText(sheet.selection));
    out.member("activeCell", cellRef(cellKey(sheet.activeRow, sheet.activeColumn)));
    if (!sheet.hiddenRows.empty()) {
        out.list("hiddenRows", sheet.hiddenRows, [](int row) { return Json(row); });
    }
    std::vector<CellKey> keys;
    for (const auto& [key, cell] : sheet.cells) {
        if (!cell.blank()) {
            keys.push_back(key);
        }
    }
    std::sort(keys.begin(), keys.end());
    out.list("cells", keys, [&](CellKey key) { return cellJson(app, key, sheet.cells.at(key)); });
    out.list("comments", sheet.comments, [](const auto& entry) {
        const auto& [key, comment] = entry;
        Json c{{"ref", cellRef(key)}, {"text", comment.text}, {"autoSize", comment.autoSize}};
        if (!comment.spans.empty()) {
            c["spans"] = spansJson(comment.spans);
        }
        return c;
    });
    out.list("hyperlinks", sheet.hyperlinks, [](const auto& l) {
        return Json{{"ref", cellRef(cellKey(l.row, l.column))},
                    {"address", l.address},
                    {"subAddress", l.subAddress},
                    {"screenTip", l.screenTip},
                    {"textToDisplay", l.textToDisplay}};
    });
    out.list("formatConditions", sheet.conditions, [](const auto& c) {
        Json cj{{"appliesTo", areasText(c.areas)},
                {"type", c.type},
                {"operator", c.op},
                {"formula1", c.formula1},
                {"formula2", c.formula2}};
        if (c.interiorColor) {
            cj["interiorColor"] = *c.interiorColor;
            cj["interiorColorIndex"] =
                c.interiorColorIndex ? Json(*c.interiorColorIndex) : Json(nullptr);
        }
        return cj;
    });
    out.list("oleObjects", sheet.oleObjects, [](const auto& o) {
        return Json{{"name", o.name},   {"progId", o.progId}, {"left", o.left},      {"top", o.top},
                    {"width", o.width}, {"height", o.height}, {"visible", o.visible}};
    });
    out.end();
}

void writeDocument(const AppState& app, const BookData& book, DocumentWriter& out) {
    out.beginObject();
    out.member("kavexWorkbook", kFormatVersion);
    if (book.isAddin) {
        out.member("isAddin", true);
    }
    if (book.activeSheet != nullptr) {
        out.member("activeSheet", book.activeSheet->name);
    }
    Json project{{"name", book.projectName}};
    Json refs = Json::array();
    for (const auto& r : book.references) {
        refs.push_back(Json{{"name", r.name}, {"fullPath", r.fullPath}});
    }
    project["references"] = refs;
    if (!book.macros.empty()) {
        project["macros"] = book.macros;
    }
    out.member("vbProject", std::move(project));
    out.list("names", book.names, [&](const NameData& n) {
        Json j{{"name", n.name}, {"refersTo", n.refersTo}};
        if (n.scopeSheet != 0) {
            if (const SheetData* s = app.sheetById(n.scopeSheet)) {
                j["sheet"] = s->name;
            }
        }
        return j;
    });
    out.key("sheets");
    out.beginArray();
    for (const auto& s : book.sheets) {
        writeSheet(app, *s, out);
    }
    out.end();
    out.end();
}

// ---- Reading -----------------------------------------------------------------------------------

// A fault in a document that is valid JSON: where (a JSON pointer) and what.
struct Fault {
    std::string pointer;
    std::string message;
};

[[noreturn]] void fault(const std::string& pointer, const std::string& message) {
    throw Fault{pointer, message};
}

const Json& member(const Json& object, const std::string& pointer, const char* key) {
    if (!object.is_object() || !object.contains(key)) {
        fault(pointer, std::string("\"") + key + "\" is missing");
    }
    return object.at(key);
}

std::string text(const Json& j, const std::string& pointer) {
    if (!j.is_string()) {
        fault(pointer, "a text is expected");
    }
    return j.get<std::string>();
}

double number(const Json& j, const std::string& pointer) {
    if (!j.is_number()) {
        fault(pointer, "a number is expected");
    }
    return j.get<double>();
}

long integer(const Json& j, const std::string& pointer) {
    const double v = number(j, pointer);
    if (v != std::floor(v) || std::fabs(v) > 2147483647.0) {
        fault(pointer, "a whole number is expected");
    }
    return static_cast<long>(v);
}

bool boolean(const Json& j, const std::string& pointer) {
    if (!j.is_boolean()) {
        fault(pointer, "true or false is expected");
    }
    return j.get<bool>();
}

const Json& array(const Json& j, const std::string& pointer) {
    if (!j.is_array()) {
        fault(pointer, "a list is expected");
    }
    return j;
}

std::string optText(const Json& o, const std::string& p, const char* key,
                    std::string fallback = "") {
    return o.contains(key) ? text(o.at(key), p + "/" + key) : fallback;
}

Variant readValue(const Json& j, const std::string& pointer) {
    if (j.is_null()) {
        return Variant();
    }
    if (j.is_boolean()) {
        return Variant(j.get<bool>());
    }
    if (j.is_number()) {
        return Variant(j.get<double>());
    }
    if (j.is_string()) {
        return Variant(j.get<std::string>());
    }
    if (j.is_object() && j.size() == 1 && j.contains("date")) {
        return Variant(base::Date{number(j.at("date"), pointer + "/date")});
    }
    if (j.is_object() && j.size() == 1 && j.contains("error")) {
        const std::string e = text(j.at("error"), pointer + "/error");
        for (auto err : base::allCellErrors) {
            if (base::cellErrorText(err) == e) {
                return Variant(err);
            }
        }
        fault(pointer + "/error", "unknown error value \"" + e + "\"");
    }
    fault(pointer, "a value is expected");
}

CellKey readCellRef(const Json& j, const std::string& pointer) {
    auto parsed = parseReference(text(j, pointer));
    if (!parsed || !parsed->sheet.empty() || parsed->areas.size() != 1 ||
        parsed->areas[0].cellCount() != 1) {
        fault(pointer, "a cell reference such as \"B5\" is expected");
    }
    return cellKey(parsed->areas[0].firstRow, parsed->areas[0].firstColumn);
}

std::vector<Area> readAreas(const Json& j, const std::string& pointer) {
    auto parsed = parseReference(text(j, pointer));
    if (!parsed || !parsed->sheet.empty()) {
        fault(pointer, "a range reference such as \"$A$1:$B$3\" is expected");
    }
    return parsed->areas;
}

std::optional<int> readIndex(const Json& j, const std::string& pointer) {
    if (j.is_null()) {
        return std::nullopt;
    }
    return static_cast<int>(integer(j, pointer));
}

FontPatch readPatch(const Json& o, const std::string& p) {
    FontPatch f;
    if (o.contains("fontName")) {
        f.name = text(o.at("fontName"), p + "/fontName");
    }
    if (o.contains("fontSize")) {
        f.size = number(o.at("fontSize"), p + "/fontSize");
    }
    if (o.contains("bold")) {
        f.bold = boolean(o.at("bold"), p + "/bold");
    }
    if (o.contains("fontColor")) {
        f.color = integer(o.at("fontColor"), p + "/fontColor");
        if (o.contains("fontColorIndex")) {
            f.colorIndex = readIndex(o.at("fontColorIndex"), p + "/fontColorIndex");
        }
    }
    if (o.contains("underline")) {
        f.underline = static_cast<int>(integer(o.at("underline"), p + "/underline"));
        if (*f.underline != xlUnderlineStyleNone && *f.underline != xlUnderlineStyleSingle &&
            *f.underline != xlUnderlineStyleDouble &&
            *f.underline != xlUnderlineStyleSingleAccounting &&
            *f.underline != xlUnderlineStyleDoubleAccounting) {
            fault(p + "/underline", "an underline style (-4142, 2, -4119, 4 or 5) is expected");
        }
    }
    return f;
}

std::vector<Span> readSpans(const Json& j, const std::string& pointer) {
    std::vector<Span> spans;
    const Json& list = array(j, pointer);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string p = pointer + "/" + std::to_string(i);
        const Json& s = list[i];
        Span span;
        span.start = static_cast<int>(integer(member(s, p, "start"), p + "/start"));
        span.length = static_cast<int>(integer(member(s, p, "length"), p + "/length"));
        if (span.start < 1 || span.length < 0) {
            fault(p, "a span starts at 1 or later and has a length of 0 or more");
        }
        span.patch = readPatch(s, p);
        spans.push_back(span);
    }
    return spans;
}

std::shared_ptr<const Style> readStyle(const Json& o, const std::string& p) {
    if (!o.is_object()) {
        fault(p, "an object is expected");
    }
    Style s;
    const FontPatch f = readPatch(o, p);
    if (f.name) {
        s.fontName = *f.name;
    }
    if (f.size) {
        s.fontSize = *f.size;
    }
    if (f.bold) {
        s.bold = *f.bold;
    }
    if (f.color) {
        s.fontColor = *f.color;
        s.fontColorIndex = f.colorIndex;
    }
    if (f.underline) {
        s.underline = *f.underline;
    }
    if (o.contains("interiorColor")) {
        s.interiorColor = integer(o.at("interiorColor"), p + "/interiorColor");
        if (o.contains("interiorColorIndex")) {
            s.interiorColorIndex = readIndex(o.at("interiorColorIndex"), p + "/interiorColorIndex");
        }
    }
    if (o.contains("borderWeight")) {
        s.borderWeight = static_cast<int>(integer(o.at("borderWeight"), p + "/borderWeight"));
    }
    if (o.contains("borderColor")) {
        s.borderColor = integer(o.at("borderColor"), p + "/borderColor");
    }
    s.numberFormat = optText(o, p, "numberFormat", s.numberFormat);
    if (o.contains("wrapText")) {
        s.wrapText = boolean(o.at("wrapText"), p + "/wrapText");
    }
    if (o.contains("locked")) {
        s.locked = boolean(o.at("locked"), p + "/locked");
    }
    if (s == defaultStyle()) {
        return nullptr;
    }
    return std::make_shared<const Style>(std::move(s));
}

// Reads one listed cell; the sheet's cells read so far let a formula share the parsed form of
// the cell above.
std::pair<CellKey, Cell> readCell(const Json& c, const std::string& cp,
                                  const decltype(SheetData::cells)& cells) {
    if (!c.is_object()) {
        fault(cp, "a cell object is expected");
    }
    const CellKey key = readCellRef(member(c, cp, "ref"), cp + "/ref");
    Cell cell;
    if (c.contains("value")) {
        cell.value = readValue(c.at("value"), cp + "/value");
    }
    if (c.contains("formula")) {
        const std::string f = text(c.at("formula"), cp + "/formula");
        if (f.size() < 2 || f.front() != '=') {
            fault(cp + "/formula", "a formula begins with \"=\"");
        }
        const std::string_view body = std::string_view(f).substr(1);
        // The formula of the cell above moved down a row, as a filled column holds it: the
        // cells share one parsed form.
        const int row = keyRow(key), column = keyColumn(key);
        const Cell* above = row > 1 ? cells.get(row - 1, column) : nullptr;
        if (above != nullptr && above->formula &&
            AppState::canShare(*above->formula, above->rowShift + 1, above->columnShift) &&
            formula::render(above->formula->parsed, {}, above->rowShift + 1, above->columnShift) ==
                body) {
            cell.formula = above->formula;
            cell.rowShift = above->rowShift + 1;
            cell.columnShift = above->columnShift;
        } else {
            try {
                cell.formula = std::make_shared<CompiledFormula>(formula::parse(body));
            } catch (const formula::ParseError& e) {
                fault(cp + "/formula", std::string("the formula does not parse: ") + e.what());
            }
        }
    }
    if (c.contains("style")) {
        cell.style = readStyle(c.at("style"), cp + "/style");
    }
    if (c.contains("spans")) {
        cell.spans = readSpans(c.at("spans"), cp + "/spans");
    }
    return {key, std::move(cell)};
}

// Each sheet's cells, made as the file is read, one cell's part of the document at a time, so
// that the document's cells and the sheet's are never held whole at once. A fault found in them is
// kept until the sheet is read, so that faults are reported in the order the document is read in.
struct StagedCells final : CellSink {
    struct Sheet {
        decltype(SheetData::cells) cells;
        std::optional<Fault> fault;
    };

    void restart(std::size_t sheet) override { this->sheet(sheet) = Sheet(); }

    void take(std::size_t sheet, std::size_t index, Json&& c) override {
        if (badEscape) {
            return;  // the file is refused for that
        }
        const std::string cp =
            "/sheets/" + std::to_string(sheet) + "/cells/" + std::to_string(index);
        if (auto bad = unescapeTexts(c)) {
            badEscape = cp + *bad;
            return;
        }
        Sheet& staged = this->sheet(sheet);
        if (staged.fault) {
            return;
        }
        try {
            auto [key, cell] = readCell(c, cp, staged.cells);
            if (staged.cells.count(key)) {
                fault(cp + "/ref", "the cell is listed twice");
            }
            staged.cells.emplace(key, std::move(cell));
        } catch (const Fault& f) {
            staged.fault = f;
        }
    }

    Sheet& sheet(std::size_t index) {
        if (sheets.size() <= index) {
            sheets.resize(index + 1);
        }
        return sheets[index];
    }

    std::vector<Sheet> sheets;
    std::optional<std::string> badEscape;  // the first one among the cells
};

void readSheet(AppState& app, BookData& book, const Json& j, const std::string& p,
               StagedCells& cells, std::size_t index) {
    if (!j.is_object()) {
        fault(p, "a sheet object is expected");
    }
    const std::string name = text(member(j, p, "name"), p + "/name");
    if (name.empty() || book.sheetNamed(name) != nullptr) {
        fault(p + "/name", "sheet names must be present and different from each other");
    }
    auto sheet = app.addSheet(book, name);
    if (j.contains("protected")) {
        sheet->protectContents = boolean(j.at("protected"), p + "/protected");
        sheet->password = optText(j, p, "password");
    }
    if (j.contains("selection")) {
        sheet->selection = readAreas(j.at("selection"), p + "/selection");
    }
    if (j.contains("activeCell")) {
        const CellKey key = readCellRef(j.at("activeCell"), p + "/activeCell");
        sheet->activeRow = keyRow(key);
        sheet->activeColumn = keyColumn(key);
    } else {
        sheet->activeRow = sheet->selection.front().firstRow;
        sheet->activeColumn = sheet->selection.front().firstColumn;
    }
    if (j.contains("hiddenRows")) {
        const Json& rows = array(j.at("hiddenRows"), p + "/hiddenRows");
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const long r = integer(rows[i], p + "/hiddenRows/" + std::to_string(i));
            if (r < 1 || r > kMaxRows) {
                fault(p + "/hiddenRows/" + std::to_string(i), "no such row");
            }
            sheet->hiddenRows.insert(static_cast<int>(r));
        }
    }
    if (j.contains("cells")) {
        array(j.at("cells"), p + "/cells");  // a list: its cells were read apart, as it was read
        StagedCells::Sheet& staged = cells.sheet(index);
        if (staged.fault) {
            throw *staged.fault;
        }
        sheet->cells = std::move(staged.cells);
        sheet->formulaReach = FormulaReach{};  // found out by the first row or column edit
        // The names the formulas mention, once per parsed form (a filled column shares one).
        const CompiledFormula* noted = nullptr;
        for (const auto& [key, cell] : sheet->cells) {
            if (cell.formula && cell.formula.get() != noted) {
                noted = cell.formula.get();
                app.noteNames(noted->parsed);
            }
        }
    }
    if (j.contains("comments")) {
        const Json& list = array(j.at("comments"), p + "/comments");
        for (std::size_t i = 0; i < list.size(); ++i) {
            const std::string cp = p + "/comments/" + std::to_string(i);
            const Json& c = list[i];
            const CellKey key = readCellRef(member(c, cp, "ref"), cp + "/ref");
            CommentData data;
            data.text = text(member(c, cp, "text"), cp + "/text");
            if (c.contains("autoSize")) {
                data.autoSize = boolean(c.at("autoSize"), cp + "/autoSize");
            }
            if (c.contains("spans")) {
                data.spans = readSpans(c.at("spans"), cp + "/spans");
            }
            sheet->comments[key] = std::move(data);
        }
    }
    if (j.contains("hyperlinks")) {
        const Json& list = array(j.at("hyperlinks"), p + "/hyperlinks");
        for (std::size_t i = 0; i < list.size(); ++i) {
            const std::string lp = p + "/hyperlinks/" + std::to_string(i);
            const Json& l = list[i];
            const CellKey key = readCellRef(member(l, lp, "ref"), lp + "/ref");
            sheet->hyperlinks.push_back(
                HyperlinkData{app.newId(), keyRow(key), keyColumn(key), optText(l, lp, "address"),
                              optText(l, lp, "subAddress"), optText(l, lp, "screenTip"),
                              optText(l, lp, "textToDisplay")});
        }
    }
    if (j.contains("formatConditions")) {
        const Json& list = array(j.at("formatConditions"), p + "/formatConditions");
        for (std::size_t i = 0; i < list.size(); ++i) {
            const std::string fp = p + "/formatConditions/" + std::to_string(i);
            const Json& f = list[i];
            ConditionData c;
            c.id = app.newId();
            c.areas = readAreas(member(f, fp, "appliesTo"), fp + "/appliesTo");
            c.type = static_cast<int>(integer(member(f, fp, "type"), fp + "/type"));
            if (f.contains("operator")) {
                c.op = static_cast<int>(integer(f.at("operator"), fp + "/operator"));
            }
            c.formula1 = optText(f, fp, "formula1");
            c.formula2 = optText(f, fp, "formula2");
            if (f.contains("interiorColor")) {
                c.interiorColor = integer(f.at("interiorColor"), fp + "/interiorColor");
                if (f.contains("interiorColorIndex")) {
                    c.interiorColorIndex =
                        readIndex(f.at("interiorColorIndex"), fp + "/interiorColorIndex");
                }
            }
            sheet->conditions.push_back(std::move(c));
        }
    }
    if (j.contains("oleObjects")) {
        const Json& list = array(j.at("oleObjects"), p + "/oleObjects");
        for (std::size_t i = 0; i < list.size(); ++i) {
            const std::string op = p + "/oleObjects/" + std::to_string(i);
            const Json& o = list[i];
            OleData d;
            d.id = app.newId();
            d.name = text(member(o, op, "name"), op + "/name");
            d.progId = optText(o, op, "progId");
            d.left = o.contains("left") ? number(o.at("left"), op + "/left") : 0;
            d.top = o.contains("top") ? number(o.at("top"), op + "/top") : 0;
            d.width = o.contains("width") ? number(o.at("width"), op + "/width") : 0;
            d.height = o.contains("height") ? number(o.at("height"), op + "/height") : 0;
            d.visible = o.contains("visible") ? boolean(o.at("visible"), op + "/visible") : true;
            sheet->oleObjects.push_back(std::move(d));
        }
    }
}

void readBook(AppState& app, BookData& book, const Json& root, StagedCells& cells) {
    if (!root.is_object()) {
        fault("", "a workbook object is expected");
    }
    const long version = integer(member(root, "", "kavexWorkbook"), "/kavexWorkbook");
    if (version != kFormatVersion) {
        fault("/kavexWorkbook", "format version " + std::to_string(version) + " is not known");
    }
    const Json& sheets = array(member(root, "", "sheets"), "/sheets");
    if (sheets.empty()) {
        fault("/sheets", "a workbook has at least one sheet");
    }
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        readSheet(app, book, sheets[i], "/sheets/" + std::to_string(i), cells, i);
    }
    if (root.contains("activeSheet")) {
        SheetData* active = book.sheetNamed(text(root.at("activeSheet"), "/activeSheet"));
        if (active == nullptr) {
            fault("/activeSheet", "no sheet has that name");
        }
        book.activeSheet = active;
    }
    if (root.contains("names")) {
        const Json& names = array(root.at("names"), "/names");
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::string np = "/names/" + std::to_string(i);
            const Json& n = names[i];
            NameData d;
            d.id = app.newId();
            d.name = text(member(n, np, "name"), np + "/name");
            d.refersTo = text(member(n, np, "refersTo"), np + "/refersTo");
            if (d.name.empty() || d.refersTo.empty() || d.refersTo.front() != '=') {
                fault(np, "a name needs a name and a reference that begins with \"=\"");
            }
            if (n.contains("sheet")) {
                SheetData* scope = book.sheetNamed(text(n.at("sheet"), np + "/sheet"));
                if (scope == nullptr) {
                    fault(np + "/sheet", "no sheet has that name");
                }
                d.scopeSheet = scope->id;
            }
            book.names.push_back(std::move(d));
        }
    }
    if (root.contains("vbProject")) {
        const Json& project = root.at("vbProject");
        if (!project.is_object()) {
            fault("/vbProject", "an object is expected");
        }
        book.projectName = optText(project, "/vbProject", "name", book.projectName);
        if (project.contains("references")) {
            const Json& refs = array(project.at("references"), "/vbProject/references");
            for (std::size_t i = 0; i < refs.size(); ++i) {
                const std::string rp = "/vbProject/references/" + std::to_string(i);
                book.references.push_back(
                    ReferenceData{text(member(refs[i], rp, "name"), rp + "/name"),
                                  optText(refs[i], rp, "fullPath")});
            }
        }
        if (project.contains("macros")) {
            const Json& macros = array(project.at("macros"), "/vbProject/macros");
            for (std::size_t i = 0; i < macros.size(); ++i) {
                const std::string mp = "/vbProject/macros/" + std::to_string(i);
                std::string macro = text(macros[i], mp);
                if (macro.empty()) {
                    fault(mp, "a macro needs a name");
                }
                book.macros.push_back(std::move(macro));
            }
        }
    }
    if (root.contains("isAddin")) {
        book.isAddin = boolean(root.at("isAddin"), "/isAddin");
    }
}

// ---- Where a fault is --------------------------------------------------------------------------

// Finds the byte offset of the value a JSON pointer names, in a text already known to parse.
class Locator {
  public:
    explicit Locator(const std::string& text) : text_(text) {}

    std::size_t find(const std::string& pointer) {
        std::vector<std::string> tokens;
        std::size_t i = 0;
        while (i < pointer.size()) {
            const std::size_t next = pointer.find('/', i + 1);
            tokens.push_back(pointer.substr(
                i + 1, next == std::string::npos ? std::string::npos : next - i - 1));
            i = next == std::string::npos ? pointer.size() : next;
        }
        pos_ = 0;
        blanks();
        for (const auto& token : tokens) {
            if (!descend(token)) {
                break;
            }
        }
        return pos_;
    }

  private:
    void blanks() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) {
            ++pos_;
        }
    }
    std::string string() {
        std::string out;
        ++pos_;  // opening quote
        while (pos_ < text_.size() && text_[pos_] != '"') {
            if (text_[pos_] == '\\') {
                ++pos_;
            }
            out += text_[pos_++];
        }
        ++pos_;
        return out;
    }
    void skip() {
        blanks();
        if (pos_ >= text_.size()) {
            return;
        }
        const char c = text_[pos_];
        if (c == '"') {
            string();
        } else if (c == '{' || c == '[') {
            const char close = c == '{' ? '}' : ']';
            ++pos_;
            blanks();
            while (pos_ < text_.size() && text_[pos_] != close) {
                if (c == '{') {
                    string();
                    blanks();
                    ++pos_;  // colon
                }
                skip();
                blanks();
                if (pos_ < text_.size() && text_[pos_] == ',') {
                    ++pos_;
                    blanks();
                }
            }
            ++pos_;
        } else {
            while (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != '}' &&
                   text_[pos_] != ']' && !std::isspace(static_cast<unsigned char>(text_[pos_]))) {
                ++pos_;
            }
        }
    }
    bool descend(const std::string& token) {
        blanks();
        if (pos_ >= text_.size()) {
            return false;
        }
        const std::size_t start = pos_;
        if (text_[pos_] == '{') {
            ++pos_;
            blanks();
            while (pos_ < text_.size() && text_[pos_] != '}') {
                const std::string key = string();
                blanks();
                ++pos_;
                blanks();
                if (key == token) {
                    return true;
                }
                skip();
                blanks();
                if (pos_ < text_.size() && text_[pos_] == ',') {
                    ++pos_;
                    blanks();
                }
            }
        } else if (text_[pos_] == '[') {
            std::size_t wanted = 0;
            try {
                wanted = std::stoul(token);
            } catch (...) {
                pos_ = start;
                return false;
            }
            ++pos_;
            blanks();
            for (std::size_t i = 0; pos_ < text_.size() && text_[pos_] != ']'; ++i) {
                if (i == wanted) {
                    return true;
                }
                skip();
                blanks();
                if (pos_ < text_.size() && text_[pos_] == ',') {
                    ++pos_;
                    blanks();
                }
            }
        }
        pos_ = start;
        return false;
    }

    const std::string& text_;
    std::size_t pos_ = 0;
};

std::string lineAndColumn(const std::string& text, std::size_t offset) {
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

std::ifstream openForReading(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fail(base::errors::ApplicationDefined,
             "'" + path +
                 "' could not be found. Check the spelling of the file name, and verify that the "
                 "file location is correct.");
    }
    return in;
}

// The file's text, read again only to say where a fault lies.
std::string readAll(const std::string& path) {
    std::ifstream in = openForReading(path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

[[noreturn]] void refuseFile(const std::string& path, const std::string& what, std::size_t offset,
                             const std::string& content) {
    fail(base::errors::ApplicationDefined, "'" + path + "' is not a workbook file: " + what + " (" +
                                               lineAndColumn(content, offset) + ")");
}

}  // namespace

std::shared_ptr<BookData> readWorkbookFile(AppState& app, const std::string& path) {
    Json root;
    StagedCells cells;
    {
        std::ifstream in = openForReading(path);
        if (auto bad = readDocument(in, root, &cells)) {
            root = nullptr;
            cells = StagedCells();
            const std::string content = readAll(path);
            refuseFile(path, bad->message, bad->offset ? *bad->offset : tooDeepOffset(content),
                       content);
        }
    }
    // A malformed escape anywhere is reported before any other fault, the first in the text.
    auto badEscape = unescapeTexts(root);
    if (badEscape || cells.badEscape) {
        root = nullptr;
        const std::string content = readAll(path);
        Locator locator(content);
        std::string where = badEscape ? *badEscape : *cells.badEscape;
        std::size_t offset = locator.find(where);
        if (badEscape && cells.badEscape) {
            if (const std::size_t other = locator.find(*cells.badEscape); other < offset) {
                where = *cells.badEscape;
                offset = other;
            }
        }
        cells = StagedCells();
        refuseFile(path, "a text with a malformed byte escape at " + where, offset, content);
    }
    auto book = app.newBook(std::filesystem::path(path).filename().string());
    book->app = nullptr;  // not registered until it has been read whole
    try {
        readBook(app, *book, root, cells);
    } catch (const Fault& f) {
        root = nullptr;
        cells = StagedCells();
        const std::string content = readAll(path);
        refuseFile(path, f.message + " at " + (f.pointer.empty() ? "/" : f.pointer),
                   Locator(content).find(f.pointer), content);
    }
    return book;
}

void writeWorkbookFile(const AppState& app, const BookData& book, const std::string& path) {
    // The document goes to a temporary file as it is made, and replaces the file only once it is
    // complete. A save that fails for any reason takes its temporary file with it: the old file
    // stays as it was, and nothing else is left.
    const std::string temporary = path + ".saving";
    const auto removeTemporary = [&] {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
    };
    const auto refuse = [&] {
        removeTemporary();
        fail(base::errors::ApplicationDefined, "Cannot access '" + path + "'.");
    };
    {
        std::vector<char> buffer(std::size_t{1} << 16);  // outlives the stream that writes into it
        std::ofstream out;
        out.rdbuf()->pubsetbuf(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        out.open(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            refuse();
        }
        try {
            DocumentWriter writer(out);
            writeDocument(app, book, writer);
            out.put('\n');
            out.close();
        } catch (...) {
            out.close();
            removeTemporary();
            throw;
        }
        if (!out) {
            refuse();
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        refuse();
    }
}

std::string projectNameOfFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "";
    }
    Json root;
    if (!readDocument(in, root, nullptr) && root.is_object() && root.contains("vbProject") &&
        root["vbProject"].is_object() && root["vbProject"].contains("name") &&
        root["vbProject"]["name"].is_string()) {
        return root["vbProject"]["name"].get<std::string>();
    }
    return "";
}

}  // namespace kavex::sheet::detail
