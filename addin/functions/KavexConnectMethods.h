#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/base/Variant.h"
#include "platform/spreadsheet/Application.h"

namespace kavex::addin::functions {

enum class MethodKind {
    SymbolFunction,    // a worksheet function taking a symbol
    ExchangeFunction,  // a worksheet function taking an exchange code
    OtherMethod,       // CreateAlert and the automation methods; implemented elsewhere
};

// One method of the add-in class's interface. call is set for the worksheet functions: it turns
// the cell's argument into the method's text argument (see MethodArgument) and returns the
// worker's result unchanged. Other methods leave call empty for their owners to bind.
struct InterfaceMethod {
    std::string_view name;
    MethodKind kind;
    // The argument's name in the type library: pstrSymbol, pstrXchng or pstrExchange.
    std::string_view parameter;
    std::function<base::Variant(const base::Variant& argument)> call;
};

// The 227 methods of KavexConnect in interface order: 37 classic symbol functions, CreateAlert,
// SYMEXCG, SYMDATAASOF, 16 classic exchange functions, InitializeAddInVariables, eShowBrowser,
// KavexAddSymbol, KavexAutoUpdate, 16 prefixed exchange functions and 151 prefixed symbol
// functions. The 222 worksheet functions are the entries with a call.
const std::vector<InterfaceMethod>& KavexConnectMethods();

// The text a method receives for a cell's argument, as a text parameter receives it: the empty
// text for an empty cell, numbers, truth values and dates in their text form. An error value, a
// missing argument or Null does not convert: PlatformError 13 (type mismatch), which makes the
// call fail and the host show its own error value.
std::string MethodArgument(const base::Variant& argument);

// The method as the host calls a worksheet function: one argument, the cell's value. No argument
// or more than one fails the call (the host shows its own error value). Empty for a method
// without a call.
sheet::WorksheetFunction WorksheetFunctionFor(const InterfaceMethod& method);

// Calls a worksheet function by its exact name; nullopt when there is none.
std::optional<base::Variant> CallWorksheetFunction(std::string_view name,
                                                   const base::Variant& argument);

}  // namespace kavex::addin::functions
