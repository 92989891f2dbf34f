#include "platform/spreadsheet/detail/FileDocument.h"

namespace kavex::sheet::detail {

namespace {

using Dom = nlohmann::detail::json_sax_dom_parser<FileJson>;

// The library's reader of whole documents, with three things added: the depth is bounded, the
// place of every fault is kept, and the elements of each sheet's "cells" list are built apart,
// one at a time, and handed over instead of joining the document (whose list stays empty).
class Reader {
  public:
    Reader(FileJson& root, CellSink* cells) : dom_(root, false), cells_(cells) {}

    bool null() {
        return value([](Dom& d) { return d.null(); });
    }
    bool boolean(bool v) {
        return value([&](Dom& d) { return d.boolean(v); });
    }
    bool number_integer(FileJson::number_integer_t v) {
        return value([&](Dom& d) { return d.number_integer(v); });
    }
    bool number_unsigned(FileJson::number_unsigned_t v) {
        return value([&](Dom& d) { return d.number_unsigned(v); });
    }
    bool number_float(FileJson::number_float_t v, const std::string& text) {
        return value([&](Dom& d) { return d.number_float(v, text); });
    }
    bool string(std::string& v) {
        return value([&](Dom& d) { return d.string(v); });
    }
    bool binary(FileJson::binary_t& v) {
        return value([&](Dom& d) { return d.binary(v); });
    }

    bool start_object(std::size_t count) { return enter(true) && target().start_object(count); }
    bool start_array(std::size_t count) { return enter(false) && target().start_array(count); }
    bool key(std::string& name) {
        if (!cell_) {
            frames_.back().key = name;
        }
        return target().key(name);
    }
    bool end_object() { return leave(target().end_object()); }
    bool end_array() { return leave(target().end_array()); }

    bool parse_error(std::size_t position, const std::string& token,
                     const nlohmann::detail::exception& error) {
        // Syntax errors point at the byte that broke the text, other faults at their token.
        const bool syntax = error.id >= 100 && error.id < 200;
        DocumentFault f;
        f.offset = syntax ? (position > 0 ? position - 1 : 0)
                          : (position > token.size() ? position - token.size() : 0);
        // The library's message, without its own prefix and echo of the text read.
        f.message = error.what();
        if (auto start = f.message.find("] "); start != std::string::npos) {
            f.message = f.message.substr(start + 2);
        }
        if (auto start = f.message.find("syntax error"); start != std::string::npos) {
            f.message = f.message.substr(start);
        }
        if (auto echo = f.message.find("; last read"); echo != std::string::npos) {
            f.message = f.message.substr(0, echo);
        }
        fault = std::move(f);
        return false;
    }

    std::optional<DocumentFault> fault;

  private:
    // An object or a list of the document itself (cells are not followed this way).
    struct Frame {
        bool object = false;
        enum class Kind { Other, Sheets, Sheet, Cells } kind = Kind::Other;
        std::size_t sheet = 0;  // for a sheet and its cells list
        std::size_t next = 0;   // for a list: the index of its next element
        std::string key;        // for an object: the member being read
    };

    Dom& target() { return cell_ ? cell_->dom : dom_; }

    // Where a value starts in the document: its index when it is an element of a list, and
    // whether it is a cell.
    struct Place {
        std::size_t index = 0;
        bool cell = false;
    };
    Place place() {
        Place at;
        if (!frames_.empty() && !frames_.back().object) {
            at.index = frames_.back().next++;
            at.cell = frames_.back().kind == Frame::Kind::Cells;
        }
        return at;
    }

    template <class Add>
    bool value(Add add) {
        if (cell_) {
            return add(cell_->dom);
        }
        const Place at = place();
        if (at.cell) {  // a cell that is no object: handed over as it is, to be refused
            FileJson cell;
            Dom dom(cell, false);
            add(dom);
            hand(at.index, std::move(cell));
            return true;
        }
        return add(dom_);
    }

