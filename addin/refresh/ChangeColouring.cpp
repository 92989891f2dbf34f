#include "addin/refresh/ChangeColouring.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "addin/core/Errors.h"
#include "addin/core/Globals.h"
#include "addin/core/Workbooks.h"
#include "addin/refresh/ExcelHost.h"
#include "platform/base/Conversions.h"
#include "platform/base/Text.h"
#include "platform/os/Clock.h"
#include "platform/spreadsheet/Application.h"

namespace kavex::addin::refresh {

namespace {

// Functions whose cells flash when their value changes.
constexpr std::string_view kFlashFunctions =
    ",KavexEXCGChange,KavexEXCGChPerc,KavexChPerc,KavexChange,KavexChangeFWL,KavexChangeFWLP,"
    "KavexChangeFWH,KavexChangeFWHP,KavexChangeEightDayMA,KavexChangeEightDayMAP,"
    "KavexChangeThirteenDayMA,KavexChangeThirteenDayMAP,KavexChangeThirtyDayMA,"
    "KavexChangeThirtyDayMAP,KavexChangeHundredDayMA,KavexChangeHundredDayMAP,KavexLast,";

// Functions whose cells are coloured by the sign of their value.
constexpr std::string_view kSignColourFunctions =
    ",CHANGEP,CHANGE,CHANGEFWL,CHANGEFWLP,CHANGEFWH,CHANGEFWHP,CHANGEEightDAYMA,"
    "CHANGEEightDAYMAP,CHANGEThirteenDAYMA,CHANGEThirteenDAYMAP,CHANGEThirtyDAYMA,"
    "CHANGEThirtyDAYMAP,CHANGEHundredDAYMA,CHANGEHundredDAYMAP,EXCGCHANGEP,EXCGCHANGE,"
    "KavexEXCGChange,KavexEXCGChPerc,KavexChPerc,KavexChange,KavexChangeFWL,KavexChangeFWLP,"
    "KavexChangeFWH,KavexChangeFWHP,KavexChangeEightDayMA,KavexChangeEightDayMAP,"
    "KavexChangeThirteenDayMA,KavexChangeThirteenDayMAP,KavexChangeThirtyDayMA,"
    "KavexChangeThirtyDayMAP,KavexChangeHundredDayMA,KavexChangeHundredDayMAP,KavexPrEarn,"
    "KavexEarnShr,";

// A cell whose formula carries this text is the link that adds its symbol to a watch list: its
// font colour is its own.
constexpr std::string_view kToWatchListLink = "To Watch List\xE2\x80\xA6";

// The host versions from 12 on flash with the font; earlier ones with the fill.
constexpr int kFontFlashVersion = 12;

// The function name of a formula: the text after its "=" up to the first "(", or the whole text
// when it calls nothing (hasCall false). A called name is compared without regard to case, the
// whole text of a formula that calls nothing as it is.
struct FunctionName {
    std::string_view name;
    bool hasCall = false;
};

FunctionName functionNameOf(std::string_view formula) {
    if (!formula.empty() && formula.front() == '=') {
        formula.remove_prefix(1);
    }
    const std::size_t paren = formula.find('(');
    if (paren == std::string_view::npos) {
        return {formula, false};
    }
    return {formula.substr(0, paren), true};
}

// A function list as it is compared: lower-cased once, its names in order in one block, so that
// a cell's name is found by a binary search that neither copies nor lower-cases it, and touches
// little memory between one cell's reader call and the next.
struct FunctionList {
    explicit FunctionList(std::string_view list) : lowered(base::toLowerAscii(list)) {
        std::size_t start = 0;
        while (start < lowered.size()) {
            std::size_t end = lowered.find(',', start);
            if (end == std::string::npos) {
                end = lowered.size();
            }
            if (end > start) {
                names.push_back(std::string_view(lowered).substr(start, end - start));
            }
            start = end + 1;
        }
        std::sort(names.begin(), names.end());
        names.erase(std::unique(names.begin(), names.end()), names.end());
    }
    FunctionList(const FunctionList&) = delete;  // the names point into lowered
    FunctionList& operator=(const FunctionList&) = delete;

