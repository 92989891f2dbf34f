#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace kavex::addin::functions {

// The two families of worksheet functions: the classic upper-case names kept from the previous
// version of the add-in, and the prefixed "Kavex..." names. Classic calls pass the new-macro flag
// False to the readers (and may show the deprecation notice), prefixed calls pass True.
enum class Family { Classic, Prefixed };

// How a symbol function's worker computes its value.
enum class SymbolWorker {
    Single = 1,           // one tag through the formatted reader
    Name = 2,             // tag Name, "%26" turned into "&"
    DividendPayDate = 3,  // tag DivDate, "00000000" shown as "N/A"
    Range = 4,            // "low - high" in currency; tag = high, otherTag = low
    Difference = 5,       // Last minus tag, in currency
    Percentage = 6,       // pairedFunction's difference divided by otherTag, in percent
    OptionWord = 7,       // word(s) of the KavexName value at position `word`
    DataDate = 8,         // the cached row's fetch date
};

// How an exchange function's worker computes its value.
enum class ExchangeWorker {
    Single = 1,         // one tag through the formatted reader
    Name = 2,           // tag Name, "%26" turned into "&"
    Range = 3,          // "low - high" as number; tag = high, otherTag = low
    ChangePercent = 4,  // pairedFunction's change divided by otherTag (Last), in percent
    DataDate = 5,       // the cached row's fetch date
};

struct SymbolFunction {
    std::string_view name;
    Family family;
    SymbolWorker worker;
    // The element read under Stock: the single tag, the range's high side, the difference's
    // reference, the option words' source element.
    std::string_view tag;
    // The range's low side or the percentage's divisor.
    std::string_view otherTag;
    // The difference function a percentage function divides.
    std::string_view pairedFunction;
    // The option word position (the expiry date joins words 1 and 2); -1 for other workers.
    int word;

    bool newMacro() const { return family == Family::Prefixed; }
};

struct ExchangeFunction {
    std::string_view name;
    Family family;
    ExchangeWorker worker;
    std::string_view tag;
    std::string_view otherTag;
    std::string_view pairedFunction;

    bool newMacro() const { return family == Family::Prefixed; }
};

// The 190 symbol functions: the 39 classic ones, then the 151 prefixed ones in interface order.
std::span<const SymbolFunction> SymbolFunctionTable();
// The 32 exchange functions: the 16 classic ones, then the 16 prefixed ones, in interface order.
std::span<const ExchangeFunction> ExchangeFunctionTable();

// Look-ups by exact name; nullptr when there is no such function.
const SymbolFunction* FindSymbolFunction(std::string_view name);
const ExchangeFunction* FindExchangeFunction(std::string_view name);

// The keys by which the refresh engine recognises the add-in's formulas: every symbol function
// except the six that sheets never carry as attribute columns, plus three names kept from older
// sheets for which no function exists (187 keys); every exchange function plus KavexEXCGSymbol
// (33 keys). In table order, the extra keys last.
std::span<const std::string_view> SymbolFunctionNameKeys();
std::span<const std::string_view> ExchangeFunctionNameKeys();

// The 50 header captions of managed sheets and the prefixed function that fills each column; a
// caption is matched exactly, first row wins.
struct CaptionFunction {
    std::string_view caption;
    std::string_view function;
};
std::span<const CaptionFunction> CaptionFunctionTable();
// The function of a header caption; the empty text when the caption is not in the table.
std::string_view FunctionForCaption(std::string_view caption);

}  // namespace kavex::addin::functions
