#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

namespace kavex::sheet::detail {

// A cell's position within its sheet: row in the high bits, so keys sort row by row.
using CellKey = std::uint64_t;
inline constexpr int kColumnBits = 15;
inline CellKey cellKey(int row, int column) {
    return (static_cast<std::uint64_t>(row) << kColumnBits) | static_cast<std::uint64_t>(column);
}
inline int keyRow(CellKey key) {
    return static_cast<int>((key >> kColumnBits) & 0x1FFFFF);
}
inline int keyColumn(CellKey key) {
    return static_cast<int>(key & 0x7FFF);
}

// The cells of one sheet by position key, laid out as the sheet is: a table of pages of rows,
// each row the cells it holds in column order (the first few in the page itself), and each
// page's entries in blocks of its own, each entry on a cache line of its own. Walking a range
// row by row, as recalculation and most range operations do, reads neighbouring memory; a sheet
// with a few cells far down costs one small page there, not rows for everything above.
// Iteration goes row by row, left to right.
//
// Entries never move: a reference to a value stays valid while other keys come and go (a cell
// being evaluated may see its sheet change under it). Iterators are invalidated by any
// insertion or erasure.
//
// The interface is the subset of std::unordered_map the host uses.
template <typename T>
class CellTable {
  public:
    using key_type = CellKey;
    using mapped_type = T;
    using value_type = std::pair<const key_type, T>;
    using size_type = std::size_t;

  private:
    static constexpr int kPageBits = 6;
    static constexpr int kPageRows = 1 << kPageBits;
    // Rows are mostly short: up to this many cells a straight scan beats a binary search.
    static constexpr std::uint32_t kScanned = 16;

    // Room for one entry, on a cache line of its own start: what recalculation reads of a cell
    // then comes in one fetch. The entry lives only while the box is in use: it is built when the
    // box is taken and destroyed when the box is given back (or by its page, if still in use).
    struct alignas(64) Box {
        Box() {}
        ~Box() {}
        Box(const Box&) = delete;
        Box& operator=(const Box&) = delete;
        union {
            value_type value;
        };
    };

    struct Slot {
        int column;
        Box* box;
        value_type* entry() const { return &box->value; }
    };

    // A row's cells in column order; the first few are held in place, so that the rows of a
    // page lie side by side.
    class Row {
      public:
        Row() = default;
        Row(const Row&) = delete;
        Row& operator=(const Row&) = delete;
        ~Row() {
            if (data_ != inline_) {
                delete[] data_;
            }
        }

        std::uint32_t size() const { return size_; }
        const Slot* data() const { return data_; }
        Slot* data() { return data_; }

        // The first place whose column is not less than column.
        std::uint32_t lowerBound(int column) const {
            if (size_ > kScanned) {
                return static_cast<std::uint32_t>(
                    std::lower_bound(data_, data_ + size_, column,
                                     [](const Slot& s, int c) { return s.column < c; }) -
                    data_);
            }
            std::uint32_t i = 0;
            while (i < size_ && data_[i].column < column) {
                ++i;
            }
            return i;
        }

        // The same, found at once where the row's cells lie side by side from its first.
        std::uint32_t place(int column) const {
            if (size_ != 0) {
                const auto guess = static_cast<std::uint32_t>(column - data_[0].column);
                if (guess < size_ && data_[guess].column == column) {
                    return guess;
                }
            }
            return lowerBound(column);
        }

        void insert(std::uint32_t at, Slot slot) {
            if (size_ == capacity_) {
                const std::uint32_t capacity = capacity_ * 2;
                Slot* grown = new Slot[capacity];
                std::memcpy(static_cast<void*>(grown), data_, size_ * sizeof(Slot));
                if (data_ != inline_) {
                    delete[] data_;
                }
                data_ = grown;
                capacity_ = capacity;
            }
            std::memmove(static_cast<void*>(data_ + at + 1), data_ + at,
                         (size_ - at) * sizeof(Slot));
            data_[at] = slot;
            ++size_;
        }

        void erase(std::uint32_t at) {
            std::memmove(static_cast<void*>(data_ + at), data_ + at + 1,
                         (size_ - at - 1) * sizeof(Slot));
            --size_;
        }

