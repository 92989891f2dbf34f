// Fonts (of cells and of character spans), fills, borders and conditional formats.

#include <algorithm>

#include "platform/base/Text.h"
#include "platform/spreadsheet/Application.h"
#include "platform/spreadsheet/detail/Model.h"

namespace kavex::sheet {

using namespace detail;

namespace detail {

void editStyles(SheetData& sheet, const std::vector<Area>& areas,
                const std::function<void(Style&)>& edit) {
    auto apply = [&](Cell& cell) {
        Style style = cell.look();
        edit(style);
        if (style == defaultStyle()) {
            cell.style.reset();
        } else {
            cell.style = std::make_shared<const Style>(std::move(style));
        }
    };
    for (const Area& a : areas) {
        if (a.cellCount() > 100'000) {
            for (CellKey key : existingKeys(sheet, {a})) {
                apply(sheet.cells.at(key));
            }
            continue;
        }
        for (int r = a.firstRow; r <= a.lastRow; ++r) {
            for (int c = a.firstColumn; c <= a.lastColumn; ++c) {
                apply(sheet.at(r, c));
                sheet.dropIfBlank(r, c);
            }
        }
    }
    if (sheet.book != nullptr && sheet.book->app != nullptr) {
        sheet.book->app->touch(sheet);
    }
}

Variant uniform(SheetData& sheet, const std::vector<Area>& areas,
                const std::function<Variant(const Cell*)>& read) {
    std::optional<Variant> seen;
    auto agree = [&](const Variant& v) {
        if (!seen) {
            seen = v;
            return true;
        }
        return *seen == v;
    };
    for (const Area& a : areas) {
        const auto keys = existingKeys(sheet, {a});
        if (static_cast<long long>(keys.size()) < a.cellCount() && !agree(read(nullptr))) {
            return Variant::null();
        }
        for (CellKey key : keys) {
            if (!agree(read(&sheet.cells.at(key)))) {
                return Variant::null();
            }
        }
    }
    return seen ? *seen : read(nullptr);
}

}  // namespace detail

namespace {

enum class Property { Name, Size, Bold, Color, ColorIndex, Underline };

// A font property as the cell's style gives it.
Variant styleValue(const Style& s, Property p) {
    switch (p) {
        case Property::Name:
            return Variant(s.fontName);
        case Property::Size:
            return Variant(s.fontSize);
        case Property::Bold:
            return Variant(s.bold);
        case Property::Color:
            return Variant(static_cast<double>(s.fontColor));
        case Property::ColorIndex:
            return Variant(s.fontColorIndex ? *s.fontColorIndex : paletteIndex(s.fontColor));
        case Property::Underline:
            return Variant(s.underline);
    }
    return Variant();
}

// The same property where a span's patch overrides it; nullopt when the patch leaves it alone.
std::optional<Variant> patchValue(const FontPatch& f, Property p) {
    switch (p) {
        case Property::Name:
            return f.name ? std::optional<Variant>(Variant(*f.name)) : std::nullopt;
        case Property::Size:
            return f.size ? std::optional<Variant>(Variant(*f.size)) : std::nullopt;
        case Property::Bold:
            return f.bold ? std::optional<Variant>(Variant(*f.bold)) : std::nullopt;
        case Property::Color:
            return f.color ? std::optional<Variant>(Variant(static_cast<double>(*f.color)))
                           : std::nullopt;
        case Property::ColorIndex:
            if (!f.color) {
                return std::nullopt;
            }
            return Variant(f.colorIndex ? *f.colorIndex : paletteIndex(*f.color));
        case Property::Underline:
            return f.underline ? std::optional<Variant>(Variant(*f.underline)) : std::nullopt;
    }
    return std::nullopt;
}

void clearPatch(FontPatch& f, Property p) {
    switch (p) {
        case Property::Name:
            f.name.reset();
            break;
        case Property::Size:
            f.size.reset();
            break;
        case Property::Bold:
            f.bold.reset();
            break;
        case Property::Underline:
            f.underline.reset();
            break;
        case Property::Color:
        case Property::ColorIndex:
            f.color.reset();
            f.colorIndex.reset();
            break;
    }
}

// Reads a property over characters start..start+length-1 of a text with its spans.
Variant spanValue(const Style& base, const std::vector<Span>& spans, std::size_t textLength,
                  int start, int length, Property p) {
    const int first = std::max(start, 1);
    const int last = length < 0 ? static_cast<int>(textLength)
                                : std::min(static_cast<int>(textLength), start + length - 1);
    const Variant plain = styleValue(base, p);
    if (first > last) {
        return plain;
    }
    std::optional<Variant> seen;
    for (int i = first; i <= last; ++i) {
        Variant v = plain;
        for (const Span& s : spans) {
            if (i >= s.start && i < s.start + s.length) {
                if (auto pv = patchValue(s.patch, p)) {
                    v = *pv;
                }
            }
        }
        if (!seen) {
            seen = v;
        } else if (!(*seen == v)) {
            return Variant::null();
        }
    }
    return *seen;
}

long colorFromIndex(int index) {
    if (index == 0 || index == xlColorIndexAutomatic) {
        return 0;
    }
    if (index < 1 || index > 56) {
        fail(base::errors::ApplicationDefined,
             "Unable to set the ColorIndex property of the Font class");
    }
    return paletteColor(index);
}

}  // namespace

// ---- Font --------------------------------------------------------------------------------------

namespace {

struct FontAccess {
    SheetData& sheet;
    const Range& range;
    Font::Target target;
    int start;
    int length;

