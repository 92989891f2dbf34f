#include "platform/spreadsheet/Names.h"

#include <algorithm>
#include <cctype>

#include "platform/base/Text.h"
#include "platform/spreadsheet/Application.h"
#include "platform/spreadsheet/detail/Model.h"

namespace kavex::sheet {

using namespace detail;

namespace {

// True when a formula or the text of a defined name mentions the name: only then can its change
// move what a formula depends on.
bool nameInUse(const AppState& app, std::string_view bare) {
    const std::string lower = base::toLowerAscii(bare);
    if (app.namesInFormulas.contains(lower)) {
        return true;
    }
    auto mentions = [&](const BookData& book) {
        return std::any_of(book.names.begin(), book.names.end(), [&](const NameData& n) {
            return base::toLowerAscii(n.refersTo).find(lower) != std::string::npos;
        });
    };
    for (const auto& book : app.books) {
        if (mentions(*book)) {
            return true;
        }
    }
    for (const auto& addIn : app.addIns) {
        if (addIn.book && mentions(*addIn.book)) {
            return true;
        }
    }
    return false;
}

// A name that changes may move what any sheet's references and names lead to.
void namesChanged(BookData& book, std::string_view bare) {
    if (!book.app->dependenciesStale && nameInUse(*book.app, bare)) {
        book.app->dependenciesStale = true;
    }
    book.saved = false;
    for (const auto& sheet : book.sheets) {
        ++sheet->changes;
    }
}

NameData& nameOf(BookData& book, std::uint64_t id) {
    for (auto& n : book.names) {
        if (n.id == id) {
            return n;
        }
    }
    failObjectGone();
}

std::string fullName(const AppState& app, const NameData& n) {
    if (n.scopeSheet == 0) {
        return n.name;
    }
    const SheetData* sheet = app.sheetById(n.scopeSheet);
    return (sheet ? sheet->name : std::string("#REF")) + "!" + n.name;
}

void checkName(const std::string& name) {
    bool valid = !name.empty() && (std::isalpha(static_cast<unsigned char>(name[0])) ||
                                   name[0] == '_' || name[0] == '\\');
    for (char c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '.' && c != '\\') {
            valid = false;
        }
    }
    // A name that reads as a cell address would shadow that cell.
    if (!valid || parseReference(name) || base::equalsIgnoringCase(name, "R") ||
        base::equalsIgnoringCase(name, "C")) {
        fail(base::errors::ApplicationDefined, "The name that you entered is not valid.");
    }
}

std::string normalisedRefersTo(const std::string& refersTo) {
    if (!refersTo.empty() && refersTo.front() == '=') {
        return refersTo;
    }
    if (parseReference(refersTo)) {
        return "=" + refersTo;
    }
    std::string quoted = "=\"";
    for (char c : refersTo) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

}  // namespace

std::string Name::name() const {
    BookData& book = liveBook(book_);
    return fullName(*book.app, nameOf(book, id_));
}

std::string Name::refersTo() const {
    return nameOf(liveBook(book_), id_).refersTo;
}

void Name::setRefersTo(const std::string& refersTo) {
    BookData& book = liveBook(book_);
    NameData& name = nameOf(book, id_);
    name.refersTo = normalisedRefersTo(refersTo);
    namesChanged(book, name.name);
}

Range Name::refersToRange() const {
    BookData& book = liveBook(book_);
    auto target = nameTarget(book, nameOf(book, id_), nullptr);
    if (!target) {
        fail(base::errors::ApplicationDefined, "Application-defined or object-defined error");
    }
    return Range(book.shared(target->sheet), std::move(target->areas));
}

Worksheet Name::parentSheet() const {
    BookData& book = liveBook(book_);
    const NameData& n = nameOf(book, id_);
    if (n.scopeSheet == 0) {
        return Worksheet();
    }
    return Worksheet(book.shared(book.app->sheetById(n.scopeSheet)));
}

void Name::delete_() {
    BookData& book = liveBook(book_);
    const std::string gone = nameOf(book, id_).name;
    std::erase_if(book.names, [&](const NameData& n) { return n.id == id_; });
    namesChanged(book, gone);
}

namespace {

std::vector<const NameData*> listed(BookData& book, const std::shared_ptr<SheetData>& sheet) {
    std::vector<const NameData*> names;
    for (const auto& n : book.names) {
        if (!sheet || n.scopeSheet == sheet->id) {
            names.push_back(&n);
        }
    }
    std::stable_sort(names.begin(), names.end(), [&](const NameData* a, const NameData* b) {
        return base::toLowerAscii(fullName(*book.app, *a)) <
               base::toLowerAscii(fullName(*book.app, *b));
    });
    return names;
}

const NameData* findScoped(const BookData& book, std::string_view name, std::uint32_t scope) {
    for (const auto& n : book.names) {
        if (n.scopeSheet == scope && base::equalsIgnoringCase(n.name, name)) {
            return &n;
        }
    }
    return nullptr;
}

}  // namespace

int Names::count() const {
    BookData& book = liveBook(book_);
    if (sheet_ && !sheet_->alive) {
        failObjectGone();
    }
    return static_cast<int>(listed(book, sheet_).size());
}

Name Names::item(int index) const {
    BookData& book = liveBook(book_);
    const auto names = listed(book, sheet_);
    if (index < 1 || index > static_cast<int>(names.size())) {
        fail(base::errors::SubscriptOutOfRange, "Subscript out of range");
    }
    return Name(book_, names[static_cast<std::size_t>(index - 1)]->id);
}

Name Names::item(std::string_view name) const {
    BookData& book = liveBook(book_);
    const NameData* found = nullptr;
    if (sheet_) {
        found = findScoped(book, name, sheet_->id);
        if (found == nullptr) {
            found = findScoped(book, name, 0);
        }
    } else if (const auto bang = name.find('!'); bang != std::string_view::npos) {
        std::string_view sheetName = name.substr(0, bang);
        if (sheetName.size() >= 2 && sheetName.front() == '\'' && sheetName.back() == '\'') {
            sheetName = sheetName.substr(1, sheetName.size() - 2);
        }
        if (SheetData* s = book.sheetNamed(sheetName)) {
            found = findScoped(book, name.substr(bang + 1), s->id);
        }
    } else {
        found = findScoped(book, name, 0);
        if (found == nullptr && book.activeSheet != nullptr) {
            found = findScoped(book, name, book.activeSheet->id);
        }
    }
    if (found == nullptr) {
        fail(base::errors::ApplicationDefined, "Application-defined or object-defined error");
    }
    return Name(book_, found->id);
}

Name Names::add(const std::string& name, const std::string& refersTo) {
    BookData& book = liveBook(book_);
    std::uint32_t scope = 0;
    std::string bare = name;
    if (sheet_) {
        if (!sheet_->alive) {
            failObjectGone();
        }
        scope = sheet_->id;
    }
    if (const auto bang = name.find('!'); bang != std::string::npos) {
        std::string sheetName = name.substr(0, bang);
        if (sheetName.size() >= 2 && sheetName.front() == '\'' && sheetName.back() == '\'') {
            sheetName = sheetName.substr(1, sheetName.size() - 2);
        }
        SheetData* s = book.sheetNamed(sheetName);
        if (s == nullptr) {
            fail(base::errors::ApplicationDefined, "The name that you entered is not valid.");
        }
        scope = s->id;
        bare = name.substr(bang + 1);
    }
    checkName(bare);
    const std::string text = normalisedRefersTo(refersTo);
    namesChanged(book, bare);
    for (auto& n : book.names) {
        if (n.scopeSheet == scope && base::equalsIgnoringCase(n.name, bare)) {
            n.refersTo = text;
            return Name(book_, n.id);
        }
    }
    NameData n{book.app->newId(), bare, text, scope};
    book.names.push_back(n);
    return Name(book_, n.id);
}

}  // namespace kavex::sheet
