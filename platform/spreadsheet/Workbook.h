#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/spreadsheet/Forward.h"
#include "platform/spreadsheet/Names.h"
#include "platform/spreadsheet/Worksheet.h"

namespace kavex::sheet {

// A reference of a workbook's macro project to another project.
class Reference {
  public:
    Reference(std::string name, std::string fullPath)
        : name_(std::move(name)), fullPath_(std::move(fullPath)) {}
    const std::string& name() const { return name_; }
    const std::string& fullPath() const { return fullPath_; }

  private:
    std::string name_;
    std::string fullPath_;
};

class References {
  public:
    explicit References(std::shared_ptr<detail::BookData> book) : book_(std::move(book)) {}
    int count() const;
    Reference item(int index) const;  // 1-based
    // Adds a reference to the macro project of the workbook file at path (its project name, or
    // the file's stem when it has none). 53 "File not found" when the file does not exist;
    // 32813 when a reference of that name exists already.
    Reference addFromFile(const std::string& path);

  private:
    std::shared_ptr<detail::BookData> book_;
};

class VBProject {
  public:
    explicit VBProject(std::shared_ptr<detail::BookData> book) : book_(std::move(book)) {}
    std::string name() const;
    void setName(const std::string& name);
    References references() const { return References(book_); }
    // The macros the project holds (Run finds them by name); the host keeps no code of theirs.
    std::vector<std::string> macros() const;

  private:
    std::shared_ptr<detail::BookData> book_;
};

// A workbook, as a handle. A default-constructed Workbook is Nothing; a closed one raises 424.
class Workbook {
  public:
    Workbook() = default;
    explicit Workbook(std::shared_ptr<detail::BookData> book) : book_(std::move(book)) {}

    bool isNothing() const { return book_ == nullptr; }
    explicit operator bool() const { return !isNothing(); }
    bool isOpen() const;

    std::string name() const;      // the file name, or "Book1" before the first save
    std::string path() const;      // the folder, "" before the first save
    std::string fullName() const;  // path and name
    bool saved() const;
    void setSaved(bool saved);
    bool isAddin() const;

    // Saves to fullName (WorkbookBeforeSave first, which may cancel). A workbook never saved is
    // saved under its name in the application's default file path.
    void save();
    void saveAs(const std::string& filename, int accessMode = xlNoChange);
    // Closes: WorkbookBeforeClose first, which may cancel (then false is returned). With
    // saveChanges true the workbook is saved first, with false its changes are dropped. Without
    // it, as when the user closes: a workbook with unsaved changes (Saved False) is the subject
    // of the host's own save prompt while DisplayAlerts is on — Save saves it (through the Save
    // As dialog when it was never saved), Don't Save drops the changes, Cancel (or a save that
    // is cancelled or dismissed) keeps it open. With DisplayAlerts off nothing is asked and the
    // changes are dropped: a BeforeClose handler that asked the user itself turns the alerts off.
    bool close(std::optional<bool> saveChanges = std::nullopt);
    void activate();

    Worksheet activeSheet() const;
    Worksheets worksheets() const;
    Worksheets sheets() const { return worksheets(); }
    Names names() const;
    VBProject vbProject() const { return VBProject(book_); }
    Application& application() const;

    friend bool operator==(const Workbook& a, const Workbook& b) { return a.book_ == b.book_; }

    // Internal.
    const std::shared_ptr<detail::BookData>& bookData() const { return book_; }
    detail::BookData& live() const;

  private:
    std::shared_ptr<detail::BookData> book_;
};

// The open workbooks (add-in workbooks are not counted, but item(name) finds them).
class Workbooks {
  public:
    explicit Workbooks(detail::AppState& app) : app_(&app) {}

    int count() const;
    Workbook item(int index) const;              // 1-based; 9 when outside
    Workbook item(std::string_view name) const;  // without regard to case; 9 when absent
    // A new workbook "BookN" with one sheet "Sheet1"; it becomes the active workbook.
    Workbook add();
    // Opens a workbook file (WorkbookOpen, then its activation). A file that is not a workbook
    // is refused with 1004 naming the file and the position of the fault; nothing is opened.
    Workbook open(const std::string& path);

  private:
    detail::AppState* app_;
};

}  // namespace kavex::sheet