    Variant get(Property p) const {
        const Area& a = range.areas().front();
        if (target == Font::Target::Cells) {
            Variant cellsValue = uniform(sheet, range.areas(), [&](const Cell* c) {
                return styleValue(c ? c->look() : defaultStyle(), p);
            });
            for (CellKey key : existingKeys(sheet, range.areas())) {
                const Cell& cell = sheet.cells.at(key);
                for (const Span& s : cell.spans) {
                    if (auto v = patchValue(s.patch, p); v && !(*v == cellsValue)) {
                        return Variant::null();
                    }
                }
            }
            return cellsValue;
        }
        if (target == Font::Target::CellCharacters) {
            const Cell* cell = sheet.find(a.firstRow, a.firstColumn);
            if (cell == nullptr) {
                return styleValue(defaultStyle(), p);
            }
            const std::string text = displayText(cell->value, cell->look().numberFormat);
            return spanValue(cell->look(), cell->spans, base::characterCount(text), start, length,
                             p);
        }
        auto it = sheet.comments.find(cellKey(a.firstRow, a.firstColumn));
        if (it == sheet.comments.end()) {
            failObjectGone();
        }
        return spanValue(defaultStyle(), it->second.spans, base::characterCount(it->second.text),
                         start, length, p);
    }

    void set(Property p, const std::function<void(Style&)>& onStyle,
             const std::function<void(FontPatch&)>& onPatch) const {
        AppState& app = sheet.app();
        app.checkFormattable(sheet);
        const Area& a = range.areas().front();
        if (target == Font::Target::Cells) {
            editStyles(sheet, range.areas(), onStyle);
            for (CellKey key : existingKeys(sheet, range.areas())) {
                auto& spans = sheet.cells.at(key).spans;
                for (Span& s : spans) {
                    clearPatch(s.patch, p);
                }
                std::erase_if(spans, [](const Span& s) { return s.patch == FontPatch{}; });
            }
            return;
        }
        Span span{start, length, {}};
        onPatch(span.patch);
        if (target == Font::Target::CellCharacters) {
            Cell& cell = sheet.at(a.firstRow, a.firstColumn);
            if (span.length < 0) {
                span.length = static_cast<int>(base::characterCount(
                                  displayText(cell.value, cell.look().numberFormat))) -
                              start + 1;
            }
            if (span.length > 0) {
                cell.spans.push_back(span);
            }
            sheet.dropIfBlank(a.firstRow, a.firstColumn);
        } else {
            auto it = sheet.comments.find(cellKey(a.firstRow, a.firstColumn));
            if (it == sheet.comments.end()) {
                failObjectGone();
            }
            if (span.length < 0) {
                span.length = static_cast<int>(base::characterCount(it->second.text)) - start + 1;
            }
            if (span.length > 0) {
                it->second.spans.push_back(span);
            }
        }
        app.touch(sheet);
    }
};

}  // namespace

#define KAVEX_FONT_ACCESS                               \
    FontAccess {                                        \
        range_.live(), range_, target_, start_, length_ \
    }

Variant Font::name() const {
    return KAVEX_FONT_ACCESS.get(Property::Name);
}
void Font::setName(const std::string& value) {
    KAVEX_FONT_ACCESS.set(
        Property::Name, [&](Style& s) { s.fontName = value; },
        [&](FontPatch& f) { f.name = value; });
}
Variant Font::size() const {
    return KAVEX_FONT_ACCESS.get(Property::Size);
}
void Font::setSize(double value) {
    if (!(value >= 1 && value <= 409)) {  // NaN too
        fail(base::errors::ApplicationDefined, "Unable to set the Size property of the Font class");
    }
    KAVEX_FONT_ACCESS.set(
        Property::Size, [&](Style& s) { s.fontSize = value; },
        [&](FontPatch& f) { f.size = value; });
}
Variant Font::bold() const {
    return KAVEX_FONT_ACCESS.get(Property::Bold);
}
void Font::setBold(bool value) {
    KAVEX_FONT_ACCESS.set(
        Property::Bold, [&](Style& s) { s.bold = value; }, [&](FontPatch& f) { f.bold = value; });
}
Variant Font::color() const {
    return KAVEX_FONT_ACCESS.get(Property::Color);
}
void Font::setColor(long value) {
    KAVEX_FONT_ACCESS.set(
        Property::Color,
        [&](Style& s) {
            s.fontColor = value;
            s.fontColorIndex.reset();
        },
        [&](FontPatch& f) {
            f.color = value;
            f.colorIndex.reset();
        });
}
Variant Font::colorIndex() const {
    return KAVEX_FONT_ACCESS.get(Property::ColorIndex);
}
void Font::setColorIndex(int index) {
    const long value = colorFromIndex(index);
    KAVEX_FONT_ACCESS.set(
        Property::ColorIndex,
        [&](Style& s) {
            s.fontColor = value;
            s.fontColorIndex = index;
        },
        [&](FontPatch& f) {
            f.color = value;
            f.colorIndex = index;
        });
}

Variant Font::underline() const {
    return KAVEX_FONT_ACCESS.get(Property::Underline);
}
void Font::setUnderline(int style) {
    if (style != xlUnderlineStyleNone && style != xlUnderlineStyleSingle &&
        style != xlUnderlineStyleDouble && style != xlUnderlineStyleSingleAccounting &&
        style != xlUnderlineStyleDoubleAccounting) {
        fail(base::errors::ApplicationDefined,
             "Unable to set the Underline property of the Font class");
    }
    KAVEX_FONT_ACCESS.set(
        Property::Underline, [&](Style& s) { s.underline = style; },
        [&](FontPatch& f) { f.underline = style; });
}

#undef KAVEX_FONT_ACCESS

// ---- Characters --------------------------------------------------------------------------------

Font Characters::font() const {
    return Font(range_, ofComment_ ? Font::Target::CommentCharacters : Font::Target::CellCharacters,
                start_, length_);
}

std::string Characters::text() const {
    SheetData& sheet = range_.live();
    const Area& a = range_.areas().front();
    std::string whole;
    if (ofComment_) {
        auto it = sheet.comments.find(cellKey(a.firstRow, a.firstColumn));
        if (it == sheet.comments.end()) {
            failObjectGone();
        }
        whole = it->second.text;
    } else {
        whole = range_.text();
    }
    const std::size_t from = static_cast<std::size_t>(std::max(start_, 1) - 1);
    return base::characterSpan(whole, from,
                               length_ < 0 ? std::string::npos : static_cast<std::size_t>(length_));
}

// ---- Interior ----------------------------------------------------------------------------------

namespace {

ConditionData& conditionOf(SheetData& sheet, std::uint64_t id) {
    for (auto& c : sheet.conditions) {
        if (c.id == id) {
            return c;
        }
    }
    failObjectGone();
}

Variant fillColor(const std::optional<long>& color) {
    return Variant(static_cast<double>(color ? *color : 16777215L));
}

Variant fillIndex(const std::optional<long>& color, const std::optional<int>& index) {
    if (!color) {
        return Variant(xlColorIndexNone);
    }
    return Variant(index ? *index : paletteIndex(*color));
}

}  // namespace

Variant Interior::color() const {
    SheetData& sheet = range_.live();
    if (conditionId_ != 0) {
        return fillColor(conditionOf(sheet, conditionId_).interiorColor);
    }
    return uniform(sheet, range_.areas(), [](const Cell* c) {
        return fillColor((c ? c->look() : defaultStyle()).interiorColor);
    });
}

void Interior::setColor(long value) {
    SheetData& sheet = range_.live();
    sheet.app().checkFormattable(sheet);
    if (conditionId_ != 0) {
        auto& c = conditionOf(sheet, conditionId_);
        c.interiorColor = value;
        c.interiorColorIndex.reset();
        sheet.app().touch(sheet);
        return;
    }
    editStyles(sheet, range_.areas(), [&](Style& s) {
        s.interiorColor = value;
        s.interiorColorIndex.reset();
    });
}

Variant Interior::colorIndex() const {
    SheetData& sheet = range_.live();
    if (conditionId_ != 0) {
        const auto& c = conditionOf(sheet, conditionId_);
        return fillIndex(c.interiorColor, c.interiorColorIndex);
    }
    return uniform(sheet, range_.areas(), [](const Cell* c) {
        const Style& s = c ? c->look() : defaultStyle();
        return fillIndex(s.interiorColor, s.interiorColorIndex);
    });
}

void Interior::setColorIndex(int index) {
    SheetData& sheet = range_.live();
    sheet.app().checkFormattable(sheet);
    std::optional<long> color;
    std::optional<int> stored;
    if (index != xlColorIndexNone && index != xlColorIndexAutomatic) {
        if (index < 1 || index > 56) {
            fail(base::errors::ApplicationDefined,
                 "Unable to set the ColorIndex property of the Interior class");
        }
        color = paletteColor(index);
        stored = index;
    }
    if (conditionId_ != 0) {
        auto& c = conditionOf(sheet, conditionId_);
        c.interiorColor = color;
        c.interiorColorIndex = stored;
        sheet.app().touch(sheet);
        return;
    }
    editStyles(sheet, range_.areas(), [&](Style& s) {
        s.interiorColor = color;
        s.interiorColorIndex = stored;
    });
}

// ---- Borders -----------------------------------------------------------------------------------

Variant Borders::weight() const {
    SheetData& sheet = range_.live();
    return uniform(sheet, range_.areas(), [](const Cell* c) {
        return Variant((c ? c->look() : defaultStyle()).borderWeight.value_or(xlThin));
    });
}

void Borders::setWeight(int value) {
    if (value != xlHairline && value != xlThin && value != xlMedium && value != xlThick) {
        fail(base::errors::ApplicationDefined,
             "Unable to set the Weight property of the Borders class");
    }
    SheetData& sheet = range_.live();
    sheet.app().checkFormattable(sheet);
    editStyles(sheet, range_.areas(), [&](Style& s) { s.borderWeight = value; });
}

Variant Borders::color() const {
    SheetData& sheet = range_.live();
    return uniform(sheet, range_.areas(), [](const Cell* c) {
        return Variant(
            static_cast<double>((c ? c->look() : defaultStyle()).borderColor.value_or(0)));
    });
}

void Borders::setColor(long value) {
    SheetData& sheet = range_.live();
    sheet.app().checkFormattable(sheet);
    editStyles(sheet, range_.areas(), [&](Style& s) { s.borderColor = value; });
}

// ---- Conditional formats -----------------------------------------------------------------------

namespace {

bool applies(const ConditionData& c, const std::vector<Area>& areas) {
    for (const Area& a : c.areas) {
        for (const Area& b : areas) {
            if (intersection(a, b)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

int FormatCondition::type() const {
    return conditionOf(range_.live(), id_).type;
}
int FormatCondition::operator_() const {
    return conditionOf(range_.live(), id_).op;
}
std::string FormatCondition::formula1() const {
    return conditionOf(range_.live(), id_).formula1;
}
std::string FormatCondition::formula2() const {
    return conditionOf(range_.live(), id_).formula2;
}
Range FormatCondition::appliesTo() const {
    return Range(range_.sheetData(), conditionOf(range_.live(), id_).areas);
}
Interior FormatCondition::interior() const {
    conditionOf(range_.live(), id_);
    return Interior(range_, id_);
}
void FormatCondition::delete_() {
    SheetData& sheet = range_.live();
    sheet.app().checkFormattable(sheet);
    conditionOf(sheet, id_);
    std::erase_if(sheet.conditions, [&](const ConditionData& c) { return c.id == id_; });
    sheet.app().touch(sheet);
}

int FormatConditions::count() const {
    SheetData& sheet = range_.live();
    return static_cast<int>(
        std::count_if(sheet.conditions.begin(), sheet.conditions.end(),
                      [&](const auto& c) { return applies(c, range_.areas()); }));
}

FormatCondition FormatConditions::item(int index) const {
    SheetData& sheet = range_.live();
    int n = 0;
    for (const auto& c : sheet.conditions) {
        if (applies(c, range_.areas()) && ++n == index) {
            return FormatCondition(range_, c.id);
        }
    }
    fail(base::errors::SubscriptOutOfRange, "Subscript out of range");
}

FormatCondition FormatConditions::add(int type, int op, const std::string& formula1,
                                      const std::string& formula2) {
    SheetData& sheet = range_.live();
    AppState& app = sheet.app();
    app.checkFormattable(sheet);
    if (type != xlCellValue && type != xlExpression) {
        fail(base::errors::InvalidProcedureCall, "Invalid procedure call or argument");
    }
    ConditionData c;
    c.id = app.newId();
    c.areas = range_.areas();
    c.type = type;
    c.op = op;
    c.formula1 = formula1;
    c.formula2 = formula2;
    sheet.conditions.push_back(c);
    app.touch(sheet);
    return FormatCondition(range_, c.id);
}

void FormatConditions::delete_() {
    SheetData& sheet = range_.live();
    sheet.app().checkFormattable(sheet);
    std::erase_if(sheet.conditions, [&](const auto& c) { return applies(c, range_.areas()); });
    sheet.app().touch(sheet);
}

// ---- Comments ----------------------------------------------------------------------------------

namespace {

CommentData& commentOf(const Range& cell) {
    SheetData& sheet = cell.live();
    const Area& a = cell.areas().front();
    auto it = sheet.comments.find(cellKey(a.firstRow, a.firstColumn));
    if (it == sheet.comments.end()) {
        failObjectGone();
    }
    return it->second;
}

}  // namespace

Characters TextFrame::characters(int start, int length) const {
    commentOf(cell_);
    return Characters(cell_, true, start, length);
}

bool TextFrame::autoSize() const {
    return commentOf(cell_).autoSize;
}

void TextFrame::setAutoSize(bool value) {
    CommentData& c = commentOf(cell_);
    cell_.live().app().checkFormattable(cell_.live());
    c.autoSize = value;
    cell_.live().app().touch(cell_.live());
}

std::string Comment::text() const {
    return commentOf(cell_).text;
}

void Comment::setText(const std::string& value) {
    CommentData& c = commentOf(cell_);
    cell_.live().app().checkFormattable(cell_.live());
    c.text = value;
    c.spans.clear();
    cell_.live().app().touch(cell_.live());
}

void Comment::delete_() {
    SheetData& sheet = cell_.live();
    commentOf(cell_);
    sheet.app().checkFormattable(sheet);
    sheet.comments.erase(cellKey(cell_.row(), cell_.column()));
    sheet.app().touch(sheet);
}

Comments::Comments(Worksheet sheet) : sheet_(sheet.sheetData()) {}

int Comments::count() const {
    Worksheet(sheet_).live();
    return static_cast<int>(sheet_->comments.size());
}

Comment Comments::item(int index) const {
    Worksheet(sheet_).live();
    if (index < 1 || index > static_cast<int>(sheet_->comments.size())) {
        fail(base::errors::SubscriptOutOfRange, "Subscript out of range");
    }
    auto it = std::next(sheet_->comments.begin(), index - 1);
    const int r = keyRow(it->first), c = keyColumn(it->first);
    return Comment(Range(sheet_, {Area{r, c, r, c}}));
}

}  // namespace kavex::sheet
