#include "addin/portfolio/CellValues.h"

#include <cmath>

#include "addin/core/Strings.h"
#include "platform/base/Conversions.h"

namespace kavex::addin::portfolio {

bool IsBlank(const base::Variant& value) {
    return value.isEmpty() || (value.isText() && core::TrimWhitespace(value.text()).empty());
}

std::optional<double> NumberOf(const base::Variant& value) {
    if (value.isNumber()) {
        return value.number();
    }
    if (value.isText()) {
        return base::parseNumber(value.text());
    }
    return std::nullopt;
}

std::optional<base::Date> DateOf(const base::Variant& value) {
    if (value.isDate()) {
        return value.date();
    }
    if (value.isNumber()) {
        return base::Date{value.number()};
    }
    if (value.isText()) {
        return base::parseDate(value.text());
    }
    return std::nullopt;
}

std::string TextOf(const base::Variant& value) {
    if (value.isEmpty() || value.isNull() || value.isError()) {
        return {};
    }
    return base::CStr(value);
}

std::string SharesFormat(double shares) {
    return shares == std::floor(shares) ? "#,##0" : "#,##0.####";
}

void SetText(sheet::Range cell, const std::string& text) {
    if (text.empty()) {
        cell.clearContents();
        return;
    }
    cell.setValue(base::Variant("'" + text));
}

void SetNumber(sheet::Range cell, double value, const std::string& pattern) {
    cell.setNumberFormat(pattern);
    cell.setValue(base::Variant(value));
}

void SetDate(sheet::Range cell, base::Date date) {
    cell.setNumberFormat(kDateFormat);
    cell.setValue(base::Variant(date));
}

}  // namespace kavex::addin::portfolio
