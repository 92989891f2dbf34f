#include "addin/portfolio/TransactionCodes.h"

#include "addin/core/Strings.h"
#include "platform/base/Text.h"

namespace kavex::addin::portfolio {

std::optional<TransactionType> TypeOfCode(short code) {
    for (const TransactionType& type : kTransactionTypes) {
        if (type.code == code) {
            return type;
        }
    }
    return std::nullopt;
}

std::optional<TransactionType> TypeOfName(std::string_view name) {
    const std::string trimmed = core::TrimWhitespace(name);
    for (const TransactionType& type : kTransactionTypes) {
        if (base::equalsIgnoringCase(trimmed, type.name)) {
            return type;
        }
    }
    return std::nullopt;
}

std::string_view PositionText(Position position) {
    switch (position) {
        case Position::Long:
            return "long";
        case Position::Short:
            return "short";
        case Position::None:
            break;
    }
    return "";
}

}  // namespace kavex::addin::portfolio