      private:
        static constexpr std::uint32_t kInline = 3;

        std::uint32_t size_ = 0;
        std::uint32_t capacity_ = kInline;
        Slot* data_ = inline_;  // inline_, or the heap when the row outgrew it (rows never move)
        Slot inline_[kInline];
    };

    struct Page {
        std::array<Row, kPageRows> rows;
        std::vector<std::unique_ptr<Box[]>> blocks;  // never moved: entries stay put
        std::size_t lastBlockSize = 0;
        std::size_t lastBlockUsed = 0;
        std::vector<Box*> vacant;  // boxes of erased entries, reused first
        std::size_t count = 0;     // entries on the page; an emptied page is given back

        Page() = default;
        Page(const Page&) = delete;
        Page& operator=(const Page&) = delete;
        ~Page() {
            for (Row& row : rows) {
                Slot* first = row.data();
                for (std::uint32_t i = 0; i < row.size(); ++i) {
                    std::destroy_at(first[i].entry());
                }
            }
        }

        Box* takeBox() {
            if (!vacant.empty()) {
                Box* box = vacant.back();
                vacant.pop_back();
                return box;
            }
            if (lastBlockUsed == lastBlockSize) {
                // Blocks grow with the page, so that a page of a few cells stays small.
                const std::size_t size = std::min<std::size_t>(64, std::max<std::size_t>(4, count));
                vacant.reserve(count + size);  // giving a box back never allocates
                blocks.push_back(std::make_unique<Box[]>(size));
                lastBlockSize = size;
                lastBlockUsed = 0;
            }
            return &blocks.back()[lastBlockUsed++];
        }
        void giveBack(Box* box) { vacant.push_back(box); }
    };
    using Pages = std::vector<std::unique_ptr<Page>>;

  public:
    template <bool Const>
    class Iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = CellTable::value_type;
        using difference_type = std::ptrdiff_t;
        using pointer = std::conditional_t<Const, const value_type*, value_type*>;
        using reference = std::conditional_t<Const, const value_type&, value_type&>;

        Iterator() = default;
        // A mutable iterator converts to a const one.
        template <bool OtherConst>
        requires(Const && !OtherConst) Iterator(const Iterator<OtherConst>& other)
            : pages_(other.pages_), page_(other.page_), row_(other.row_), slot_(other.slot_) {}

        reference operator*() const { return *current().entry(); }
        pointer operator->() const { return current().entry(); }
        Iterator& operator++() {
            ++slot_;
            settle();
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++*this;
            return before;
        }
        friend bool operator==(const Iterator& a, const Iterator& b) {
            return a.page_ == b.page_ && a.row_ == b.row_ && a.slot_ == b.slot_;
        }

      private:
        friend class CellTable;
        template <bool>
        friend class Iterator;
        using PagesPointer = std::conditional_t<Const, const Pages*, Pages*>;

        Iterator(PagesPointer pages, std::size_t page, int row, std::uint32_t slot)
            : pages_(pages), page_(page), row_(row), slot_(slot) {}

        const Slot& current() const { return (*pages_)[page_]->rows[row_].data()[slot_]; }

        // Moves on from a position past its row's end to the next entry, or to the end.
        void settle() {
            while (page_ < pages_->size()) {
                const auto& page = (*pages_)[page_];
                if (page) {
                    while (row_ < kPageRows) {
                        if (slot_ < page->rows[row_].size()) {
                            return;
                        }
                        ++row_;
                        slot_ = 0;
                    }
                }
                ++page_;
                row_ = 0;
                slot_ = 0;
            }
        }

        PagesPointer pages_ = nullptr;
        std::size_t page_ = 0;
        int row_ = 0;
        std::uint32_t slot_ = 0;
    };
    using iterator = Iterator<false>;
    using const_iterator = Iterator<true>;

    CellTable() = default;
    CellTable(CellTable&& other) noexcept { swap(other); }
    CellTable& operator=(CellTable&& other) noexcept {
        CellTable moved(std::move(other));
        swap(moved);
        return *this;
    }
    CellTable(const CellTable& other) {
        for (const auto& [key, value] : other) {
            emplace(key, value);
        }
    }
    CellTable& operator=(const CellTable& other) {
        if (this != &other) {
            CellTable copy(other);
            swap(copy);
        }
        return *this;
    }
    ~CellTable() = default;

