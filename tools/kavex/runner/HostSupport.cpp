#include "tools/kavex/runner/HostSupport.h"

#include "platform/base/Conversions.h"
#include "platform/base/PlatformError.h"
#include "tools/kavex/runner/ScriptErrors.h"

namespace kavex::tool {

sheet::Workbook activeWorkbook(ScenarioContext& context) {
    sheet::Workbook workbook = context.application().activeWorkbook();
    if (workbook.isNothing()) {
        throw ScriptError("no workbook is open (use new or open first)");
    }
    return workbook;
}

sheet::Range resolveReference(ScenarioContext& context, const std::string& reference) {
    activeWorkbook(context);
    try {
        sheet::Range range = context.application().range(reference);
        if (range.isNothing()) {
            throw ScriptError("the reference '" + reference + "' does not resolve");
        }
        return range;
    } catch (const base::PlatformError& error) {
        throw ScriptError("the reference '" + reference + "' does not resolve (" +
                          error.description() + ")");
    }
}

sheet::Range resolveCell(ScenarioContext& context, const std::string& reference) {
    sheet::Range range = resolveReference(context, reference);
    if (range.count() != 1) {
        throw ScriptError("the reference '" + reference + "' must be one cell, not " +
                          cellName(range));
    }
    return range;
}

sheet::Worksheet resolveSheet(ScenarioContext& context, const std::string& name) {
    const sheet::Workbook workbook = activeWorkbook(context);
    try {
        return workbook.worksheets().item(name);
    } catch (const base::PlatformError&) {
        throw ScriptError("the workbook " + workbook.name() + " has no sheet named '" + name + "'");
    }
}

sheet::Workbook resolveWorkbook(ScenarioContext& context, const std::string& name) {
    try {
        return context.application().workbooks().item(name);
    } catch (const base::PlatformError&) {
        throw ScriptError("no open workbook is named '" + name + "'");
    }
}

void goToSheetOf(ScenarioContext& context, const sheet::Range& range) {
    const sheet::Worksheet sheet = range.worksheet();
    if (!(context.application().activeSheet() == sheet)) {
        context.application().activate(sheet);
    }
}

std::string cellName(const sheet::Range& range) {
    return range.worksheet().name() + "!" + range.address(false, false);
}

std::string valueText(const base::Variant& value) {
    switch (value.type()) {
        case base::VarType::Empty:
        case base::VarType::Missing:
            return "";
        case base::VarType::Null:
            return "<mixed>";
        case base::VarType::Error:
            return std::string(base::cellErrorText(value.error()));
        default:
            return base::CStr(value);
    }
}

}  // namespace kavex::tool
