// Recalculation passes: what a change makes dirty, and the passes that bring dirty cells, a
// range's cells or everything dirty up to date, each cell after the cells it reads. Sheets are
// kept alive by shared pointers for the whole pass.

#include <algorithm>
#include <unordered_set>
#include <utility>

#include "platform/spreadsheet/detail/Model.h"
#include "platform/spreadsheet/formula/ArgumentList.h"

namespace kavex::sheet::detail {

void AppState::trimArguments() {
    formula::ArgumentList::trim();
}

std::vector<GlobalKey> AppState::dependentsClosure(const std::vector<GlobalKey>& roots) {
    ensureDependencies();
    // Depth-first over the dependents; the reversed finishing order puts every cell after the
    // cells it reads (cycles aside).
    std::vector<GlobalKey> order;
    std::unordered_set<GlobalKey> seen;
    std::vector<std::pair<GlobalKey, bool>> stack;
    std::vector<GlobalKey> next;
    for (GlobalKey root : roots) {
        next.clear();
        dependencies.dependentsOf(root, next);
        for (GlobalKey d : next) {
            stack.emplace_back(d, false);
        }
        while (!stack.empty()) {
            auto [key, done] = stack.back();
            stack.pop_back();
            if (done) {
                order.push_back(key);
                continue;
            }
            if (!seen.insert(key).second) {
                continue;
            }
            stack.emplace_back(key, true);
            next.clear();
            dependencies.dependentsOf(key, next);
            for (GlobalKey d : next) {
                if (!seen.count(d)) {
                    stack.emplace_back(d, false);
                }
            }
        }
    }
    std::reverse(order.begin(), order.end());
    return order;
}

void AppState::recalculate(const std::vector<GlobalKey>& cells) {
    for (GlobalKey key : cells) {
        SheetData* sheet = sheetById(globalSheet(key));
        if (sheet == nullptr) {
            continue;
        }
        auto keep = sheet->shared_from_this();
        evaluateCell(*sheet, globalCell(key), true);
    }
    trimArguments();
}

void AppState::valuesChanged(const std::vector<GlobalKey>& keys) {
    if (keys.empty()) {
        return;
    }
    auto closure = dependentsClosure(keys);
    if (closure.empty()) {
        return;
    }
    markDirty(closure);
}

void AppState::inputsMoved(const std::vector<GlobalKey>& formulas) {
    if (formulas.empty()) {
        return;
    }
    // The formulas first, then what reads them, each after the cells it reads; a formula that
    // reads another of them comes in that order.
    const auto closure = dependentsClosure(formulas);
    std::unordered_set<GlobalKey> ordered(closure.begin(), closure.end());
    std::vector<GlobalKey> sequence;
    for (GlobalKey key : formulas) {
        if (ordered.insert(key).second) {
            sequence.push_back(key);
        }
    }
    sequence.insert(sequence.end(), closure.begin(), closure.end());
    markDirty(sequence);
}

void AppState::markDirty(const std::vector<GlobalKey>& keys) {
    for (GlobalKey key : keys) {
        if (SheetData* sheet = sheetById(globalSheet(key))) {
            if (Cell* cell = sheet->find(keyRow(globalCell(key)), keyColumn(globalCell(key)))) {
                if (cell->formula) {
                    cell->dirty = true;
                }
            }
        }
    }
    if (calculation == xlCalculationAutomatic) {
        recalculate(keys);
    }
    // What is still dirty (manual mode, or cells busy evaluating) waits for the next pass.
    for (GlobalKey key : keys) {
        if (SheetData* sheet = sheetById(globalSheet(key))) {
            if (Cell* cell = sheet->find(keyRow(globalCell(key)), keyColumn(globalCell(key)))) {
                if (cell->dirty) {
                    dirty.push_back(key);
                }
            }
        }
    }
}

void AppState::calculateDirty(std::uint32_t onlySheet) {
    std::vector<GlobalKey> pending;
    std::vector<GlobalKey> keep;
    for (GlobalKey key : dirty) {
        (onlySheet == 0 || globalSheet(key) == onlySheet ? pending : keep).push_back(key);
    }
    dirty = std::move(keep);
    if (pending.empty()) {
        return;
    }
    // Order the dirty cells and everything that reads them so that each comes after the cells it
    // reads. A cell that is not dirty itself (one entered while calculation was manual, computed
    // from values that were stale then) is computed when a cell it reads changes on the way.
    auto order = dependentsClosure(pending);
    std::vector<GlobalKey> sequence;
    std::unordered_set<GlobalKey> inOrder(order.begin(), order.end());
    for (GlobalKey key : pending) {
        if (!inOrder.count(key)) {
            sequence.push_back(key);
        }
    }
    sequence.insert(sequence.end(), order.begin(), order.end());
    std::vector<GlobalKey> readers;
    for (GlobalKey key : sequence) {
        if (onlySheet != 0 && globalSheet(key) != onlySheet) {
            continue;
        }
        SheetData* sheet = sheetById(globalSheet(key));
        if (sheet == nullptr) {
            continue;
        }
        auto hold = sheet->shared_from_this();
        const CellKey cell = globalCell(key);
        Cell* c = sheet->find(keyRow(cell), keyColumn(cell));
        if (c == nullptr || !c->dirty || !evaluateCell(*sheet, *c, true)) {
            continue;
        }
        ensureDependencies();
        readers.clear();
        dependencies.dependentsOf(key, readers);
        for (GlobalKey reader : readers) {
            SheetData* readerSheet = sheetById(globalSheet(reader));
            Cell* r = readerSheet == nullptr ? nullptr
                                             : readerSheet->find(keyRow(globalCell(reader)),
                                                                 keyColumn(globalCell(reader)));
            if (r != nullptr && r->formula && !r->dirty) {
                r->dirty = true;
                if (onlySheet != 0 && globalSheet(reader) != onlySheet) {
                    dirty.push_back(reader);  // another sheet's cell waits for its own pass
                }
            }
        }
    }
    trimArguments();
}

void AppState::calculateCells(SheetData& sheet, const std::vector<Area>& areas) {
    auto hold = sheet.shared_from_this();
    std::vector<GlobalKey> changedKeys;
    // The cells asked for take the values they read as they are: only a range's own formulas are
    // computed, not what they read.
    const auto visit = [&](int row, int column, Cell& cell) {
        if (evaluateCell(sheet, cell, false)) {
            changedKeys.push_back(globalKey(sheet.id, cellKey(row, column)));
        }
        return sheet.alive;
    };
    for (const Area& a : areas) {
        if (!sheet.alive) {
            break;
        }
        // Rows past the last cell and pages without cells cost nothing: whole columns are walked
        // as cheaply as the cells they hold.
        sheet.cells.forEachInArea(a.firstRow, a.lastRow, a.firstColumn, a.lastColumn, visit);
    }
    trimArguments();
    if (changedKeys.empty() || !sheet.alive) {
        return;
    }
    // The cells asked for are done; what reads them waits (or, in automatic mode, follows).
    const auto closure = dependentsClosure(changedKeys);
    std::vector<GlobalKey> follow;
    for (GlobalKey key : closure) {
        const CellKey cell = globalCell(key);
        const bool asked = globalSheet(key) == sheet.id &&
                           std::any_of(areas.begin(), areas.end(), [&](const Area& a) {
                               return a.contains(keyRow(cell), keyColumn(cell));
                           });
        if (!asked) {
            follow.push_back(key);
        }
    }
    markDirty(follow);
}

}  // namespace kavex::sheet::detail