    bool enter(bool object) {
        if (++depth_ > kMaxDocumentDepth) {
            fault = DocumentFault{"the document is nested more than " +
                                      std::to_string(kMaxDocumentDepth) + " levels deep",
                                  std::nullopt};
            return false;
        }
        if (cell_) {
            ++cell_->depth;
            return true;
        }
        const Place at = place();
        if (at.cell) {
            cell_.emplace(at.index);
            cell_->depth = 1;
            return true;
        }
        Frame frame;
        frame.object = object;
        if (frames_.size() == 1 && frames_[0].object && frames_[0].key == "sheets" && !object) {
            frame.kind = Frame::Kind::Sheets;
        } else if (!frames_.empty() && frames_.back().kind == Frame::Kind::Sheets && object) {
            frame.kind = Frame::Kind::Sheet;
            frame.sheet = at.index;
            restart(frame.sheet);
        } else if (!frames_.empty() && frames_.back().kind == Frame::Kind::Sheet &&
                   frames_.back().key == "cells" && !object) {
            frame.kind = Frame::Kind::Cells;
            frame.sheet = frames_.back().sheet;
            restart(frame.sheet);
        }
        frames_.push_back(std::move(frame));
        return true;
    }

    bool leave(bool ok) {
        --depth_;
        if (cell_) {
            if (--cell_->depth == 0) {
                FileJson cell = std::move(cell_->root);
                const std::size_t index = cell_->index;
                cell_.reset();
                hand(index, std::move(cell));
            }
        } else {
            frames_.pop_back();
        }
        return ok;
    }

    void restart(std::size_t sheet) {
        if (cells_ != nullptr) {
            cells_->restart(sheet);
        }
    }
    void hand(std::size_t index, FileJson&& cell) {
        if (cells_ != nullptr) {
            cells_->take(frames_.back().sheet, index, std::move(cell));
        }
    }

    // The cell being read, built apart from the document.
    struct Cell {
        explicit Cell(std::size_t at) : index(at), dom(root, false) {}
        std::size_t index;
        std::size_t depth = 0;
        FileJson root;
        Dom dom;
    };

    Dom dom_;
    CellSink* cells_;
    std::vector<Frame> frames_;
    std::optional<Cell> cell_;
    std::size_t depth_ = 0;
};

}  // namespace

std::optional<DocumentFault> readDocument(std::istream& in, FileJson& root, CellSink* cells) {
    Reader reader(root, cells);
    FileJson::sax_parse(in, &reader);
    return std::move(reader.fault);
}

std::size_t tooDeepOffset(std::string_view text) {
    std::size_t depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') {
                ++i;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxDocumentDepth) {
                return i;
            }
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return text.size();
}

// ---- Writing -----------------------------------------------------------------------------------

namespace {
constexpr unsigned kIndent = 2;
}

DocumentWriter::DocumentWriter(std::ostream& out)
    : out_(out), values_(nlohmann::detail::output_adapter<char>(out), ' ') {}

void DocumentWriter::beginObject() {
    open('{', '}');
}

void DocumentWriter::beginArray() {
    open('[', ']');
}

void DocumentWriter::end() {
    const Level level = levels_.back();
    levels_.pop_back();
    if (!level.empty) {
        out_.put('\n');
        indent();
    }
    out_.put(level.close);
}

void DocumentWriter::key(std::string_view name) {
    next();
    out_.put('"');
    out_.write(name.data(), static_cast<std::streamsize>(name.size()));
    out_.write("\": ", 3);
    keyed_ = true;
}

void DocumentWriter::value(FileJson j) {
    next();
    escapeTexts(j);
    values_.dump(j, true, false, kIndent, static_cast<unsigned>(levels_.size()) * kIndent);
}

void DocumentWriter::open(char opening, char close) {
    next();
    out_.put(opening);
    levels_.push_back(Level{close, true});
}

// Before a value or a member: the separator and the line it starts, unless a key precedes it.
void DocumentWriter::next() {
    if (keyed_) {
        keyed_ = false;
        return;
    }
    if (levels_.empty()) {
        return;
    }
    if (levels_.back().empty) {
        out_.put('\n');
        levels_.back().empty = false;
    } else {
        out_.write(",\n", 2);
    }
    indent();
}

void DocumentWriter::indent() {
    for (std::size_t i = 0; i < levels_.size() * kIndent; ++i) {
        out_.put(' ');
    }
}

}  // namespace kavex::sheet::detail