    void swap(CellTable& other) noexcept {
        pages_.swap(other.pages_);
        std::swap(size_, other.size_);
        ++changes_;
        ++other.changes_;
    }

    size_type size() const { return size_; }
    bool empty() const { return size_ == 0; }

    iterator begin() {
        iterator it(&pages_, 0, 0, 0);
        it.settle();
        return it;
    }
    iterator end() { return iterator(&pages_, pages_.size(), 0, 0); }
    const_iterator begin() const {
        const_iterator it(&pages_, 0, 0, 0);
        it.settle();
        return it;
    }
    const_iterator end() const { return const_iterator(&pages_, pages_.size(), 0, 0); }

    // The first cell on the row or below it, in iteration order (end() when none): an edit of
    // the rows from there on walks those alone.
    iterator fromRow(int row) {
        const auto rowNumber = static_cast<std::size_t>(std::max(row, 0));
        if ((rowNumber >> kPageBits) >= pages_.size()) {
            return end();
        }
        iterator it(&pages_, rowNumber >> kPageBits, static_cast<int>(rowNumber & (kPageRows - 1)),
                    0);
        it.settle();
        return it;
    }

    iterator find(key_type key) {
        const Position at = locate(key);
        return at.found ? iterator(&pages_, at.page, at.row, at.slot) : end();
    }
    const_iterator find(key_type key) const {
        const Position at = locate(key);
        return at.found ? const_iterator(&pages_, at.page, at.row, at.slot) : end();
    }
    size_type count(key_type key) const { return get(key) ? 1 : 0; }

    // The value at key, or nullptr: the quick look-up for code that needs no iterator.
    T* get(key_type key) { return const_cast<T*>(static_cast<const CellTable&>(*this).get(key)); }
    const T* get(key_type key) const { return get(keyRow(key), keyColumn(key)); }
    T* get(int row, int column) {
        return const_cast<T*>(static_cast<const CellTable&>(*this).get(row, column));
    }
    const T* get(int row, int column) const {
        const auto rowNumber = static_cast<std::size_t>(row);
        const std::size_t pageIndex = rowNumber >> kPageBits;
        if (pageIndex >= pages_.size()) {
            return nullptr;
        }
        const Page* page = pages_[pageIndex].get();
        if (page == nullptr) {
            return nullptr;
        }
        return find(page->rows[rowNumber & (kPageRows - 1)], column);
    }

    // Calls visit(row, column, value) for the cells of the rows firstRow to lastRow within the
    // columns first to last, row by row, left to right, with no look-up per cell, as long as visit
    // returns true. visit may insert and erase cells (the walk then finds its place again, by row
    // and column), but not the one it is given while it runs.
    template <typename Visit>
    void forEachInArea(int firstRow, int lastRow, int first, int last, Visit&& visit) {
        int row = std::max(firstRow, 0);
        int column = first;
        while (row <= lastRow) {
            const auto pageIndex = static_cast<std::size_t>(row) >> kPageBits;
            if (pageIndex >= pages_.size()) {
                return;
            }
            const Page* page = pages_[pageIndex].get();
            const int pageLast = static_cast<int>(((pageIndex + 1) << kPageBits) - 1);
            if (page == nullptr) {
                row = pageLast + 1;
                column = first;
                continue;
            }
            const std::uint64_t seen = changes_;
            bool moved = false;
            for (; row <= lastRow && row <= pageLast; ++row, column = first) {
                const Row& cells = page->rows[row & (kPageRows - 1)];
                for (std::uint32_t at = cells.place(column); at < cells.size(); ++at) {
                    const Slot slot = cells.data()[at];
                    if (slot.column > last) {
                        break;
                    }
                    if (!visit(row, slot.column, slot.entry()->second)) {
                        return;
                    }
                    if (seen != changes_) {
                        column = slot.column + 1;
                        moved = true;
                        break;
                    }
                }
                if (moved) {
                    break;  // the page may be gone: look the row up again
                }
            }
        }
    }

