#include "platform/spreadsheet/Worksheet.h"

#include <algorithm>

#include "platform/base/Text.h"
#include "platform/spreadsheet/Application.h"
#include "platform/spreadsheet/detail/Model.h"

namespace kavex::sheet {

using namespace detail;

namespace {

void checkSheetName(const BookData& book, const SheetData* self, const std::string& name) {
    const bool badCharacter = name.find_first_of("[]:*?/\\") != std::string::npos;
    if (name.empty() || name.size() > 31 || badCharacter || name.front() == '\'' ||
        name.back() == '\'') {
        fail(base::errors::ApplicationDefined,
             "You typed an invalid name for a sheet or chart: '" + name + "'");
    }
    for (const auto& s : book.sheets) {
        if (s.get() != self && base::equalsIgnoringCase(s->name, name)) {
            fail(base::errors::ApplicationDefined,
                 "That name is already taken. Try a different one.");
        }
    }
}

[[noreturn]] void rangeFailed() {
    fail(base::errors::ApplicationDefined, "Method 'Range' of object '_Worksheet' failed");
}

}  // namespace

detail::SheetData& Worksheet::live() const {
    if (!sheet_) {
        fail(91, "Object variable or With block variable not set");
    }
    if (!sheet_->alive || sheet_->book == nullptr) {
        failObjectGone();
    }
    return *sheet_;
}

std::string Worksheet::name() const {
    return live().name;
}

void Worksheet::setName(const std::string& newName) {
    SheetData& sheet = live();
    BookData& book = *sheet.book;
    if (newName == sheet.name) {
        return;
    }
    checkSheetName(book, &sheet, newName);
    // Names that point at the sheet follow it.
    auto quoted = [](const std::string& n) {
        const bool plain = std::all_of(n.begin(), n.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
        });
        if (plain) {
            return n;
        }
        std::string q = "'";
        for (char c : n) {
            q += c;
            if (c == '\'') {
                q += '\'';
            }
        }
        return q + "'";
    };
    for (auto& n : book.names) {
        auto parsed = parseReference(n.refersTo);
        if (parsed && base::equalsIgnoringCase(parsed->sheet, sheet.name)) {
            std::string text = "=" + quoted(newName) + "!";
            for (std::size_t i = 0; i < parsed->areas.size(); ++i) {
                text += (i ? "," : "") + areaAddress(parsed->areas[i]);
            }
            n.refersTo = text;
        }
    }
    sheet.name = newName;
    sheet.app().dependenciesStale = true;
    sheet.app().touch(sheet);
}

Workbook Worksheet::parent() const {
    return Workbook(live().book->shared_from_this());
}

int Worksheet::index() const {
    SheetData& sheet = live();
    const auto& sheets = sheet.book->sheets;
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        if (sheets[i].get() == &sheet) {
            return static_cast<int>(i) + 1;
        }
    }
    failObjectGone();
}

Range Worksheet::range(std::string_view reference) const {
    SheetData& sheet = live();
    // A reference or name that leads to another sheet is no range of this one.
    auto target = resolveReference(sheet, reference);
    if (!target || target->sheet != &sheet) {
        rangeFailed();
    }
    return Range(sheet_, std::move(target->areas));
}

Range Worksheet::range(const Range& cell1, const Range& cell2) const {
    live();
    if (cell1.sheetData() != sheet_ || cell2.sheetData() != sheet_) {
        rangeFailed();
    }
    const Area& a = cell1.areas().front();
    const Area& b = cell2.areas().front();
    return Range(sheet_,
                 {Area{std::min(a.firstRow, b.firstRow), std::min(a.firstColumn, b.firstColumn),
                       std::max(a.lastRow, b.lastRow), std::max(a.lastColumn, b.lastColumn)}});
}

Range Worksheet::cells(int row, int column) const {
    live();
    if (row < 1 || row > kMaxRows || column < 1 || column > kMaxColumns) {
        fail(base::errors::ApplicationDefined, "Application-defined or object-defined error");
    }
    return Range(sheet_, {Area{row, column, row, column}});
}

Range Worksheet::cells() const {
    live();
    return Range(sheet_, {Area{1, 1, kMaxRows, kMaxColumns}});
}

