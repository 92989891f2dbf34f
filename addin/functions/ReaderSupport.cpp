#include "addin/functions/ReaderSupport.h"

#include "addin/commandbars/Login.h"
#include "addin/core/Database.h"
#include "addin/core/Globals.h"
#include "addin/core/Workbooks.h"
#include "addin/session/Session.h"
#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"

namespace kavex::addin::functions {

namespace {

constexpr long kObjectVariableNotSet = 91;

sheet::Application& excel() {
    if (!core::ExcelApp) {
        throw base::PlatformError(kObjectVariableNotSet,
                                  "Object variable or With block variable not set");
    }
    return *core::ExcelApp;
}

}  // namespace

void StartLoginIfRequired() {
    if (!session::UserSessionKey.empty())
        return;
    sheet::Workbook active = excel().activeWorkbook();
    if (!core::IsKavexWorkbook(active, false) && !commandbars::LoginInProgress) {
        bool unused = false;
        commandbars::ProcessLoginIfRequired(active, unused);
    }
}

db::Connection& SharedConnection() {
    if (!core::DBConnection || core::DBConnection->State() == 0)
        core::OpenDBConnection();
    if (!core::DBConnection) {
        throw base::PlatformError(kObjectVariableNotSet,
                                  "Object variable or With block variable not set");
    }
    return *core::DBConnection;
}

std::optional<std::string> ElementText(const xml::Document& quote, std::string_view tag) {
    xml::Node node = quote.selectSingleNode("Stock/" + std::string(tag));
    if (!node)
        return std::nullopt;
    std::string text = node.text();
    if (base::Trim(text).empty())
        return std::nullopt;
    return text;
}

void ShowAddinToolbar() {
    std::shared_ptr<office::CommandBar> toolbar = core::ExcelCommandBars.Item("KavexToolbar");
    if (!toolbar->Visible())
        toolbar->setVisible(true);
}

}  // namespace kavex::addin::functions
