#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "platform/base/Text.h"
#include "platform/spreadsheet/formula/CellAddress.h"
#include "platform/spreadsheet/formula/Formula.h"

namespace kavex::formula::testing {

// A small workbook for evaluation tests: cells by sheet, defined names and registered functions,
// all looked up without regard to case as the host does.
class FakeWorkbook : public EvaluationContext {
  public:
    using Function = std::function<Variant(const std::vector<Argument>&)>;

    FakeWorkbook() { sheets_.insert(""); }

    void addSheet(const std::string& name) { sheets_.insert(base::toUpperAscii(name)); }

    // address as "A1" or "Sheet!A1"; the sheet must have been added.
    void set(const std::string& address, Variant value) {
        const auto area = parseAreaReference(address);
        cells_[{base::toUpperAscii(area->sheet), area->firstRow, area->firstColumn}] =
            std::move(value);
    }

    void define(const std::string& name, const std::string& address) {
        names_[base::toUpperAscii(name)] = *parseAreaReference(address);
    }

    void registerFunction(const std::string& name, Function function) {
        functions_[base::toUpperAscii(name)] = std::move(function);
    }

    Variant cellValue(const std::string& sheet, int row, int column) override {
        ++cellReads;
        if (!sheets_.contains(base::toUpperAscii(sheet))) {
            return Variant(base::CellError::Ref);
        }
        const auto it = cells_.find({base::toUpperAscii(sheet), row, column});
        return it == cells_.end() ? Variant() : it->second;
    }

    // Lists the cells set, as a sparse host does, so that whole columns cost what they hold.
    void forEachOccupiedCell(const AreaRef& area,
                             const std::function<bool(int row, int column)>& visit) override {
        ++areaWalks;
        const std::string sheet = base::toUpperAscii(area.sheet);
        if (!sheets_.contains(sheet)) {
            visit(area.firstRow, area.firstColumn);
            return;
        }
        for (const auto& [key, value] : cells_) {
            const auto& [cellSheet, row, column] = key;
            if (cellSheet == sheet && row >= area.firstRow && row <= area.lastRow &&
                column >= area.firstColumn && column <= area.lastColumn && !visit(row, column)) {
                return;
            }
        }
    }

    std::optional<AreaRef> resolveName(const std::string& name) override {
        const auto it = names_.find(base::toUpperAscii(name));
        if (it == names_.end()) {
            return std::nullopt;
        }
        return it->second;
    }

    std::optional<Variant> callFunction(const std::string& name,
                                        const std::vector<Argument>& arguments) override {
        calledNames.push_back(name);
        calledNameAddresses.push_back(&name);
        const auto it = functions_.find(base::toUpperAscii(name));
        if (it == functions_.end()) {
            return std::nullopt;
        }
        return it->second(arguments);
    }

    Variant eval(std::string_view text) { return evaluate(parse(text), *this); }

    int cellReads = 0;
    int areaWalks = 0;
    std::vector<std::string> calledNames;
    std::vector<const std::string*> calledNameAddresses;

  private:
    std::set<std::string> sheets_;
    std::map<std::tuple<std::string, int, int>, Variant> cells_;
    std::map<std::string, AreaRef> names_;
    std::map<std::string, Function> functions_;
};

}  // namespace kavex::formula::testing
