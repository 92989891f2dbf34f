#include "addin/portfolio/CellValues.h"

#include <algorithm>
#include <cmath>

#include "addin/core/Strings.h"
#include "platform/base/Conversions.h"
#include "platform/base/DecimalDigits.h"

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

// Shares show the decimals they have, up to the 15 significant digits a number keeps, so that a
// fraction as small as 0.000001 is seen rather than rounded away to "0.".
std::string SharesFormat(double shares) {
    constexpr int kSignificant = 15;
    int places = 0;
    if (std::isfinite(shares) && shares != std::floor(shares)) {
        const base::DecimalDigits digits = base::shownDigits(shares);
        const base::DecimalDigits kept =
            base::roundToPlaces(digits, kSignificant - digits.pointPosition);
        places =
            std::clamp(static_cast<int>(kept.digits.size()) - kept.pointPosition, 0, kSignificant);
    }
    return places == 0 ? "#,##0" : "#,##0." + std::string(static_cast<std::size_t>(places), '0');
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
