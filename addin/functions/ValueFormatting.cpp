#include "addin/functions/ValueFormatting.h"

#include <cmath>
#include <exception>
#include <optional>

#include "addin/core/Globals.h"
#include "addin/functions/CellErrorText.h"
#include "addin/functions/FormatClasses.h"
#include "platform/base/Conversions.h"
#include "platform/base/Format.h"

namespace kavex::addin::functions {

namespace {

constexpr std::string_view kWholeCurrencyPattern = "$###,###,##0";
constexpr std::string_view kNumberPattern = "###,###,##0.00";
constexpr std::string_view kWholeNumberPattern = "###,###,##0";
constexpr std::string_view kWholePercentPattern = "###,###,##0%";
constexpr std::string_view kPercentPattern = "###,###,##0.0#%";
constexpr std::string_view kDatePattern = "mm/dd/yyyy";

// Numeric as the locale reads it; a text beyond the range of a double counts as text, as the
// runtime's conversion refuses it: no pattern is asked to lay out more digits than a double has,
// and no difference or quotient of an unreadable value shows as "Infinity" or "NaN".
std::optional<double> numericValue(std::string_view value) {
    std::optional<double> number = base::parseNumber(value);
    if (number && !std::isfinite(*number))
        return std::nullopt;
    return number;
}

// Cached dates come as yyyymmdd.
std::string formatCompactDate(std::string_view value) {
    if (value.size() != 8 || !numericValue(value))
        return std::string(value);
    std::string text = std::string(value.substr(0, 4)) + "/" + std::string(value.substr(4, 2)) +
                       "/" + std::string(value.substr(6, 2));
    std::optional<base::Date> date = base::parseDate(text);
    if (!date)
        return std::string(value);
    return base::formatDate(*date, kDatePattern);
}

std::string formatByClass(std::string_view value, std::string_view formatClass) {
    if (formatClass == format_class::Date)
        return formatCompactDate(value);

    std::string_view pattern;
    if (formatClass == format_class::Currency) {
        pattern = core::PriceFormat;
    } else if (formatClass == format_class::WholeCurrency) {
        pattern = kWholeCurrencyPattern;
    } else if (formatClass == format_class::Number) {
        pattern = kNumberPattern;
    } else if (formatClass == format_class::WholeNumber) {
        pattern = kWholeNumberPattern;
    } else if (formatClass != format_class::Percentage) {
        return std::string(value);
    }

    std::optional<double> number = numericValue(value);
    if (!number)
        return std::string(value);
    if (formatClass == format_class::Percentage) {
        // A whole ratio (1 = 100%) shows no decimals; any fraction shows one or two.
        double magnitude = std::fabs(*number);
        pattern = magnitude == std::round(magnitude) ? kWholePercentPattern : kPercentPattern;
    }
    return base::formatNumber(*number, pattern);
}

}  // namespace

std::string FormatValue(std::string_view value, std::string_view formatClass) {
    try {
        return formatByClass(value, formatClass);
    } catch (const std::exception&) {
        return std::string(value);
    }
}

std::string FormatValue(const base::Variant& value, std::string_view formatClass) {
    try {
        if (value.isText())
            return FormatValue(value.text(), formatClass);
        return FormatValue(base::CStr(value), formatClass);
    } catch (const std::exception&) {
        return {};
    }
}

base::Variant SubtractValues(std::string_view a, std::string_view b) {
    std::optional<double> x = numericValue(a);
    std::optional<double> y = numericValue(b);
    if (x && y)
        return *x - *y;
    return std::string(x ? b : a);
}

base::Variant DivideValues(std::string_view a, std::string_view b) {
    std::optional<double> x = numericValue(a);
    std::optional<double> y = numericValue(b);
    if (x && y) {
        if (*y == 0.0)
            return std::string(cell_error::Error);
        return *x / *y;
    }
    return std::string(x ? b : a);
}

std::string RangeText(const std::string& low, const std::string& high,
                      std::string_view formatClass) {
    if (low.empty() && high.empty())
        return {};
    std::string lowText = low.empty() ? std::string(" ") : FormatValue(low, formatClass);
    std::string highText = high.empty() ? std::string(" ") : FormatValue(high, formatClass);
    return lowText + " - " + highText;
}

}  // namespace kavex::addin::functions
