#include "addin/functions/KavexConnectMethods.h"

#include <span>

#include "addin/functions/ExchangeWorkers.h"
#include "addin/functions/FunctionTables.h"
#include "addin/functions/SymbolWorkers.h"
#include "platform/base/Conversions.h"
#include "platform/base/PlatformError.h"

namespace kavex::addin::functions {

namespace {

using base::Variant;

// The classic symbol functions before CreateAlert; SYMEXCG and SYMDATAASOF follow it.
constexpr std::size_t kClassicBeforeAlert = 37;

constexpr long kWrongNumberOfArguments = 450;

InterfaceMethod symbolMethod(const SymbolFunction& function) {
    return {function.name, MethodKind::SymbolFunction, "pstrSymbol",
            [&function](const Variant& argument) {
                return RunSymbolWorker(function, MethodArgument(argument));
            }};
}

InterfaceMethod exchangeMethod(const ExchangeFunction& function) {
    std::string_view parameter =
        function.worker == ExchangeWorker::DataDate ? "pstrExchange" : "pstrXchng";
    return {function.name, MethodKind::ExchangeFunction, parameter,
            [&function](const Variant& argument) {
                return Variant(RunExchangeWorker(function, MethodArgument(argument)));
            }};
}

InterfaceMethod otherMethod(std::string_view name) {
    return {name, MethodKind::OtherMethod, {}, {}};
}

std::vector<InterfaceMethod> buildInterface() {
    std::span<const SymbolFunction> symbols = SymbolFunctionTable();
    std::span<const ExchangeFunction> exchanges = ExchangeFunctionTable();
    std::vector<InterfaceMethod> methods;

    auto classicSymbols = symbols.first(39);
    auto prefixedSymbols = symbols.subspan(39);
    auto classicExchanges = exchanges.first(16);
    auto prefixedExchanges = exchanges.subspan(16);

    for (const auto& f : classicSymbols.first(kClassicBeforeAlert)) {
        methods.push_back(symbolMethod(f));
    }
    methods.push_back(otherMethod("CreateAlert"));
    for (const auto& f : classicSymbols.subspan(kClassicBeforeAlert)) {
        methods.push_back(symbolMethod(f));
    }
    for (const auto& f : classicExchanges)
        methods.push_back(exchangeMethod(f));
    for (std::string_view name :
         {"InitializeAddInVariables", "eShowBrowser", "KavexAddSymbol", "KavexAutoUpdate"}) {
        methods.push_back(otherMethod(name));
    }
    for (const auto& f : prefixedExchanges)
        methods.push_back(exchangeMethod(f));
    for (const auto& f : prefixedSymbols)
        methods.push_back(symbolMethod(f));
    return methods;
}

}  // namespace

const std::vector<InterfaceMethod>& KavexConnectMethods() {
    static const std::vector<InterfaceMethod> methods = buildInterface();
    return methods;
}

std::string MethodArgument(const Variant& argument) {
    switch (argument.type()) {
        case base::VarType::Empty:
            return {};
        case base::VarType::Text:
            return argument.text();
        case base::VarType::Number:
        case base::VarType::Boolean:
        case base::VarType::Date:
            return base::CStr(argument);
        case base::VarType::Null:
        case base::VarType::Missing:
        case base::VarType::Error:
            break;
    }
    throw base::PlatformError(base::errors::TypeMismatch, "Type mismatch");
}

sheet::WorksheetFunction WorksheetFunctionFor(const InterfaceMethod& method) {
    if (!method.call)
        return {};
    return [call = method.call](const std::vector<formula::Argument>& arguments) {
        if (arguments.size() != 1) {
            throw base::PlatformError(kWrongNumberOfArguments,
                                      "Wrong number of arguments or invalid property assignment");
        }
        return call(arguments.front().value);
    };
}

std::optional<Variant> CallWorksheetFunction(std::string_view name, const Variant& argument) {
    if (const SymbolFunction* f = FindSymbolFunction(name)) {
        return RunSymbolWorker(*f, MethodArgument(argument));
    }
    if (const ExchangeFunction* f = FindExchangeFunction(name)) {
        return Variant(RunExchangeWorker(*f, MethodArgument(argument)));
    }
    return std::nullopt;
}

}  // namespace kavex::addin::functions
