// Workbooks as JSON documents; docs/workbook-format.md describes the format.

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "platform/spreadsheet/detail/FileTexts.h"
#include "platform/spreadsheet/detail/Model.h"

namespace kavex::sheet::detail {

using Json = FileJson;

namespace {

constexpr int kFormatVersion = 1;

// ---- Writing -----------------------------------------------------------------------------------

Json valueJson(const Variant& v) {
    switch (v.type()) {
        case base::VarType::Boolean:
            return v.boolean();
        case base::VarType::Number:
            return v.number();
        case base::VarType::Text:
            return v.text();
        case base::VarType::Date:
            return Json{{"date", v.date().serial}};
        case base::VarType::Error:
            return Json{{"error", std::string(base::cellErrorText(v.error()))}};
        default:
            return nullptr;
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

Json sheetJson(const AppState& app, const SheetData& sheet) {
    Json j{{"name", sheet.name}};
    if (sheet.protectContents) {
        j["protected"] = true;
        j["password"] = sheet.password;
    }
    j["selection"] = areasText(sheet.selection);
    j["activeCell"] = cellRef(cellKey(sheet.activeRow, sheet.activeColumn));
    if (!sheet.hiddenRows.empty()) {
        j["hiddenRows"] = Json(std::vector<int>(sheet.hiddenRows.begin(), sheet.hiddenRows.end()));
    }
    std::vector<CellKey> keys;
    for (const auto& [key, cell] : sheet.cells) {
        if (!cell.blank()) {
            keys.push_back(key);
        }
    }
    std::sort(keys.begin(), keys.end());
    Json cells = Json::array();
    for (CellKey key : keys) {
        const Cell& cell = sheet.cells.at(key);
        Json c{{"ref", cellRef(key)}};
        if (!cell.value.isEmpty()) {
            c["value"] = valueJson(cell.value);
        }
        if (cell.formula) {
            c["formula"] = "=" + app.renderFormula(*cell.formula);
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
        cells.push_back(c);
    }
    j["cells"] = cells;
    Json comments = Json::array();
    for (const auto& [key, comment] : sheet.comments) {
        Json c{{"ref", cellRef(key)}, {"text", comment.text}, {"autoSize", comment.autoSize}};
        if (!comment.spans.empty()) {
            c["spans"] = spansJson(comment.spans);
        }
        comments.push_back(c);
    }
    j["comments"] = comments;
    Json links = Json::array();
    for (const auto& l : sheet.hyperlinks) {
        links.push_back(Json{{"ref", cellRef(cellKey(l.row, l.column))},
                             {"address", l.address},
                             {"subAddress", l.subAddress},
                             {"screenTip", l.screenTip},
                             {"textToDisplay", l.textToDisplay}});
    }
    j["hyperlinks"] = links;
    Json conditions = Json::array();
    for (const auto& c : sheet.conditions) {
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
        conditions.push_back(cj);
    }
    j["formatConditions"] = conditions;
    Json objects = Json::array();
    for (const auto& o : sheet.oleObjects) {
        objects.push_back(Json{{"name", o.name},
                               {"progId", o.progId},
                               {"left", o.left},
                               {"top", o.top},
                               {"width", o.width},
                               {"height", o.height},
                               {"visible", o.visible}});
    }
    j["oleObjects"] = objects;
    return j;
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
        for (auto err : {base::CellError::Name, base::CellError::Value, base::CellError::Ref,
                         base::CellError::Div0, base::CellError::NA}) {
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

void readSheet(AppState& app, BookData& book, const Json& j, const std::string& p) {
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
        const Json& cells = array(j.at("cells"), p + "/cells");
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const std::string cp = p + "/cells/" + std::to_string(i);
            const Json& c = cells[i];
            if (!c.is_object()) {
                fault(cp, "a cell object is expected");
            }
            const CellKey key = readCellRef(member(c, cp, "ref"), cp + "/ref");
            if (sheet->cells.count(key)) {
                fault(cp + "/ref", "the cell is listed twice");
            }
            Cell cell;
            if (c.contains("value")) {
                cell.value = readValue(c.at("value"), cp + "/value");
            }
            if (c.contains("formula")) {
                const std::string f = text(c.at("formula"), cp + "/formula");
                if (f.size() < 2 || f.front() != '=') {
                    fault(cp + "/formula", "a formula begins with \"=\"");
                }
                try {
                    cell.formula = std::make_shared<CompiledFormula>(
                        formula::parse(std::string_view(f).substr(1)));
                    app.noteNames(cell.formula->parsed);
                } catch (const formula::ParseError& e) {
                    fault(cp + "/formula", std::string("the formula does not parse: ") + e.what());
                }
            }
            if (c.contains("style")) {
                cell.style = readStyle(c.at("style"), cp + "/style");
            }
            if (c.contains("spans")) {
                cell.spans = readSpans(c.at("spans"), cp + "/spans");
            }
            sheet->cells.emplace(key, std::move(cell));
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

void readBook(AppState& app, BookData& book, const Json& root) {
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
        readSheet(app, book, sheets[i], "/sheets/" + std::to_string(i));
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

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fail(base::errors::ApplicationDefined,
             "'" + path +
                 "' could not be found. Check the spelling of the file name, and verify that the "
                 "file location is correct.");
    }
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Builds the document as the library's own reader does, but keeps where the first fault lies for
// every fault, a number out of range included (the library's exception for that one carries no
// position).
class PositionedReader {
  public:
    explicit PositionedReader(Json& result) : dom_(result, false) {}

    bool null() { return dom_.null(); }
    bool boolean(bool value) { return dom_.boolean(value); }
    bool number_integer(Json::number_integer_t value) { return dom_.number_integer(value); }
    bool number_unsigned(Json::number_unsigned_t value) { return dom_.number_unsigned(value); }
    bool number_float(Json::number_float_t value, const std::string& text) {
        return dom_.number_float(value, text);
    }
    bool string(std::string& value) { return dom_.string(value); }
    bool binary(Json::binary_t& value) { return dom_.binary(value); }
    bool start_object(std::size_t count) { return dom_.start_object(count); }
    bool key(std::string& value) { return dom_.key(value); }
    bool end_object() { return dom_.end_object(); }
    bool start_array(std::size_t count) { return dom_.start_array(count); }
    bool end_array() { return dom_.end_array(); }

    bool parse_error(std::size_t position, const std::string& token,
                     const nlohmann::detail::exception& error) {
        // Syntax errors point at the byte that broke the text, other faults at their token.
        const bool syntax = error.id >= 100 && error.id < 200;
        offset = syntax ? (position > 0 ? position - 1 : 0)
                        : (position > token.size() ? position - token.size() : 0);
        // The library's message, without its own prefix and echo of the text read.
        message = error.what();
        if (auto start = message.find("] "); start != std::string::npos) {
            message = message.substr(start + 2);
        }
        if (auto start = message.find("syntax error"); start != std::string::npos) {
            message = message.substr(start);
        }
        if (auto echo = message.find("; last read"); echo != std::string::npos) {
            message = message.substr(0, echo);
        }
        failed = true;
        return false;
    }

    bool failed = false;
    std::size_t offset = 0;
    std::string message;

  private:
    nlohmann::detail::json_sax_dom_parser<Json> dom_;
};

}  // namespace

std::shared_ptr<BookData> readWorkbookFile(AppState& app, const std::string& path) {
    const std::string content = readAll(path);
    Json root;
    PositionedReader reader(root);
    Json::sax_parse(content, &reader);
    if (reader.failed) {
        fail(base::errors::ApplicationDefined,
             "'" + path + "' is not a workbook file: " + reader.message + " (" +
                 lineAndColumn(content, reader.offset) + ")");
    }
    if (auto bad = unescapeTexts(root)) {
        const std::size_t offset = Locator(content).find(*bad);
        fail(base::errors::ApplicationDefined,
             "'" + path + "' is not a workbook file: a text with a malformed byte escape at " +
                 *bad + " (" + lineAndColumn(content, offset) + ")");
    }
    auto book = app.newBook(std::filesystem::path(path).filename().string());
    book->app = nullptr;  // not registered until it has been read whole
    try {
        readBook(app, *book, root);
    } catch (const Fault& f) {
        const std::size_t offset = Locator(content).find(f.pointer);
        fail(base::errors::ApplicationDefined, "'" + path +
                                                   "' is not a workbook file: " + f.message +
                                                   " at " + (f.pointer.empty() ? "/" : f.pointer) +
                                                   " (" + lineAndColumn(content, offset) + ")");
    }
    return book;
}

void writeWorkbookFile(const AppState& app, const BookData& book, const std::string& path) {
    Json root{{"kavexWorkbook", kFormatVersion}};
    if (book.isAddin) {
        root["isAddin"] = true;
    }
    if (book.activeSheet != nullptr) {
        root["activeSheet"] = book.activeSheet->name;
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
    root["vbProject"] = project;
    Json names = Json::array();
    for (const auto& n : book.names) {
        Json j{{"name", n.name}, {"refersTo", n.refersTo}};
        if (n.scopeSheet != 0) {
            if (const SheetData* s = app.sheetById(n.scopeSheet)) {
                j["sheet"] = s->name;
            }
        }
        names.push_back(j);
    }
    root["names"] = names;
    Json sheets = Json::array();
    for (const auto& s : book.sheets) {
        sheets.push_back(sheetJson(app, *s));
    }
    root["sheets"] = sheets;

    // The whole text is made before the file is touched, and a write that fails for any reason
    // takes its temporary file with it: the old file stays as it was, and nothing else is left.
    escapeTexts(root);
    const std::string content = root.dump(2) + '\n';
    const std::string temporary = path + ".saving";
    const auto refuse = [&] {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        fail(base::errors::ApplicationDefined, "Cannot access '" + path + "'.");
    };
    try {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << content;
        out.flush();
        if (!out) {
            out.close();
            refuse();
        }
    } catch (const base::PlatformError&) {
        throw;
    } catch (...) {
        refuse();
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
    const Json root = Json::parse(in, nullptr, false);
    if (root.is_object() && root.contains("vbProject") && root["vbProject"].is_object() &&
        root["vbProject"].contains("name") && root["vbProject"]["name"].is_string()) {
        return root["vbProject"]["name"].get<std::string>();
    }
    return "";
}

}  // namespace kavex::sheet::detail
