#include "platform/spreadsheet/detail/HyperlinkTable.h"

#include <algorithm>

namespace kavex::sheet::detail {

void HyperlinkTable::push_back(HyperlinkData link) {
    list_.push_back(Entry{nextOrder_++, std::move(link)});
    index(std::prev(list_.end()));
}

void HyperlinkTable::index(List::iterator it) {
    byId_[it->link.id] = it;
    byCell_[cellKey(it->link.row, it->link.column)].push_back(it);
}

const HyperlinkData* HyperlinkTable::find(std::uint64_t id) const {
    const auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : &it->second->link;
}

HyperlinkData* HyperlinkTable::find(std::uint64_t id) {
    const auto it = byId_.find(id);
    return it == byId_.end() ? nullptr : &it->second->link;
}

std::vector<const HyperlinkData*> HyperlinkTable::at(int row, int column) const {
    std::vector<const HyperlinkData*> links;
    if (const auto it = byCell_.find(cellKey(row, column)); it != byCell_.end()) {
        for (const auto& entry : it->second) {
            links.push_back(&entry->link);
        }
    }
    return links;
}

std::size_t HyperlinkTable::countAt(int row, int column) const {
    const auto it = byCell_.find(cellKey(row, column));
    return it == byCell_.end() ? 0 : it->second.size();
}

std::vector<HyperlinkTable::List::const_iterator> HyperlinkTable::gather(
    const std::vector<Area>& areas) const {
    std::vector<List::const_iterator> found;
    long long cells = 0;
    for (const Area& a : areas) {
        cells += a.cellCount();
    }
    if (cells <= static_cast<long long>(list_.size())) {
        for (const Area& a : areas) {
            for (int r = a.firstRow; r <= a.lastRow; ++r) {
                for (int c = a.firstColumn; c <= a.lastColumn; ++c) {
                    if (const auto it = byCell_.find(cellKey(r, c)); it != byCell_.end()) {
                        found.insert(found.end(), it->second.begin(), it->second.end());
                    }
                }
            }
        }
        const auto before = [](List::const_iterator x, List::const_iterator y) {
            return x->order < y->order;
        };
        std::sort(found.begin(), found.end(), before);
        // Areas that overlap name a cell twice.
        found.erase(std::unique(found.begin(), found.end()), found.end());
        return found;
    }
    for (auto it = list_.begin(); it != list_.end(); ++it) {
        const HyperlinkData& l = it->link;
        if (std::any_of(areas.begin(), areas.end(),
                        [&](const Area& a) { return a.contains(l.row, l.column); })) {
            found.push_back(it);
        }
    }
    return found;
}

std::vector<const HyperlinkData*> HyperlinkTable::within(const std::vector<Area>& areas) const {
    std::vector<const HyperlinkData*> links;
    for (const auto& it : gather(areas)) {
        links.push_back(&it->link);
    }
    return links;
}

std::size_t HyperlinkTable::countWithin(const std::vector<Area>& areas) const {
    if (areas.size() == 1 && areas.front().cellCount() == 1) {
        return countAt(areas.front().firstRow, areas.front().firstColumn);
    }
    return gather(areas).size();
}

void HyperlinkTable::remove(List::const_iterator it) {
    byId_.erase(it->link.id);
    const auto bucket = byCell_.find(cellKey(it->link.row, it->link.column));
    if (bucket != byCell_.end()) {
        std::erase(bucket->second, it);
        if (bucket->second.empty()) {
            byCell_.erase(bucket);
        }
    }
    list_.erase(it);
}

bool HyperlinkTable::erase(std::uint64_t id) {
    const auto it = byId_.find(id);
    if (it == byId_.end()) {
        return false;
    }
    remove(it->second);
    return true;
}

std::size_t HyperlinkTable::eraseAt(int row, int column) {
    const auto bucket = byCell_.find(cellKey(row, column));
    if (bucket == byCell_.end()) {
        return 0;
    }
    const Bucket links = std::move(bucket->second);
    byCell_.erase(bucket);
    for (const auto& it : links) {
        byId_.erase(it->link.id);
        list_.erase(it);
    }
    return links.size();
}

std::size_t HyperlinkTable::eraseWithin(const std::vector<Area>& areas) {
    const auto found = gather(areas);
    for (const auto& it : found) {
        remove(it);
    }
    return found.size();
}

void HyperlinkTable::relocate(
    int fromRow, const std::function<std::optional<std::pair<int, int>>(int, int)>& to) {
    // The cells are laid out by row: those from fromRow on are walked, not the others.
    std::vector<CellKey> cells;
    std::vector<List::iterator> moving;
    for (auto bucket = byCell_.fromRow(fromRow); bucket != byCell_.end(); ++bucket) {
        cells.push_back(bucket->first);
        moving.insert(moving.end(), bucket->second.begin(), bucket->second.end());
    }
    for (const CellKey cell : cells) {
        byCell_.erase(cell);
    }
    // Cells that end up on one cell keep their links in the list's order.
    std::sort(moving.begin(), moving.end(),
              [](List::iterator x, List::iterator y) { return x->order < y->order; });
    for (const List::iterator it : moving) {
        if (const auto cell = to(it->link.row, it->link.column)) {
            it->link.row = cell->first;
            it->link.column = cell->second;
            byCell_[cellKey(cell->first, cell->second)].push_back(it);
        } else {
            byId_.erase(it->link.id);
            list_.erase(it);
        }
    }
}

}  // namespace kavex::sheet::detail
