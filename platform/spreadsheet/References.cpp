#include "platform/base/Text.h"
#include "platform/spreadsheet/detail/Model.h"

namespace kavex::sheet::detail {

const NameData* visibleName(const SheetData& from, std::string_view name) {
    if (from.book == nullptr) {
        return nullptr;
    }
    for (std::uint32_t scope : {from.id, std::uint32_t{0}}) {
        for (const auto& n : from.book->names) {
            if (n.scopeSheet == scope && base::equalsIgnoringCase(n.name, name)) {
                return &n;
            }
        }
    }
    return nullptr;
}

std::optional<Target> nameTarget(const BookData& book, const NameData& name, SheetData* from) {
    auto parsed = parseReference(name.refersTo);
    if (!parsed) {
        return std::nullopt;
    }
    SheetData* sheet = nullptr;
    if (!parsed->sheet.empty()) {
        sheet = book.sheetNamed(parsed->sheet);
    } else if (name.scopeSheet != 0) {
        sheet = book.app ? book.app->sheetById(name.scopeSheet) : nullptr;
    } else {
        sheet = from;
    }
    if (sheet == nullptr) {
        return std::nullopt;
    }
    return Target{sheet, std::move(parsed->areas)};
}

std::optional<Target> resolveReference(SheetData& from, std::string_view text) {
    if (from.book == nullptr) {
        return std::nullopt;
    }
    if (auto parsed = parseReference(text)) {
        SheetData* sheet = parsed->sheet.empty() ? &from : from.book->sheetNamed(parsed->sheet);
        if (sheet == nullptr) {
            return std::nullopt;
        }
        return Target{sheet, std::move(parsed->areas)};
    }
    if (const NameData* name = visibleName(from, text)) {
        return nameTarget(*from.book, *name, &from);
    }
    return std::nullopt;
}

}  // namespace kavex::sheet::detail