    T& at(key_type key) {
        if (T* value = get(key)) {
            return *value;
        }
        throw std::out_of_range("no such cell");
    }
    const T& at(key_type key) const {
        if (const T* value = get(key)) {
            return *value;
        }
        throw std::out_of_range("no such cell");
    }

    T& operator[](key_type key) { return emplace(key).first->second; }

    // Inserts the value made of args unless the key is present (then args are left untouched).
    template <typename... Args>
    std::pair<iterator, bool> emplace(key_type key, Args&&... args) {
        const Position at = locate(key);
        if (at.found) {
            return {iterator(&pages_, at.page, at.row, at.slot), false};
        }
        if (at.page >= pages_.size()) {
            pages_.resize(at.page + 1);
        }
        auto& page = pages_[at.page];
        if (!page) {
            page = std::make_unique<Page>();
        }
        Box* box = page->takeBox();
        value_type* entry = nullptr;
        try {
            entry =
                std::construct_at(&box->value, std::piecewise_construct, std::forward_as_tuple(key),
                                  std::forward_as_tuple(std::forward<Args>(args)...));
            page->rows[at.row].insert(at.slot, Slot{keyColumn(key), box});
        } catch (...) {
            if (entry != nullptr) {
                std::destroy_at(entry);
            }
            page->giveBack(box);
            dropIfEmpty(at.page);
            throw;
        }
        ++page->count;
        ++size_;
        ++changes_;
        return {iterator(&pages_, at.page, at.row, at.slot), true};
    }

    void erase(const_iterator position) {
        eraseAt(Position{position.page_, position.row_, position.slot_, true});
    }
    void erase(iterator position) { erase(const_iterator(position)); }
    size_type erase(key_type key) {
        const Position at = locate(key);
        if (!at.found) {
            return 0;
        }
        eraseAt(at);
        return 1;
    }

    void clear() {
        pages_.clear();
        size_ = 0;
        ++changes_;
    }

  private:
    static const T* find(const Row& cells, int column) {
        // A row's cells are mostly side by side (A, B, C, ...): then the column's distance from
        // the row's first cell is its place, and no scan is needed.
        if (cells.size() != 0) {
            const Slot* first = cells.data();
            const auto guess = static_cast<std::uint32_t>(column - first->column);
            if (guess < cells.size() && first[guess].column == column) {
                return &first[guess].entry()->second;
            }
        }
        const std::uint32_t at = cells.lowerBound(column);
        const Slot* slot = cells.data() + at;
        return at < cells.size() && slot->column == column ? &slot->entry()->second : nullptr;
    }

    // Where a key is, or where it would go.
    struct Position {
        std::size_t page = 0;
        int row = 0;
        std::uint32_t slot = 0;
        bool found = false;
    };

    Position locate(key_type key) const {
        const auto rowNumber = static_cast<std::size_t>(keyRow(key));
        const int column = keyColumn(key);
        Position at{rowNumber >> kPageBits, static_cast<int>(rowNumber & (kPageRows - 1)), 0,
                    false};
        if (at.page >= pages_.size() || !pages_[at.page]) {
            return at;
        }
        const Row& row = pages_[at.page]->rows[at.row];
        at.slot = row.lowerBound(column);
        at.found = at.slot < row.size() && row.data()[at.slot].column == column;
        return at;
    }

    void eraseAt(const Position& at) {
        Page& page = *pages_[at.page];
        Row& row = page.rows[at.row];
        Box* box = row.data()[at.slot].box;
        row.erase(at.slot);
        --page.count;
        --size_;
        ++changes_;
        // The entry is destroyed only once the table is consistent again.
        std::destroy_at(&box->value);
        page.giveBack(box);
        dropIfEmpty(at.page);
    }

    void dropIfEmpty(std::size_t index) {
        if (pages_[index]->count != 0) {
            return;
        }
        pages_[index].reset();
        while (!pages_.empty() && !pages_.back()) {
            pages_.pop_back();
        }
    }

    Pages pages_;  // by row / kPageRows; null where no row of the page holds a cell
    std::size_t size_ = 0;
    std::uint64_t changes_ =
        0;  // insertions and erasures so far: a walk's places hold while it stays
};

}  // namespace kavex::sheet::detail