    std::string lowered;
    std::vector<std::string_view> names;  // lower-case, sorted
};

const FunctionList& flashList() {
    static const FunctionList list(kFlashFunctions);
    return list;
}

const FunctionList& signColourList() {
    static const FunctionList list(kSignColourFunctions);
    return list;
}

// Whether the list, lower-cased, holds "," & name & "," (the name lower-cased first when it is a
// called function's).
bool listHolds(const FunctionList& list, const FunctionName& function) {
    std::string_view name = function.name;
    if (name.find(',') != std::string_view::npos) {
        const std::string text = function.hasCall ? base::toLowerAscii(name) : std::string(name);
        return list.lowered.find("," + text + ",") != std::string::npos;
    }
    // A called name is lower-cased where it stands, on the stack; no listed name is this long.
    std::array<char, 64> lowered{};
    if (function.hasCall) {
        if (name.size() > lowered.size()) {
            return false;
        }
        std::transform(name.begin(), name.end(), lowered.begin(),
                       [](char c) { return base::toLowerAscii(c); });
        name = std::string_view(lowered.data(), name.size());
    }
    return std::binary_search(list.names.begin(), list.names.end(), name);
}

}  // namespace

int ChangeFlashIndex(const std::string& oldValue, const std::string& newValue) {
    const bool oldNumeric = base::IsNumeric(base::Variant(oldValue));
    const bool newNumeric = base::IsNumeric(base::Variant(newValue));
    if (oldNumeric && newNumeric) {
        const double rise =
            base::CDbl(base::Variant(newValue)) - base::CDbl(base::Variant(oldValue));
        return rise > 0 ? kRiseFlashIndex : (rise < 0 ? kFallFlashIndex : 0);
    }
    if (newNumeric) {
        return kFallFlashIndex;
    }
    if (oldNumeric) {
        return kRiseFlashIndex;
    }
    return 0;
}

namespace {

int majorVersionOf(const std::string& version) {
    const std::string major = version.substr(0, version.find('.'));
    return static_cast<int>(base::CDbl(base::Variant(major)));
}

bool isHidden(const sheet::Range& row) {
    const base::Variant hidden = row.hidden();
    return hidden.isBool() && hidden.boolean();
}

long numberOf(const base::Variant& value) {
    return static_cast<long>(base::CDbl(value));
}

// A fill's colour index and colour, kept while the cell flashes.
struct SavedFill {
    long colorIndex = 0;
    long color = 0;
};

// The fill to flash: the n-th conditional format's when the cell has any, else the cell's own.
sheet::Interior flashedFill(const sheet::Range& cell, bool conditional, int n) {
    return conditional ? cell.formatConditions().item(n).interior() : cell.interior();
}

}  // namespace

namespace {

// SetChangeCellColor, with the cell's value when the caller has just read it (nullptr: read it).
void colourCell(sheet::Range& cell, sheet::Worksheet& sheet, const std::string& sheetKind,
                const std::string* value);

}  // namespace

bool RecalculateRowCells(sheet::Range& row, sheet::Worksheet& sheet, const std::string& sheetKind) {
    core::StepTrap trap;

    // 1. A hidden row stays as it is.
    bool hidden = false;
    trap([&] { hidden = isHidden(row); });
    if (hidden) {
        return true;
    }

    // 2. The host's major version decides the flash style.
    int majorVersion = 0;
    trap([&] { majorVersion = majorVersionOf(Excel().version()); });
    const bool fontFlash = majorVersion >= kFontFlashVersion;

    // 3. Each formula cell without a hyperlink, left to right.
    std::vector<sheet::Range> cells;
    trap([&] { cells = row.eachCell(); });
    for (sheet::Range& cell : cells) {
        bool eligible = false;
        // The links first: a row's links lie together, while its link cells' contents would each
        // be read from memory of their own only to be passed over.
        trap([&] { eligible = cell.hyperlinks().count() == 0 && cell.hasFormula(); });
        if (!eligible) {
            continue;
        }

        // 3.1 The value before and after recalculating the cell alone.
        std::string oldValue;
        std::string newValue;
        trap([&] { oldValue = base::CStr(cell.value()); });
        trap([&] { cell.calculate(); });
        bool newValueRead = false;
        trap([&] {
            newValue = base::CStr(cell.value());
            newValueRead = true;
        });

        // 3.2 A price or change that moved flashes (values differing only in case did not move).
        int flashIndex = 0;
        trap([&] {
            if (base::equalsIgnoringCase(oldValue, newValue)) {
                return;
            }
            const std::string formula = cell.formula();
            const FunctionName function = functionNameOf(formula);
            if (function.hasCall && listHolds(flashList(), function)) {
                flashIndex = ChangeFlashIndex(oldValue, newValue);
            }
        });

        // 3.3 Start the flash.
        bool flashing = false;
        bool conditional = false;
        std::vector<SavedFill> saved;
        if (flashIndex != 0) {
            flashing = true;
            if (fontFlash) {
                trap([&] { cell.font().setBold(true); });
                trap([&] { cell.font().setSize(base::CDbl(cell.font().size()) + 2); });
            } else {
                int conditions = 0;
                trap([&] { conditions = cell.formatConditions().count(); });
                conditional = conditions > 0;
                for (int n = 1; n <= (conditional ? conditions : 1); ++n) {
                    trap([&] {
                        const sheet::Interior fill = flashedFill(cell, conditional, n);
                        saved.push_back({numberOf(fill.colorIndex()), numberOf(fill.color())});
                    });
                    trap([&] { flashedFill(cell, conditional, n).setColorIndex(flashIndex); });
                }
            }
        }

        // 3.4 Every cell that got here is coloured by its sign, changed or not.
        colourCell(cell, sheet, sheetKind, newValueRead ? &newValue : nullptr);

        // 3.5 The flash shows for a moment (the thread sleeps, nothing else runs), then ends.
        if (flashing) {
            os::Sleep(kFlashMilliseconds);
            if (fontFlash) {
                trap([&] { cell.font().setBold(false); });
                trap([&] { cell.font().setSize(base::CDbl(cell.font().size()) - 2); });
            } else {
                for (std::size_t k = 0; k < saved.size(); ++k) {
                    trap([&] {
                        sheet::Interior fill =
                            flashedFill(cell, conditional, static_cast<int>(k + 1));
                        if (saved[k].colorIndex != 0 || saved[k].color == 0) {
                            fill.setColorIndex(static_cast<int>(saved[k].colorIndex));
                        } else if (saved[k].color > 0) {
                            fill.setColor(saved[k].color);
                        }
                    });
                }
            }
        }
    }

    // 4.
    return true;
}

void SetChangeCellColor(sheet::Range& cell, sheet::Worksheet& sheet, const std::string& sheetKind) {
    colourCell(cell, sheet, sheetKind, nullptr);
}

namespace {

void colourCell(sheet::Range& cell, sheet::Worksheet& sheet, const std::string& sheetKind,
                const std::string* value) {
    core::StepTrap trap;

    // 1. Black unless the value says otherwise.
    long color = kNeutralColor;
    bool setColor = true;

    // 2. The value as text, a trailing "%" dropped.
    std::string text;
    if (value != nullptr) {
        text = *value;
    } else {
        trap([&] { text = base::CStr(cell.value()); });
    }
    if (!text.empty() && text.back() == '%') {
        text.pop_back();
    }

    // Read once: whether the text is numeric and, when it is, its sign.
    std::optional<double> number;
    trap([&] { number = base::parseNumber(text); });
    const bool numeric = number.has_value();
    const auto bySign = [&number] {
        const double value = *number;
        return value > 0 ? kPositiveColor : (value < 0 ? kNegativeColor : kNeutralColor);
    };

    if (numeric) {
        // 3.1 A change function's cell.
        bool signColoured = false;
        trap([&] {
            const std::string formula = cell.formula();
            signColoured = listHolds(signColourList(), functionNameOf(formula));
        });
        if (signColoured) {
            trap([&] { color = bySign(); });
        } else if (sheetKind == core::kPortfolio) {
            // 3.2 The gain and loss columns of a portfolio: the cells below their headers.
            std::int32_t dollarRow = 0, percentRow = 0;
            int dollarColumn = 0, percentColumn = 0;
            trap([&] {
                const sheet::Range header = sheet.range("PortfolioGainLossDollar");
                dollarColumn = header.column();
                dollarRow = header.row();
            });
            trap([&] {
                const sheet::Range header = sheet.range("PortfolioGainLossPercentage");
                percentColumn = header.column();
                percentRow = header.row();
            });
            trap([&] {
                const int column = cell.column();
                const int row = cell.row();
                const bool gainLoss = (column == dollarColumn && row > dollarRow) ||
                                      (column == percentColumn && row > percentRow);
                if (gainLoss) {
                    color = bySign();
                }
            });
        }
        // 3.3 Any other number stays black.
    } else {
        // 4. Texts are black, except the watch-list link, which keeps its own colour.
        trap([&] {
            if (cell.formula().find(kToWatchListLink) != std::string::npos) {
                setColor = false;
            }
        });
    }

    // 5.
    if (setColor) {
        trap([&] { cell.font().setColor(color); });
    }
}

}  // namespace

}  // namespace kavex::addin::refresh
