#include "platform/spreadsheet/Workbook.h"

#include <algorithm>
#include <filesystem>

#include "platform/base/Text.h"
#include "platform/spreadsheet/Application.h"
#include "platform/spreadsheet/detail/Model.h"

namespace kavex::sheet {

using namespace detail;

namespace fs = std::filesystem;

namespace detail {

bool saveBook(BookData& book, const std::optional<std::string>& target, bool saveAsUi) {
    AppState& app = *book.app;
    auto hold = book.shared_from_this();
    bool cancel = false;
    Workbook wb(hold);
    app.raise("WorkbookBeforeSave",
              [&](ApplicationEvents& s) { s.workbookBeforeSave(wb, saveAsUi, cancel); });
    if (cancel) {
        return false;
    }
    if (!book.alive) {
        failObjectGone();
    }
    fs::path file;
    if (target) {
        file = *target;
    } else if (!book.path.empty()) {
        file = fs::path(book.path) / book.name;
    } else {
        file = fs::path(app.defaultFilePath) / (book.name + ".json");
    }
    file = fs::absolute(file);
    writeWorkbookFile(app, book, file.string());
    book.name = file.filename().string();
    book.path = file.parent_path().string();
    book.saved = true;
    return true;
}

std::shared_ptr<BookData> loadBook(AppState& app, const std::string& path, bool asAddin) {
    const fs::path file = fs::absolute(path);
    auto book = readWorkbookFile(app, file.string());
    book->name = file.filename().string();
    book->path = file.parent_path().string();
    // A file saved as an add-in stays one however it is opened.
    book->isAddin = book->isAddin || asAddin;
    book->saved = true;
    app.adoptBook(book);
    return book;
}

}  // namespace detail

// ---- References --------------------------------------------------------------------------------

int References::count() const {
    return static_cast<int>(liveBook(book_).references.size());
}

Reference References::item(int index) const {
    BookData& book = liveBook(book_);
    if (index < 1 || index > static_cast<int>(book.references.size())) {
        fail(base::errors::SubscriptOutOfRange, "Subscript out of range");
    }
    const auto& r = book.references[static_cast<std::size_t>(index - 1)];
    return Reference(r.name, r.fullPath);
}

Reference References::addFromFile(const std::string& path) {
    BookData& book = liveBook(book_);
    if (!fs::exists(path)) {
        fail(53, "File not found");
    }
    std::string name = projectNameOfFile(path);
    if (name.empty()) {
        name = fs::path(path).stem().string();
    }
    for (const auto& r : book.references) {
        if (base::equalsIgnoringCase(r.name, name)) {
            fail(32813, "Name conflicts with existing module, project, or object library");
        }
    }
    const std::string full = fs::absolute(path).string();
    book.references.push_back(ReferenceData{name, full});
    book.saved = false;
    return Reference(name, full);
}

std::string VBProject::name() const {
    return liveBook(book_).projectName;
}

std::vector<std::string> VBProject::macros() const {
    return liveBook(book_).macros;
}

void VBProject::setName(const std::string& value) {
    BookData& book = liveBook(book_);
    book.projectName = value;
    book.saved = false;
}

// ---- Workbook ----------------------------------------------------------------------------------

detail::BookData& Workbook::live() const {
    return liveBook(book_);
}

bool Workbook::isOpen() const {
    return book_ && book_->alive && book_->app != nullptr;
}

std::string Workbook::name() const {
    return live().name;
}
std::string Workbook::path() const {
    return live().path;
}

std::string Workbook::fullName() const {
    BookData& book = live();
    if (book.path.empty()) {
        return book.name;
    }
    return (fs::path(book.path) / book.name).string();
}

bool Workbook::saved() const {
    return live().saved;
}
void Workbook::setSaved(bool value) {
    live().saved = value;
}
bool Workbook::isAddin() const {
    return live().isAddin;
}

void Workbook::save() {
    saveBook(live(), std::nullopt, false);
}

void Workbook::saveAs(const std::string& filename, int accessMode) {
    (void)accessMode;  // sharing modes mean nothing to a single-user host
    if (filename.empty()) {
        fail(base::errors::ApplicationDefined, "Method 'SaveAs' of object '_Workbook' failed");
    }
    saveBook(live(), filename, false);
}

namespace {

// The host's own save prompt of a close; false when the workbook is to stay open.
bool keepOrDropChanges(BookData& book) {
    AppState& app = *book.app;
    const SavePromptDriver driver = app.savePromptDriver;  // the answer may replace it
    const SaveChoice choice = driver(
        "Do you want to save the changes you made to '" + book.name + "'?", "Microsoft Excel");
    if (!book.alive) {
        return true;  // closed meanwhile: nothing is left to keep open
    }
    if (choice == SaveChoice::cancel) {
        return false;
    }
    if (choice == SaveChoice::dontSave) {
        return true;
    }
    return app.owner->save(Workbook(book.shared_from_this()));
}

}  // namespace

bool Workbook::close(std::optional<bool> saveChanges) {
    BookData& book = live();
    if (book.closing) {
        return false;
    }
    AppState& app = *book.app;
    auto hold = book.shared_from_this();
    book.closing = true;
    bool cancel = false;
    Workbook wb(hold);
    try {
        app.raise("WorkbookBeforeClose",
                  [&](ApplicationEvents& s) { s.workbookBeforeClose(wb, cancel); });
        if (!cancel && book.alive) {
            if (saveChanges) {
                if (*saveChanges) {
                    cancel = !saveBook(book, std::nullopt, false);
                }
            } else if (!book.saved && app.displayAlerts && app.savePromptDriver) {
                cancel = !keepOrDropChanges(book);
            }
        }
    } catch (...) {
        book.closing = false;
        throw;
    }
    book.closing = false;
    if (cancel) {
        return false;
    }
    if (!book.alive) {
        return true;  // a handler closed it already
    }
    const bool wasActive = app.activeBook == &book;
    if (wasActive) {
        app.raise("WorkbookDeactivate", [&](ApplicationEvents& s) { s.workbookDeactivate(wb); });
    }
    if (!book.alive) {
        return true;
    }
    app.detachBook(book);
    if (wasActive && app.activeBook == nullptr) {
        const auto next = std::find_if(app.books.rbegin(), app.books.rend(),
                                       [](const auto& b) { return !b->isAddin; });
        if (next != app.books.rend()) {
            app.activateBook(**next);
        }
    }
    return true;
}

void Workbook::activate() {
    BookData& book = live();
    book.app->activateBook(book);
}

Worksheet Workbook::activeSheet() const {
    BookData& book = live();
    return Worksheet(book.shared(book.activeSheet));
}

Worksheets Workbook::worksheets() const {
    live();
    return Worksheets(book_);
}

Names Workbook::names() const {
    live();
    return Names(book_, nullptr);
}

Application& Workbook::application() const {
    return *live().app->owner;
}

// ---- Workbooks ---------------------------------------------------------------------------------

// An add-in workbook opened as a file has no window: the collection's count and positions leave
// it out, as they leave out installed add-ins.
int Workbooks::count() const {
    return static_cast<int>(std::count_if(app_->books.begin(), app_->books.end(),
                                          [](const auto& b) { return !b->isAddin; }));
}

Workbook Workbooks::item(int index) const {
    if (index >= 1) {
        int position = 0;
        for (const auto& b : app_->books) {
            if (!b->isAddin && ++position == index) {
                return Workbook(b);
            }
        }
    }
    fail(base::errors::SubscriptOutOfRange, "Subscript out of range");
}

Workbook Workbooks::item(std::string_view name) const {
    for (const auto& b : app_->books) {
        if (base::equalsIgnoringCase(b->name, name)) {
            return Workbook(b);
        }
    }
    for (const auto& a : app_->addIns) {
        if (a.book && base::equalsIgnoringCase(a.book->name, name)) {
            return Workbook(a.book);
        }
    }
    fail(base::errors::SubscriptOutOfRange, "Subscript out of range");
}

Workbook Workbooks::add() {
    std::string name;
    do {
        name = "Book" + std::to_string(app_->nextBookNumber++);
    } while (std::any_of(app_->books.begin(), app_->books.end(),
                         [&](const auto& b) { return base::equalsIgnoringCase(b->name, name); }));
    auto book = app_->newBook(name);
    app_->addSheet(*book, "Sheet1");
    app_->adoptBook(book);
    app_->books.push_back(book);
    app_->activateBook(*book);
    return Workbook(book);
}

Workbook Workbooks::open(const std::string& path) {
    const fs::path file = fs::absolute(path);
    for (const auto& b : app_->books) {
        if (b->path.empty()) {
            continue;
        }
        if ((fs::path(b->path) / b->name) == file) {
            app_->activateBook(*b);
            return Workbook(b);
        }
        if (base::equalsIgnoringCase(b->name, file.filename().string())) {
            fail(base::errors::ApplicationDefined,
                 "A document with the name '" + b->name +
                     "' is already open. You can't open two documents with the same name, even "
                     "if the documents are in different folders.");
        }
    }
    auto book = loadBook(*app_, file.string(), false);
    app_->books.push_back(book);
    Workbook wb(book);
    if (book->isAddin) {
        // An add-in has no window: it opens without becoming the active workbook.
        app_->raise("WorkbookOpen", [&](ApplicationEvents& s) { s.workbookOpen(wb); });
        return wb;
    }
    BookData* previous = app_->activeBook;
    app_->activeBook = book.get();
    app_->raise("WorkbookOpen", [&](ApplicationEvents& s) { s.workbookOpen(wb); });
    if (book->alive && app_->activeBook == book.get()) {
        if (previous != nullptr && previous->alive) {
            Workbook left(previous->shared_from_this());
            app_->raise("WorkbookDeactivate",
                        [&](ApplicationEvents& s) { s.workbookDeactivate(left); });
        }
        if (book->alive) {
            app_->raise("WorkbookActivate", [&](ApplicationEvents& s) { s.workbookActivate(wb); });
        }
    }
    return wb;
}

// ---- Add-ins -----------------------------------------------------------------------------------

namespace {

AddInData& addInOf(AppState& app, std::size_t index) {
    if (index >= app.addIns.size()) {
        failObjectGone();
    }
    return app.addIns[index];
}

}  // namespace

std::string AddIn::name() const {
    return fs::path(addInOf(*app_, index_).fullName).filename().string();
}
std::string AddIn::fullName() const {
    return addInOf(*app_, index_).fullName;
}
std::string AddIn::path() const {
    return fs::path(addInOf(*app_, index_).fullName).parent_path().string();
}
bool AddIn::installed() const {
    return addInOf(*app_, index_).installed;
}

void AddIn::setInstalled(bool value) {
    AddInData& data = addInOf(*app_, index_);
    if (data.installed == value) {
        return;
    }
    if (value) {
        auto book = loadBook(*app_, data.fullName, true);
        data.book = book;
        data.installed = true;
        Workbook wb(book);
        app_->raise("WorkbookOpen", [&](ApplicationEvents& s) { s.workbookOpen(wb); });
        if (book->alive) {
            app_->raise("WorkbookAddinInstall",
                        [&](ApplicationEvents& s) { s.workbookAddinInstall(wb); });
        }
        return;
    }
    auto book = data.book;
    data.installed = false;
    if (book && book->alive) {
        Workbook wb(book);
        app_->raise("WorkbookAddinUninstall",
                    [&](ApplicationEvents& s) { s.workbookAddinUninstall(wb); });
        if (book->alive) {
            app_->detachBook(*book);
        }
    }
    addInOf(*app_, index_).book.reset();
}

int AddIns::count() const {
    return static_cast<int>(app_->addIns.size());
}

AddIn AddIns::item(int index) const {
    if (index < 1 || index > count()) {
        fail(base::errors::SubscriptOutOfRange, "Subscript out of range");
    }
    return AddIn(*app_, static_cast<std::size_t>(index - 1));
}

AddIn AddIns::item(std::string_view name) const {
    for (std::size_t i = 0; i < app_->addIns.size(); ++i) {
        const fs::path file(app_->addIns[i].fullName);
        if (base::equalsIgnoringCase(file.filename().string(), name) ||
            base::equalsIgnoringCase(file.stem().string(), name)) {
            return AddIn(*app_, i);
        }
    }
    fail(base::errors::SubscriptOutOfRange, "Subscript out of range");
}

AddIn AddIns::add(const std::string& path) {
    if (!fs::exists(path)) {
        fail(base::errors::ApplicationDefined,
             "Unable to get the Add property of the AddIns class");
    }
    const std::string full = fs::absolute(path).string();
    for (std::size_t i = 0; i < app_->addIns.size(); ++i) {
        if (base::equalsIgnoringCase(app_->addIns[i].fullName, full)) {
            return AddIn(*app_, i);
        }
    }
    app_->addIns.push_back(AddInData{full, false, nullptr});
    return AddIn(*app_, app_->addIns.size() - 1);
}

}  // namespace kavex::sheet
