#pragma once

#include <cstddef>
#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/spreadsheet/detail/FileTexts.h"

namespace kavex::sheet::detail {

// A workbook file's document as a stream, both ways: read without holding its text, and with its
// cells handed over one by one rather than held whole; written as it is made, laid out exactly as
// the library lays out a whole document.

// The deepest the format itself goes is eight levels (the document, its sheets, a sheet, its cells,
// a cell, its spans, a span, a font name written as escaped bytes). A document nested far deeper is
// no workbook; refusing it while it is read, before any of it is walked, keeps every walk of the
// document to a depth the reader decides rather than the file.
inline constexpr std::size_t kMaxDocumentDepth = 64;

// Takes each cell of a sheet's "cells" list the moment it has been read, as a document of its own
// (an object as a rule; whatever the file holds there).
class CellSink {
  public:
    virtual ~CellSink() = default;
    // Sheet number `sheet` of the "sheets" list begins, or its "cells" list does: what was taken
    // for that sheet before is void (the document's last word counts, as in a whole document).
    virtual void restart(std::size_t sheet) = 0;
    virtual void take(std::size_t sheet, std::size_t index, FileJson&& cell) = 0;
};

// Why a document could not be read, and from where in its text.
struct DocumentFault {
    std::string message;
    // None for a document nested too deep, which is refused before its place is known:
    // tooDeepOffset finds it in the text.
    std::optional<std::size_t> offset;
};

// Reads a document from `in` into `root`, each sheet's cells into `cells` (nullptr drops them),
// keeping where the first fault lies for every fault: a syntax error, a number beyond the range of
// a double (the library's own exception for that carries no position), or nesting deeper than
// kMaxDocumentDepth.
std::optional<DocumentFault> readDocument(std::istream& in, FileJson& root, CellSink* cells);

// Where a text first opens a list or an object deeper than kMaxDocumentDepth.
std::size_t tooDeepOffset(std::string_view text);

// Writes a document as it is made: open and close its objects and lists, name members, and give
// values (each a small document of its own, written by the library's own writer and with its
// texts escaped as in escapeTexts). The text is the one FileJson::dump(2) gives for the whole.
class DocumentWriter {
  public:
    explicit DocumentWriter(std::ostream& out);

    void beginObject();
    void beginArray();
    void end();                       // of the innermost object or list
    void key(std::string_view name);  // a member of the object being written; its value follows
    // A value: of the member just named, or the next element of the list being written.
    void value(FileJson j);
    void member(std::string_view name, FileJson j) {
        key(name);
        value(std::move(j));
    }
    // A member that is a list, an element made of each item.
    template <class Items, class Make>
    void list(std::string_view name, const Items& items, Make make) {
        key(name);
        beginArray();
        for (const auto& item : items) {
            value(make(item));
        }
        end();
    }

  private:
    struct Level {
        char close;
        bool empty;
    };

    void open(char opening, char close);
    void next();
    void indent();

    std::ostream& out_;
    nlohmann::detail::serializer<FileJson> values_;
    std::vector<Level> levels_;
    bool keyed_ = false;
};

}  // namespace kavex::sheet::detail
