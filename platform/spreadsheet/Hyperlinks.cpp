#include "platform/spreadsheet/Hyperlinks.h"

#include <algorithm>
#include <cstdlib>

#include "platform/spreadsheet/Application.h"
#include "platform/spreadsheet/detail/Model.h"

namespace kavex::sheet {

using namespace detail;

namespace {

SheetData& liveSheet(const std::shared_ptr<SheetData>& sheet) {
    if (!sheet) {
        fail(91, "Object variable or With block variable not set");
    }
    if (!sheet->alive || sheet->book == nullptr) {
        failObjectGone();
    }
    return *sheet;
}

HyperlinkData& linkOf(SheetData& sheet, std::uint64_t id) {
    for (auto& l : sheet.hyperlinks) {
        if (l.id == id) {
            return l;
        }
    }
    failObjectGone();
}

bool inside(const HyperlinkData& link, const std::optional<Range>& within) {
    if (!within) {
        return true;
    }
    const auto& areas = within->areas();
    return std::any_of(areas.begin(), areas.end(),
                       [&](const Area& a) { return a.contains(link.row, link.column); });
}

}  // namespace

std::string Hyperlink::address() const {
    return linkOf(liveSheet(sheet_), id_).address;
}

void Hyperlink::setAddress(const std::string& value) {
    SheetData& sheet = liveSheet(sheet_);
    linkOf(sheet, id_).address = value;
    sheet.app().touch(sheet);
}

std::string Hyperlink::subAddress() const {
    return linkOf(liveSheet(sheet_), id_).subAddress;
}

void Hyperlink::setSubAddress(const std::string& value) {
    SheetData& sheet = liveSheet(sheet_);
    linkOf(sheet, id_).subAddress = value;
    sheet.app().touch(sheet);
}

std::string Hyperlink::screenTip() const {
    return linkOf(liveSheet(sheet_), id_).screenTip;
}

std::string Hyperlink::textToDisplay() const {
    return linkOf(liveSheet(sheet_), id_).textToDisplay;
}

Range Hyperlink::range() const {
    const HyperlinkData& link = linkOf(liveSheet(sheet_), id_);
    return Range(sheet_, {Area{link.row, link.column, link.row, link.column}});
}

void Hyperlink::follow() {
    SheetData& sheet = liveSheet(sheet_);
    linkOf(sheet, id_);
    followLink(sheet, id_);
}

void Hyperlink::delete_() {
    SheetData& sheet = liveSheet(sheet_);
    linkOf(sheet, id_);
    sheet.app().checkFormattable(sheet);
    std::erase_if(sheet.hyperlinks, [&](const HyperlinkData& l) { return l.id == id_; });
    sheet.app().touch(sheet);
}

int Hyperlinks::count() const {
    SheetData& sheet = liveSheet(sheet_);
    // The links of one rectangle (a cell, most often: "has this cell a link?") are counted with
    // the rectangle taken out of the loop, as a refresh asks this of every formula cell.
    if (within_ && within_->areas().size() == 1) {
        const Area& area = within_->areas().front();
        return static_cast<int>(std::count_if(
            sheet.hyperlinks.begin(), sheet.hyperlinks.end(),
            [&area](const HyperlinkData& l) { return area.contains(l.row, l.column); }));
    }
    return static_cast<int>(std::count_if(sheet.hyperlinks.begin(), sheet.hyperlinks.end(),
                                          [&](const auto& l) { return inside(l, within_); }));
}

Hyperlink Hyperlinks::item(int index) const {
    SheetData& sheet = liveSheet(sheet_);
    int n = 0;
    for (const auto& l : sheet.hyperlinks) {
        if (inside(l, within_) && ++n == index) {
            return Hyperlink(sheet_, l.id);
        }
    }
    fail(base::errors::SubscriptOutOfRange, "Subscript out of range");
}

namespace {

constexpr long kThemeLinkColor = 5 + 99 * 256 + 193 * 65536;  // RGB(5, 99, 193)
constexpr int kPaletteLinkIndex = 5;                          // blue

// The spreadsheet gives a cell it links from its Hyperlink style: the standard font, not bold,
// underlined once, in the link colour. From version 12 on that colour is the theme's link blue,
// RGB(5, 99, 193), set as a colour; older versions use the palette's blue (index 5). Whatever
// font the cell had before is replaced, so a caller that wants its own font sets it afterwards.
void applyLinkLook(AppState& app, SheetData& sheet, int row, int column) {
    const bool themed = std::atof(app.version.c_str()) >= 12.0;
    editStyles(sheet, {Area{row, column, row, column}}, [&](Style& s) {
        s.fontName = defaultStyle().fontName;
        s.fontSize = defaultStyle().fontSize;
        s.bold = false;
        s.underline = xlUnderlineStyleSingle;
        if (themed) {
            s.fontColor = kThemeLinkColor;
            s.fontColorIndex.reset();
        } else {
            s.fontColor = paletteColor(kPaletteLinkIndex);
            s.fontColorIndex = kPaletteLinkIndex;
        }
    });
}

}  // namespace

Hyperlink Hyperlinks::add(const Range& anchor, const std::string& address,
                          const std::string& subAddress, const std::string& screenTip,
                          const std::string& textToDisplay) {
    SheetData& sheet = liveSheet(sheet_);
    AppState& app = sheet.app();
    if (anchor.isNothing() || anchor.sheetData() != sheet_) {
        fail(base::errors::ApplicationDefined, "Application-defined or object-defined error");
    }
    app.checkFormattable(sheet);
    const int row = anchor.row(), column = anchor.column();
    // A cell carries one hyperlink: a new one replaces the old.
    std::erase_if(sheet.hyperlinks,
                  [&](const HyperlinkData& l) { return l.row == row && l.column == column; });
    HyperlinkData link{app.newId(), row, column, address, subAddress, screenTip, textToDisplay};
    sheet.hyperlinks.push_back(link);
    applyLinkLook(app, sheet, row, column);
    if (!textToDisplay.empty()) {
        app.storeEntry(sheet, row, column, Variant(textToDisplay));
        app.changed(sheet, {Area{row, column, row, column}}, {cellKey(row, column)});
    }
    app.touch(sheet);
    return Hyperlink(sheet_, link.id);
}

void Hyperlinks::delete_() {
    SheetData& sheet = liveSheet(sheet_);
    sheet.app().checkFormattable(sheet);
    std::erase_if(sheet.hyperlinks, [&](const HyperlinkData& l) { return inside(l, within_); });
    sheet.app().touch(sheet);
}

}  // namespace kavex::sheet
