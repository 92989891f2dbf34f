#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
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
// each row the cells it holds in column order. Walking a range row by row, as recalculation and
// most range operations do, reads neighbouring memory; a sheet with a few cells far down costs one
// small page there, not rows for everything above. Iteration goes row by row, left to right.
//
// Entries live in allocations of their own and never move: a reference to a value stays valid
// while other keys come and go (a cell being evaluated may see its sheet change under it).
// Iterators are invalidated by any insertion or erasure.
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
    static constexpr std::size_t kScanned = 16;

    struct Slot {
        int column = 0;
        std::unique_ptr<value_type> entry;
    };
    using Row = std::vector<Slot>;  // in column order
    struct Page {
        std::array<Row, kPageRows> rows;
        std::size_t count = 0;  // entries on the page; an emptied page is given back
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

        reference operator*() const { return *current().entry; }
        pointer operator->() const { return current().entry.get(); }
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

        Iterator(PagesPointer pages, std::size_t page, int row, std::size_t slot)
            : pages_(pages), page_(page), row_(row), slot_(slot) {}

        const Slot& current() const { return (*pages_)[page_]->rows[row_][slot_]; }

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
        std::size_t slot_ = 0;
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
    const T* get(key_type key) const {
        const auto rowNumber = static_cast<std::size_t>(keyRow(key));
        const std::size_t pageIndex = rowNumber >> kPageBits;
        if (pageIndex >= pages_.size()) {
            return nullptr;
        }
        const Page* page = pages_[pageIndex].get();
        if (page == nullptr) {
            return nullptr;
        }
        const Row& row = page->rows[rowNumber & (kPageRows - 1)];
        const int column = keyColumn(key);
        const Slot* slot = row.data();
        const Slot* last = slot + row.size();
        if (row.size() > kScanned) {
            slot = std::lower_bound(slot, last, column,
                                    [](const Slot& s, int c) { return s.column < c; });
        } else {
            while (slot != last && slot->column < column) {
                ++slot;
            }
        }
        return slot != last && slot->column == column ? &slot->entry->second : nullptr;
    }

    T& at(key_type key) {
        const Position at = locate(key);
        if (!at.found) {
            throw std::out_of_range("no such cell");
        }
        return slotAt(at).entry->second;
    }
    const T& at(key_type key) const {
        const Position at = locate(key);
        if (!at.found) {
            throw std::out_of_range("no such cell");
        }
        return slotAt(at).entry->second;
    }

    T& operator[](key_type key) { return emplace(key).first->second; }

    // Inserts the value made of args unless the key is present (then args are left untouched).
    template <typename... Args>
    std::pair<iterator, bool> emplace(key_type key, Args&&... args) {
        Position at = locate(key);
        if (at.found) {
            return {iterator(&pages_, at.page, at.row, at.slot), false};
        }
        auto entry =
            std::make_unique<value_type>(std::piecewise_construct, std::forward_as_tuple(key),
                                         std::forward_as_tuple(std::forward<Args>(args)...));
        if (at.page >= pages_.size()) {
            pages_.resize(at.page + 1);
        }
        auto& page = pages_[at.page];
        if (!page) {
            page = std::make_unique<Page>();
        }
        Row& row = page->rows[at.row];
        row.insert(row.begin() + static_cast<std::ptrdiff_t>(at.slot),
                   Slot{keyColumn(key), std::move(entry)});
        ++page->count;
        ++size_;
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
    }

  private:
    // Where a key is, or where it would go.
    struct Position {
        std::size_t page = 0;
        int row = 0;
        std::size_t slot = 0;
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
        std::size_t slot = 0;
        if (row.size() > kScanned) {
            slot = static_cast<std::size_t>(
                std::lower_bound(row.begin(), row.end(), column,
                                 [](const Slot& s, int c) { return s.column < c; }) -
                row.begin());
        } else {
            while (slot < row.size() && row[slot].column < column) {
                ++slot;
            }
        }
        at.slot = slot;
        at.found = slot < row.size() && row[slot].column == column;
        return at;
    }

    Slot& slotAt(const Position& at) { return pages_[at.page]->rows[at.row][at.slot]; }
    const Slot& slotAt(const Position& at) const { return pages_[at.page]->rows[at.row][at.slot]; }

    void eraseAt(const Position& at) {
        auto& page = pages_[at.page];
        Row& row = page->rows[at.row];
        // The entry is destroyed only once the table is consistent again.
        std::unique_ptr<value_type> gone = std::move(row[at.slot].entry);
        row.erase(row.begin() + static_cast<std::ptrdiff_t>(at.slot));
        --size_;
        if (--page->count == 0) {
            page.reset();
            while (!pages_.empty() && !pages_.back()) {
                pages_.pop_back();
            }
        }
    }

    Pages pages_;  // by row / kPageRows; null where no row of the page holds a cell
    std::size_t size_ = 0;
};

}  // namespace kavex::sheet::detail
