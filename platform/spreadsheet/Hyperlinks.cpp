#include "platform/spreadsheet/Hyperlinks.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

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
    if (HyperlinkData* link = sheet.hyperlinks.find(id)) {
        return *link;
    }
    failObjectGone();
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
    sheet.hyperlinks.erase(id_);
    sheet.app().touch(sheet);
}

const std::vector<Area>* Hyperlinks::limit(std::vector<Area>& scratch) const {
    if (cell_) {
        scratch.assign(1, *cell_);
        return &scratch;
    }
    return within_ ? &within_->areas() : nullptr;
}

int Hyperlinks::count() const {
    const SheetData& sheet = liveSheet(sheet_);
    // A refresh asks this of every formula cell ("has this cell a link?"): the sheet's links are
    // found by their cells, not walked.
    if (cell_) {
        return static_cast<int>(sheet.hyperlinks.countAt(cell_->firstRow, cell_->firstColumn));
    }
    if (!within_) {
        return static_cast<int>(sheet.hyperlinks.size());
    }
    return static_cast<int>(sheet.hyperlinks.countWithin(within_->areas()));
}

Hyperlink Hyperlinks::item(int index) const {
    const SheetData& sheet = liveSheet(sheet_);
    if (index >= 1) {
        std::vector<Area> scratch;
        if (const std::vector<Area>* areas = limit(scratch)) {
            const auto links = sheet.hyperlinks.within(*areas);
            if (static_cast<std::size_t>(index) <= links.size()) {
                return Hyperlink(sheet_, links[static_cast<std::size_t>(index) - 1]->id);
            }
        } else if (static_cast<std::size_t>(index) <= sheet.hyperlinks.size()) {
            return Hyperlink(sheet_, std::next(sheet.hyperlinks.begin(), index - 1)->id);
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
    sheet.hyperlinks.eraseAt(row, column);
    const std::uint64_t id = app.newId();
    sheet.hyperlinks.push_back(
        HyperlinkData{id, row, column, address, subAddress, screenTip, textToDisplay});
    applyLinkLook(app, sheet, row, column);
    if (!textToDisplay.empty()) {
        app.storeEntry(sheet, row, column, Variant(textToDisplay));
        app.changed(sheet, {Area{row, column, row, column}}, {cellKey(row, column)});
    }
    app.touch(sheet);
    return Hyperlink(sheet_, id);
}

void Hyperlinks::delete_() {
    SheetData& sheet = liveSheet(sheet_);
    sheet.app().checkFormattable(sheet);
    std::vector<Area> scratch;
    if (const std::vector<Area>* areas = limit(scratch)) {
        sheet.hyperlinks.eraseWithin(*areas);
    } else {
        sheet.hyperlinks = HyperlinkTable();
    }
    sheet.app().touch(sheet);
}

}  // namespace kavex::sheet
