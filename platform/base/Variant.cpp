#include "platform/base/Variant.h"

#include "platform/base/PlatformError.h"

namespace kavex::base {

std::string_view cellErrorText(CellError error) {
    switch (error) {
        case CellError::Name:
            return "#NAME?";
        case CellError::Value:
            return "#VALUE!";
        case CellError::Ref:
            return "#REF!";
        case CellError::Div0:
            return "#DIV/0!";
        case CellError::NA:
            return "#N/A";
        case CellError::Num:
            return "#NUM!";
    }
    return "#VALUE!";
}

namespace {
template <typename T, typename V>
const T& get(const V& value) {
    if (const T* p = std::get_if<T>(&value)) {
        return *p;
    }
    throw PlatformError(errors::TypeMismatch, "Type mismatch");
}
}  // namespace

bool Variant::boolean() const {
    return get<bool>(value_);
}
double Variant::number() const {
    return get<double>(value_);
}
void Variant::notText() {
    throw PlatformError(errors::TypeMismatch, "Type mismatch");
}
Date Variant::date() const {
    return get<Date>(value_);
}
CellError Variant::error() const {
    return get<CellError>(value_);
}

}  // namespace kavex::base