Range Worksheet::rows(int row) const {
    live();
    if (row < 1 || row > kMaxRows) {
        fail(base::errors::ApplicationDefined, "Application-defined or object-defined error");
    }
    return Range(sheet_, {Area{row, 1, row, kMaxColumns}});
}

Range Worksheet::columns(int column) const {
    live();
    if (column < 1 || column > kMaxColumns) {
        fail(base::errors::ApplicationDefined, "Application-defined or object-defined error");
    }
    return Range(sheet_, {Area{1, column, kMaxRows, column}});
}

std::uint64_t Worksheet::changeCount() const {
    return live().changes;
}

std::uint64_t Worksheet::recalculationCount() const {
    return live().recalculated;
}

Range Worksheet::usedRange() const {
    SheetData& sheet = live();
    bool any = false;
    Area box{kMaxRows, kMaxColumns, 1, 1};
    auto include = [&](int r, int c) {
        any = true;
        box.firstRow = std::min(box.firstRow, r);
        box.firstColumn = std::min(box.firstColumn, c);
        box.lastRow = std::max(box.lastRow, r);
        box.lastColumn = std::max(box.lastColumn, c);
    };
    for (const auto& [key, cell] : sheet.cells) {
        if (!cell.blank()) {
            include(keyRow(key), keyColumn(key));
        }
    }
    for (const auto& [key, comment] : sheet.comments) {
        include(keyRow(key), keyColumn(key));
    }
    if (!any) {
        return Range(sheet_, {Area{}});
    }
    return Range(sheet_, {box});
}

void Worksheet::activate() {
    SheetData& sheet = live();
    sheet.app().activateSheet(sheet);
}

void Worksheet::protect(const std::string& password) {
    SheetData& sheet = live();
    if (sheet.protectContents) {
        return;
    }
    sheet.protectContents = true;
    sheet.password = password;
    sheet.app().touch(sheet);
}

void Worksheet::unprotect(const std::string& password) {
    SheetData& sheet = live();
    if (!sheet.protectContents) {
        return;
    }
    if (password != sheet.password) {
        fail(base::errors::ApplicationDefined,
             "The password you supplied is not correct. Verify that the CAPS LOCK key is off and "
             "be sure to use the correct capitalization.");
    }
    sheet.protectContents = false;
    sheet.password.clear();
    sheet.app().touch(sheet);
}

bool Worksheet::protectContents() const {
    return live().protectContents;
}

Names Worksheet::names() const {
    SheetData& sheet = live();
    return Names(sheet.book->shared_from_this(), sheet_);
}

Hyperlinks Worksheet::hyperlinks() const {
    live();
    return Hyperlinks(sheet_, std::nullopt);
}

Comments Worksheet::comments() const {
    live();
    return Comments(*this);
}

OLEObjects Worksheet::oleObjects() const {
    live();
    return OLEObjects(sheet_);
}

void Worksheet::calculate() {
    SheetData& sheet = live();
    sheet.app().calculateDirty(sheet.id);
}

// ---- Worksheets --------------------------------------------------------------------------------

int Worksheets::count() const {
    return static_cast<int>(liveBook(book_).sheets.size());
}

Worksheet Worksheets::item(int index) const {
    BookData& book = liveBook(book_);
    if (index < 1 || index > static_cast<int>(book.sheets.size())) {
        fail(base::errors::SubscriptOutOfRange, "Subscript out of range");
    }
    return Worksheet(book.sheets[static_cast<std::size_t>(index - 1)]);
}

Worksheet Worksheets::item(std::string_view name) const {
    BookData& book = liveBook(book_);
    if (SheetData* sheet = book.sheetNamed(name)) {
        return Worksheet(book.shared(sheet));
    }
    fail(base::errors::SubscriptOutOfRange, "Subscript out of range");
}

Worksheet Worksheets::add(const std::string& name) {
    BookData& book = liveBook(book_);
    std::string chosen = name;
    if (chosen.empty()) {
        for (int n = static_cast<int>(book.sheets.size()) + 1;; ++n) {
            chosen = "Sheet" + std::to_string(n);
            if (book.sheetNamed(chosen) == nullptr) {
                break;
            }
        }
    }
    checkSheetName(book, nullptr, chosen);
    auto sheet = book.app->addSheet(book, chosen);
    book.saved = false;
    return Worksheet(sheet);
}

}  // namespace kavex::sheet
