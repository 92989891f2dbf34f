#include "platform/spreadsheet/formula/Builtins.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "platform/base/Text.h"
#include "platform/spreadsheet/formula/Evaluator.h"
#include "platform/spreadsheet/formula/Text.h"
#include "platform/spreadsheet/formula/Values.h"

namespace kavex::formula {

namespace {

using base::CellError;
using base::Variant;
using Args = std::vector<Node>;

constexpr int Unlimited = 255;  // the most arguments a function call takes

// ---- helpers ----------------------------------------------------------------------------------

// A whole-number argument (truncated toward zero, as the text functions and ROUND take counts).
struct IntegerResult {
    long long value = 0;
    std::optional<CellError> error;
};

IntegerResult integerArgument(Evaluator& e, const Args& args, std::size_t index, long long absent) {
    if (index >= args.size()) {
        return {absent, std::nullopt};
    }
    const auto number = toNumber(e.value(args[index]));
    if (number.error) {
        return {0, number.error};
    }
    if (!std::isfinite(number.value)) {
        return {0, CellError::Value};
    }
    constexpr double limit = 1e15;
    const double clipped = std::max(-limit, std::min(std::trunc(number.value), limit));
    return {static_cast<long long>(clipped), std::nullopt};
}

// ---- logical ----------------------------------------------------------------------------------

Variant fnIf(Evaluator& e, const Args& args) {
    const auto condition = toBoolean(e.value(args[0]));
    if (condition.error) {
        return Variant(*condition.error);
    }
    const std::size_t branch = condition.value ? 1 : 2;
    if (branch >= args.size()) {
        return Variant(false);  // IF(FALSE, x) without a third argument
    }
    if (args[branch].kind == NodeKind::Missing) {
        return Variant(0.0);  // IF(TRUE,,x): an argument left empty gives 0
    }
    return e.value(args[branch]);
}

Variant fnIfError(Evaluator& e, const Args& args) {
    Variant value = e.value(args[0]);
    if (!value.isError()) {
        return value;
    }
    if (args[1].kind == NodeKind::Missing) {
        return Variant(0.0);
    }
    return e.value(args[1]);
}

// AND and OR: logical values from areas (text and empty cells skipped) and from arguments (text
// must read TRUE or FALSE); no logical value at all is #VALUE!.
template <bool IsAnd>
Variant fnLogical(Evaluator& e, const Args& args) {
    bool result = IsAnd;
    bool any = false;
    std::optional<CellError> error;
    for (const Node& arg : args) {
        e.forEachValue(arg, [&](const Variant& v, bool fromArea) {
            if (fromArea && (v.isText() || v.isEmpty())) {
                return true;
            }
            const auto b = toBoolean(v);
            if (b.error) {
                error = b.error;
                return false;
            }
            any = true;
            result = IsAnd ? (result && b.value) : (result || b.value);
            return true;
        });
        if (error) {
            return Variant(*error);
        }
    }
    if (!any) {
        return Variant(CellError::Value);
    }
    return Variant(result);
}

Variant fnNot(Evaluator& e, const Args& args) {
    const auto b = toBoolean(e.value(args[0]));
    if (b.error) {
        return Variant(*b.error);
    }
    return Variant(!b.value);
}

// ---- information ------------------------------------------------------------------------------

Variant fnIsError(Evaluator& e, const Args& args) {
    return Variant(e.value(args[0]).isError());
}

Variant fnIsNumber(Evaluator& e, const Args& args) {
    const Variant v = e.value(args[0]);
    return Variant(v.isNumber() || v.isDate());
}

Variant fnIsText(Evaluator& e, const Args& args) {
    return Variant(e.value(args[0]).isText());
}

Variant fnIsBlank(Evaluator& e, const Args& args) {
    // Only an empty cell is blank; an empty argument is not a cell.
    if (args[0].kind == NodeKind::Missing) {
        return Variant(false);
    }
    return Variant(e.value(args[0]).isEmpty());
}

// ---- text -------------------------------------------------------------------------------------

// Runs f on the first argument's text form; errors propagate.
template <typename F>
Variant withText(Evaluator& e, const Args& args, F&& f) {
    const Variant v = e.value(args[0]);
    if (v.isError()) {
        return v;
    }
    return f(toText(v));
}

Variant fnTrim(Evaluator& e, const Args& args) {
    return withText(e, args, [](const std::string& text) {
        // Blanks at both ends go, and each run of blanks inside becomes one.
        std::string out;
        bool pendingBlank = false;
        for (char c : text) {
            if (c == ' ') {
                pendingBlank = !out.empty();
                continue;
            }
            if (pendingBlank) {
                out += ' ';
                pendingBlank = false;
            }
            out += c;
        }
        return Variant(std::move(out));
    });
}

Variant fnLen(Evaluator& e, const Args& args) {
    return withText(e, args, [](const std::string& text) {
        return Variant(static_cast<double>(characterCount(text)));
    });
}

Variant fnUpper(Evaluator& e, const Args& args) {
    return withText(e, args, [](const std::string& text) { return Variant(toUpperText(text)); });
}

Variant fnLower(Evaluator& e, const Args& args) {
    return withText(e, args, [](const std::string& text) { return Variant(toLowerText(text)); });
}

Variant fnValue(Evaluator& e, const Args& args) {
    const Variant v = e.value(args[0]);
    if (v.isError() || v.isNumber()) {
        return v;
    }
    if (v.isDate()) {
        return Variant(v.date().serial);
    }
    if (v.isEmpty()) {
        return Variant(0.0);
    }
    if (v.isText()) {
        if (auto number = numberFromText(v.text())) {
            return Variant(*number);
        }
    }
    return Variant(CellError::Value);
}

Variant fnConcatenate(Evaluator& e, const Args& args) {
    std::string out;
    for (const Node& arg : args) {
        const Variant v = e.value(arg);
        if (v.isError()) {
            return v;
        }
        out += toText(v);
    }
    return Variant(std::move(out));
}

// LEFT and RIGHT: count characters from one end, 1 when not given.
template <bool FromLeft>
Variant fnSide(Evaluator& e, const Args& args) {
    const Variant v = e.value(args[0]);
    if (v.isError()) {
        return v;
    }
    const auto count = integerArgument(e, args, 1, 1);
    if (count.error) {
        return Variant(*count.error);
    }
    if (count.value < 0) {
        return Variant(CellError::Value);
    }
    const std::string text = toText(v);
    const std::size_t length = characterCount(text);
    const auto n = std::min(static_cast<std::size_t>(count.value), length);
    const std::size_t first = FromLeft ? 0 : length - n;
    return Variant(std::string(characterSlice(text, first, n)));
}

Variant fnMid(Evaluator& e, const Args& args) {
    const Variant v = e.value(args[0]);
    if (v.isError()) {
        return v;
    }
    const auto start = integerArgument(e, args, 1, 1);
    if (start.error) {
        return Variant(*start.error);
    }
    const auto count = integerArgument(e, args, 2, 0);
    if (count.error) {
        return Variant(*count.error);
    }
    if (start.value < 1 || count.value < 0) {
        return Variant(CellError::Value);
    }
    const std::string text = toText(v);
    return Variant(std::string(characterSlice(text, static_cast<std::size_t>(start.value - 1),
                                              static_cast<std::size_t>(count.value))));
}

// ---- math -------------------------------------------------------------------------------------

Variant fnAbs(Evaluator& e, const Args& args) {
    const auto x = toNumber(e.value(args[0]));
    if (x.error) {
        return Variant(*x.error);
    }
    return Variant(std::fabs(x.value));
}

Variant fnRound(Evaluator& e, const Args& args) {
    const auto x = toNumber(e.value(args[0]));
    if (x.error) {
        return Variant(*x.error);
    }
    const auto digits = integerArgument(e, args, 1, 0);
    if (digits.error) {
        return Variant(*digits.error);
    }
    const auto clipped = static_cast<int>(std::max(-400LL, std::min(digits.value, 400LL)));
    return numberOrError(roundHalfAway(x.value, clipped));
}

// The numbers the aggregates take: from areas numbers only (text, logical values and empty cells
// skipped); from arguments also logical values and text that reads as a number (other text is
// #VALUE!). When strict, an error or such text stops the aggregate with that error; otherwise
// (COUNT) they are skipped.
template <typename Add>
std::optional<CellError> forEachNumber(Evaluator& e, const Args& args, bool strict, Add&& add) {
    std::optional<CellError> error;
    for (const Node& arg : args) {
        e.forEachValue(arg, [&](const Variant& v, bool fromArea) {
            if (v.isError()) {
                if (strict) {
                    error = v.error();
                    return false;
                }
                return true;
            }
            if (v.isNumber() || v.isDate()) {
                add(toNumber(v).value);
                return true;
            }
            if (fromArea || v.isEmpty()) {
                return true;
            }
            const auto number = toNumber(v);
            if (number.error) {
                if (strict) {
                    error = number.error;
                    return false;
                }
                return true;
            }
            add(number.value);
            return true;
        });
        if (error) {
            return error;
        }
    }
    return std::nullopt;
}

Variant fnSum(Evaluator& e, const Args& args) {
    double sum = 0.0;
    if (auto error = forEachNumber(e, args, true, [&](double x) { sum += x; })) {
        return Variant(*error);
    }
    return numberOrError(sum);
}

Variant fnCount(Evaluator& e, const Args& args) {
    double count = 0.0;
    forEachNumber(e, args, false, [&](double) { count += 1.0; });
    return Variant(count);
}

Variant fnAverage(Evaluator& e, const Args& args) {
    double sum = 0.0;
    double count = 0.0;
    if (auto error = forEachNumber(e, args, true, [&](double x) {
            sum += x;
            count += 1.0;
        })) {
        return Variant(*error);
    }
    if (count == 0.0) {
        return Variant(CellError::Div0);
    }
    return numberOrError(sum / count);
}

template <bool IsMax>
Variant fnExtreme(Evaluator& e, const Args& args) {
    std::optional<double> best;
    if (auto error = forEachNumber(e, args, true, [&](double x) {
            if (!best || (IsMax ? x > *best : x < *best)) {
                best = x;
            }
        })) {
        return Variant(*error);
    }
    return Variant(best.value_or(0.0));
}

// ---- the table --------------------------------------------------------------------------------

constexpr std::array<Builtin, 25> table{{
    {"ABS", 1, 1, fnAbs},
    {"AND", 1, Unlimited, fnLogical<true>},
    {"AVERAGE", 1, Unlimited, fnAverage},
    {"CONCATENATE", 1, Unlimited, fnConcatenate},
    {"COUNT", 1, Unlimited, fnCount},
    {"IF", 2, 3, fnIf},
    {"IFERROR", 2, 2, fnIfError},
    {"ISBLANK", 1, 1, fnIsBlank},
    {"ISERROR", 1, 1, fnIsError},
    {"ISNUMBER", 1, 1, fnIsNumber},
    {"ISTEXT", 1, 1, fnIsText},
    {"LEFT", 1, 2, fnSide<true>},
    {"LEN", 1, 1, fnLen},
    {"LOWER", 1, 1, fnLower},
    {"MAX", 1, Unlimited, fnExtreme<true>},
    {"MID", 3, 3, fnMid},
    {"MIN", 1, Unlimited, fnExtreme<false>},
    {"NOT", 1, 1, fnNot},
    {"OR", 1, Unlimited, fnLogical<false>},
    {"RIGHT", 1, 2, fnSide<false>},
    {"ROUND", 2, 2, fnRound},
    {"SUM", 1, Unlimited, fnSum},
    {"TRIM", 1, 1, fnTrim},
    {"UPPER", 1, 1, fnUpper},
    {"VALUE", 1, 1, fnValue},
}};

}  // namespace

std::span<const Builtin> builtins() {
    return table;
}

int findBuiltin(std::string_view name) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (base::equalsIgnoringCase(table[i].name, name)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace kavex::formula
