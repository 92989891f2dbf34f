#include <cmath>
#include <string>
#include <vector>

#include "platform/base/Conversions.h"
#include "platform/base/DecimalDigits.h"
#include "platform/base/Format.h"
#include "platform/base/FormatPattern.h"
#include "platform/base/Locale.h"

namespace kavex::base {

namespace {

// One piece of a number pattern section.
struct Piece {
    enum Kind { IntegerPlace, FractionPlace, DecimalPoint, Literal } kind;
    char placeholder = 0;  // '0', '#' or '?'
    std::string literal;
};

struct NumberPattern {
    std::vector<Piece> pieces;
    int integerPlaces = 0;
    int fractionPlaces = 0;
    // Integer places from the leftmost "0" on: at least this many integer digits are shown.
    int minimumIntegerDigits = 0;
    // Fraction places up to the rightmost "0" or "?": these are never dropped.
    int requiredFractionDigits = 0;
    int percentCount = 0;
    bool grouping = false;
};

NumberPattern parseSection(std::string_view section) {
    NumberPattern pattern;
    bool afterPoint = false;
    int firstZero = -1;
    const auto literal = [&](std::string text) {
        if (!pattern.pieces.empty() && pattern.pieces.back().kind == Piece::Literal) {
            pattern.pieces.back().literal += text;
        } else {
            pattern.pieces.push_back({Piece::Literal, 0, std::move(text)});
        }
    };
    for (std::size_t i = 0; i < section.size(); ++i) {
        const char c = section[i];
        switch (c) {
            case '0':
            case '#':
            case '?':
                if (afterPoint) {
                    pattern.pieces.push_back({Piece::FractionPlace, c, {}});
                    ++pattern.fractionPlaces;
                    if (c != '#') {
                        pattern.requiredFractionDigits = pattern.fractionPlaces;
                    }
                } else {
                    pattern.pieces.push_back({Piece::IntegerPlace, c, {}});
                    if (c == '0' && firstZero < 0) {
                        firstZero = pattern.integerPlaces;
                    }
                    ++pattern.integerPlaces;
                }
                break;
            case '.':
                if (afterPoint) {
                    literal(".");
                } else {
                    afterPoint = true;
                    pattern.pieces.push_back({Piece::DecimalPoint, 0, {}});
                }
                break;
            case ',':
                // Between integer places it asks for grouping; elsewhere it is text.
                if (!afterPoint && pattern.integerPlaces > 0) {
                    pattern.grouping = true;
                } else {
                    literal(",");
                }
                break;
            case '%':
                ++pattern.percentCount;
                literal("%");
                break;
            case '\\':
                if (i + 1 < section.size()) {
                    literal(std::string(1, section[++i]));
                }
                break;
            case '"': {
                const auto close = section.find('"', i + 1);
                const auto end = close == std::string_view::npos ? section.size() : close;
                literal(std::string(section.substr(i + 1, end - i - 1)));
                i = end;
                break;
            }
            case '[': {
                // Colour and condition codes of the host's number formats show nothing.
                const auto close = section.find(']', i + 1);
                i = close == std::string_view::npos ? section.size() : close;
                break;
            }
            default:
                literal(std::string(1, c));
                break;
        }
    }
    pattern.minimumIntegerDigits = firstZero < 0 ? 0 : pattern.integerPlaces - firstZero;
    return pattern;
}

std::string applySection(const NumberPattern& pattern, double magnitude) {
    const Locale& locale = currentLocale();
    DecimalDigits digits = shownDigits(std::fabs(magnitude));
    digits = scaleByPowerOfTen(digits, 2 * pattern.percentCount);
    digits = roundToPlaces(digits, pattern.fractionPlaces);

    std::string integer = digits.integerDigits();
    if (static_cast<int>(integer.size()) < pattern.minimumIntegerDigits) {
        integer.insert(0, static_cast<std::size_t>(pattern.minimumIntegerDigits) - integer.size(),
                       '0');
    }
    std::string fraction = digits.fractionDigits(pattern.fractionPlaces);
    while (static_cast<int>(fraction.size()) > pattern.requiredFractionDigits &&
           fraction.back() == '0') {
        fraction.pop_back();
    }

    const int length = static_cast<int>(integer.size());
    const auto emitDigit = [&](std::string& out, int index) {
        out += integer[static_cast<std::size_t>(index)];
        const int remaining = length - 1 - index;
        if (pattern.grouping && remaining > 0 && remaining % 3 == 0) {
            out += locale.groupingSeparator;
        }
    };

    std::string out;
    int integerPlace = 0;
    int fractionPlace = 0;
    for (const Piece& piece : pattern.pieces) {
        switch (piece.kind) {
            case Piece::IntegerPlace: {
                // Digits beyond the places go to the leftmost place; places beyond the digits
                // show nothing ("#") or a blank ("?").
                const int index = length - pattern.integerPlaces + integerPlace;
                if (integerPlace == 0) {
                    for (int j = 0; j < index; ++j) {
                        emitDigit(out, j);
                    }
                }
                if (index >= 0) {
                    emitDigit(out, index);
                } else if (piece.placeholder == '?') {
                    out += ' ';
                }
                ++integerPlace;
                break;
            }
            case Piece::DecimalPoint:
                if (pattern.integerPlaces == 0) {
                    // A pattern without integer places still shows the integer digits.
                    for (int j = 0; j < length; ++j) {
                        emitDigit(out, j);
                    }
                }
                out += locale.decimalSeparator;
                break;
            case Piece::FractionPlace:
                if (fractionPlace < static_cast<int>(fraction.size())) {
                    out += fraction[static_cast<std::size_t>(fractionPlace)];
                } else if (piece.placeholder == '?') {
                    out += ' ';
                }
                ++fractionPlace;
                break;
            case Piece::Literal:
                out += piece.literal;
                break;
        }
    }
    return out;
}

// True when the value rounds to zero in this section, so that it shows no minus sign.
bool roundsToZero(const NumberPattern& pattern, double value) {
    DecimalDigits digits = scaleByPowerOfTen(shownDigits(value), 2 * pattern.percentCount);
    return roundToPlaces(digits, pattern.fractionPlaces).isZero();
}

}  // namespace

std::string formatNumber(double value, std::string_view patternText) {
    const ResolvedPattern resolved = resolvePattern(patternText);
    if (resolved.kind == ResolvedPattern::GeneralNumber || resolved.pattern.empty()) {
        return numberToText(value);
    }
    if (resolved.kind == ResolvedPattern::GeneralDate) {
        return formatGeneralDate(Date{value});
    }
    if (!std::isfinite(value)) {
        return numberToText(value);
    }
    if (isDatePattern(resolved.pattern)) {
        return formatDate(Date{value}, resolved.pattern);
    }
    const std::vector<std::string_view> sections = splitSections(resolved.pattern);
    if (value < 0 && sections.size() >= 2 && !sections[1].empty()) {
        // The negative section carries its own signs and brackets.
        return applySection(parseSection(sections[1]), value);
    }
    if (value == 0 && sections.size() >= 3 && !sections[2].empty()) {
        return applySection(parseSection(sections[2]), value);
    }
    const NumberPattern pattern = parseSection(sections[0]);
    std::string text = applySection(pattern, value);
    if (value < 0 && !roundsToZero(pattern, value)) {
        text.insert(0, 1, '-');
    }
    return text;
}

}  // namespace kavex::base
