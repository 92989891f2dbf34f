#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/spreadsheet/Area.h"
#include "platform/spreadsheet/detail/CellTable.h"

namespace kavex::sheet::detail {

struct HyperlinkData {
    std::uint64_t id = 0;
    int row = 1;
    int column = 1;
    std::string address;
    std::string subAddress;
    std::string screenTip;
    std::string textToDisplay;
};

// The hyperlinks of one sheet, in the order the sheet lists them and its file holds them (the
// order they were added in), found by id or by their cell without walking the other links: a
// sheet of a few thousand linked rows asks "which link has this cell?" for every row it writes.
// A link's cell changes only through relocate(), which keeps the index in step.
class HyperlinkTable {
    struct Entry {
        std::uint64_t order;  // grows along the list: sorts a cell-wise gathering back into order
        HyperlinkData link;
    };
    using List = std::list<Entry>;

  public:
    class const_iterator {
      public:
        using iterator_category = std::bidirectional_iterator_tag;
        using value_type = HyperlinkData;
        using difference_type = std::ptrdiff_t;
        using pointer = const HyperlinkData*;
        using reference = const HyperlinkData&;

        const_iterator() = default;
        explicit const_iterator(List::const_iterator it) : it_(it) {}
        reference operator*() const { return it_->link; }
        pointer operator->() const { return &it_->link; }
        const_iterator& operator++() {
            ++it_;
            return *this;
        }
        const_iterator operator++(int) { return const_iterator(it_++); }
        const_iterator& operator--() {
            --it_;
            return *this;
        }
        const_iterator operator--(int) { return const_iterator(it_--); }
        friend bool operator==(const const_iterator&, const const_iterator&) = default;

      private:
        List::const_iterator it_;
    };

    HyperlinkTable() = default;
    HyperlinkTable(const HyperlinkTable&) = delete;  // the index points into the list
    HyperlinkTable& operator=(const HyperlinkTable&) = delete;
    HyperlinkTable(HyperlinkTable&&) noexcept = default;
    HyperlinkTable& operator=(HyperlinkTable&&) noexcept = default;

    const_iterator begin() const { return const_iterator(list_.begin()); }
    const_iterator end() const { return const_iterator(list_.end()); }
    std::size_t size() const { return list_.size(); }
    bool empty() const { return list_.empty(); }

    // Appends a link after all others. A cell may hold several (a file can say so); the host's
    // own adding replaces the cell's link first.
    void push_back(HyperlinkData link);

    const HyperlinkData* find(std::uint64_t id) const;
    // For changing a link's texts; its cell changes only through relocate().
    HyperlinkData* find(std::uint64_t id);

    // The links of one cell, or of the cells in any of some areas, in order.
    std::vector<const HyperlinkData*> at(int row, int column) const;
    std::vector<const HyperlinkData*> within(const std::vector<Area>& areas) const;
    std::size_t countAt(int row, int column) const;
    std::size_t countWithin(const std::vector<Area>& areas) const;

    bool erase(std::uint64_t id);
    std::size_t eraseAt(int row, int column);
    std::size_t eraseWithin(const std::vector<Area>& areas);

    // Moves every link on row fromRow or below it to the cell `to` gives for its own (row,
    // column), dropping those it gives none; links above fromRow stay where they are, unvisited,
    // and `to` must not move a link above it. The order of those kept stays.
    void relocate(int fromRow,
                  const std::function<std::optional<std::pair<int, int>>(int, int)>& to);

  private:
    using Bucket = std::vector<List::iterator>;  // one cell's links, in order

    // The entries of the areas, in order: probing cell by cell when the areas hold fewer cells
    // than there are links, walking the links otherwise.
    std::vector<List::const_iterator> gather(const std::vector<Area>& areas) const;
    void index(List::iterator it);
    void remove(List::const_iterator it);

    List list_;
    std::unordered_map<std::uint64_t, List::iterator> byId_;
    CellTable<Bucket> byCell_;  // laid out by row and column: a look-up has no division
    std::uint64_t nextOrder_ = 0;
};

}  // namespace kavex::sheet::detail
