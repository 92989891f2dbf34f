#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "platform/base/Date.h"

namespace kavex::base {

// The error values a cell can hold, each with the spreadsheet's own error number (the number a
// macro sees in the error value: xlErrNum is 2036).
enum class CellError { Name = 2029, Value = 2015, Ref = 2023, Div0 = 2007, NA = 2042, Num = 2036 };

// Every error value, for readers that look one up by its text.
inline constexpr CellError allCellErrors[] = {CellError::Name, CellError::Value, CellError::Ref,
                                              CellError::Div0, CellError::NA,    CellError::Num};

// "#NAME?", "#VALUE!", "#REF!", "#DIV/0!", "#N/A", "#NUM!".
std::string_view cellErrorText(CellError error);

enum class VarType { Empty, Null, Missing, Boolean, Number, Text, Date, Error };

// The runtime's Variant: one value of any kind a procedure, a cell or a recordset field can hold.
class Variant {
  public:
    struct EmptyTag {
        friend bool operator==(EmptyTag, EmptyTag) = default;
    };
    struct NullTag {
        friend bool operator==(NullTag, NullTag) = default;
    };
    struct MissingTag {
        friend bool operator==(MissingTag, MissingTag) = default;
    };

    Variant() = default;
    Variant(const Variant&) = default;
    Variant(Variant&&) noexcept = default;
    Variant& operator=(Variant&&) noexcept = default;
    // A text written over a text (what recalculation does to most cells and arguments) reuses the
    // buffer without dispatching on both kinds.
    Variant& operator=(const Variant& other) {
        if (auto* to = std::get_if<std::string>(&value_)) {
            if (const auto* from = std::get_if<std::string>(&other.value_)) {
                *to = *from;
                return *this;
            }
        }
        value_ = other.value_;
        return *this;
    }
    Variant(bool value) : value_(value) {}
    Variant(double value) : value_(value) {}
    Variant(int value) : value_(static_cast<double>(value)) {}
    Variant(long value) : value_(static_cast<double>(value)) {}
    Variant(long long value) : value_(static_cast<double>(value)) {}
    Variant(std::string value) : value_(std::move(value)) {}
    Variant(std::string_view value) : value_(std::string(value)) {}
    Variant(const char* value) : value_(std::string(value)) {}
    Variant(Date value) : value_(value) {}
    Variant(CellError value) : value_(value) {}

    static Variant empty() { return Variant(); }
    static Variant null() { return Variant(NullTag{}); }
    static Variant missing() { return Variant(MissingTag{}); }

    VarType type() const { return static_cast<VarType>(value_.index()); }
    bool isEmpty() const { return type() == VarType::Empty; }
    bool isNull() const { return type() == VarType::Null; }
    bool isMissing() const { return type() == VarType::Missing; }
    bool isBool() const { return type() == VarType::Boolean; }
    bool isNumber() const { return type() == VarType::Number; }
    bool isText() const { return type() == VarType::Text; }
    bool isDate() const { return type() == VarType::Date; }
    bool isError() const { return type() == VarType::Error; }

    // Accessors for a value known to be of that kind; they throw PlatformError 13 (type mismatch)
    // otherwise. Conversions between kinds live in Conversions.h.
    bool boolean() const;
    double number() const;
    const std::string& text() const {
        if (const auto* text = std::get_if<std::string>(&value_)) [[likely]] {
            return *text;
        }
        notText();
    }
    Date date() const;
    CellError error() const;

    friend bool operator==(const Variant&, const Variant&) = default;

  private:
    [[noreturn]] static void notText();
    explicit Variant(NullTag tag) : value_(tag) {}
    explicit Variant(MissingTag tag) : value_(tag) {}

    // The order follows VarType.
    std::variant<EmptyTag, NullTag, MissingTag, bool, double, std::string, Date, CellError> value_;
};

}  // namespace kavex::base
