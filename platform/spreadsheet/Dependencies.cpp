// Who depends on whom, for recalculation: the cells and areas each formula reads, registered as
// formulas are written and worked out again for every open workbook when they went stale.

#include <algorithm>

#include "platform/spreadsheet/detail/Model.h"

namespace kavex::sheet::detail {

void Dependencies::add(GlobalKey dependent, std::uint32_t sheetId, const Area& area) {
    if (area.cellCount() == 1) {
        const GlobalKey key = globalKey(sheetId, cellKey(area.firstRow, area.firstColumn));
        single_[key].push_back(dependent);
        registered_[dependent].push_back(key);
    } else {
        areas_.push_back(AreaDep{sheetId, area, dependent});
        hasArea_.insert(dependent);
        registered_.try_emplace(dependent);
    }
}

void Dependencies::remove(GlobalKey dependent) {
    auto it = registered_.find(dependent);
    if (it == registered_.end()) {
        return;
    }
    for (GlobalKey key : it->second) {
        auto s = single_.find(key);
        if (s != single_.end()) {
            auto& list = s->second;
            list.erase(std::remove(list.begin(), list.end(), dependent), list.end());
            if (list.empty()) {
                single_.erase(s);
            }
        }
    }
    registered_.erase(it);
    if (hasArea_.erase(dependent) > 0) {
        areas_.erase(std::remove_if(areas_.begin(), areas_.end(),
                                    [&](const AreaDep& d) { return d.dependent == dependent; }),
                     areas_.end());
    }
}

void Dependencies::dependentsOf(GlobalKey key, std::vector<GlobalKey>& out) const {
    if (auto it = single_.find(key); it != single_.end()) {
        out.insert(out.end(), it->second.begin(), it->second.end());
    }
    if (!areas_.empty()) {
        const std::uint32_t sheet = globalSheet(key);
        const CellKey cell = globalCell(key);
        const int row = keyRow(cell);
        const int column = keyColumn(cell);
        for (const auto& d : areas_) {
            if (d.sheetId == sheet && d.area.contains(row, column)) {
                out.push_back(d.dependent);
            }
        }
    }
}

void Dependencies::clear() {
    single_.clear();
    areas_.clear();
    registered_.clear();
    hasArea_.clear();
}

void AppState::registerFormula(SheetData& sheet, CellKey key, const Cell& cell) {
    if (dependenciesStale || sheet.book == nullptr || !cell.formula) {
        return;
    }
    const CompiledFormula& compiled = *cell.formula;
    const GlobalKey self = globalKey(sheet.id, key);
    // A shared form's references are all relative: they move with the cell.
    const int dr = cell.rowShift, dc = cell.columnShift;
    for (const auto& ref : compiled.parsed.references()) {
        SheetData* target = ref.sheet.empty() ? &sheet : sheet.book->sheetNamed(ref.sheet);
        if (target != nullptr) {
            dependencies.add(self, target->id,
                             Area{ref.firstRow + dr, ref.firstColumn + dc, ref.lastRow + dr,
                                  ref.lastColumn + dc});
        }
    }
    for (const auto& name : compiled.parsed.names()) {
        if (auto area = resolveName(sheet, name)) {
            SheetData* target = area->sheet.empty() ? &sheet : sheet.book->sheetNamed(area->sheet);
            if (target != nullptr) {
                dependencies.add(
                    self, target->id,
                    Area{area->firstRow, area->firstColumn, area->lastRow, area->lastColumn});
            }
        }
    }
}

void AppState::unregisterFormula(SheetData& sheet, CellKey key) {
    if (!dependenciesStale) {
        dependencies.remove(globalKey(sheet.id, key));
    }
}

void AppState::ensureDependencies() {
    if (!dependenciesStale) {
        return;
    }
    dependencies.clear();
    dependenciesStale = false;
    auto registerBook = [&](BookData& book) {
        for (auto& sheet : book.sheets) {
            for (auto& [key, cell] : sheet->cells) {
                if (cell.formula) {
                    registerFormula(*sheet, key, cell);
                }
            }
        }
    };
    for (auto& book : books) {
        registerBook(*book);
    }
    for (auto& addIn : addIns) {
        if (addIn.book) {
            registerBook(*addIn.book);
        }
    }
}

}  // namespace kavex::sheet::detail
