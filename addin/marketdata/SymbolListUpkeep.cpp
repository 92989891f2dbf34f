#include "addin/marketdata/SymbolListUpkeep.h"

#include <exception>
#include <vector>

#include "addin/core/Log.h"
#include "addin/core/Strings.h"
#include "addin/core/WebTransport.h"
#include "addin/marketdata/CacheSupport.h"
#include "platform/db/Recordset.h"
#include "platform/xml/Document.h"

namespace kavex::addin::marketdata {

namespace {

// One Item of a symbol-list answer.
struct ListedItem {
    std::string symbol;
    std::string description;
    std::string exchange;
    std::string oldSymbol;
};

enum class ListChange { New, Changed, Delisted };

struct ListPage {
    ListChange change;
    const char* procedure;
    const char* page;
};

std::string childText(const xml::Node& item, std::string_view name) {
    const xml::Node node = item.selectSingleNode(name);
    return node ? node.text() : std::string();
}

std::vector<ListedItem> itemsOf(const xml::Document& answer) {
    std::vector<ListedItem> items;
    for (const xml::Node& item : answer.selectNodes("zurovizout/Symbols/Item")) {
        ListedItem listed{core::TrimWhitespace(childText(item, "Symbol")),
                          childText(item, "Description"),
                          core::TrimWhitespace(childText(item, "Exchange")),
                          core::TrimWhitespace(childText(item, "OldSymbol"))};
        if (!listed.symbol.empty())
            items.push_back(std::move(listed));
    }
    return items;
}

bool listed(db::Connection& connection, const std::string& symbol) {
    db::Recordset rows;
    rows.Open("SELECT Symbol FROM AQ_StockSymbolList WHERE Symbol = " + SqlQuoted(symbol),
              connection);
    const bool found = !rows.Eof();
    rows.Close();
    return found;
}

void storeListed(db::Connection& connection, const ListedItem& item) {
    if (listed(connection, item.symbol)) {
        connection.Execute(
            "UPDATE AQ_StockSymbolList SET Description = " + SqlQuoted(item.description) +
            ", Exchange = " + SqlQuoted(item.exchange) + ", OldSymbol = " +
            SqlQuoted(item.oldSymbol) + " WHERE Symbol = " + SqlQuoted(item.symbol));
    } else {
        connection.Execute(
            "INSERT INTO AQ_StockSymbolList(Symbol, Description, Exchange, OldSymbol) VALUES(" +
            SqlQuoted(item.symbol) + ", " + SqlQuoted(item.description) + ", " +
            SqlQuoted(item.exchange) + ", " + SqlQuoted(item.oldSymbol) + ")");
    }
}

void removeListed(db::Connection& connection, const std::string& symbol) {
    connection.Execute("DELETE FROM AQ_StockSymbolList WHERE Symbol = " + SqlQuoted(symbol));
}

// Applies the answer's items to the list, all or none.
void applyItems(ListChange change, const std::vector<ListedItem>& items) {
    db::Connection& connection = CacheConnection();
    CacheTransaction transaction(connection);
    for (const ListedItem& item : items) {
        switch (change) {
            case ListChange::New:
                storeListed(connection, item);
                break;
            case ListChange::Changed:
                // The old symbol's entry gives way to the new one.
                if (!item.oldSymbol.empty() && item.oldSymbol != item.symbol)
                    removeListed(connection, item.oldSymbol);
                storeListed(connection, item);
                break;
            case ListChange::Delisted:
                removeListed(connection, item.symbol);
                break;
        }
    }
    transaction.commit();
}

std::string fetchList(const ListPage& page, const std::string& sessionKey,
                      const std::string& lastLoginDate, std::string& description) {
    std::string status;
    try {
        core::WriteLog(page.procedure, 3, std::string("Entering ") + page.procedure);
        xml::Document answer;
        status = core::CallWebService(page.page,
                                      "SessionKey=" + core::URLEncode(sessionKey) +
                                          "&LastLoginDate=" + core::URLEncode(lastLoginDate),
                                      answer, description);
        if (status == kOK) {
            applyItems(page.change, itemsOf(answer));
            status.clear();
        }
    } catch (const std::exception& error) {
        status = kFail;
        description = "Error while updating the symbol list: " + ErrorText(error);
    }
    if (!status.empty())
        core::WriteLog(page.procedure, 1,
                       "Error Code : " + status + " Error Description : " + description);
    core::WriteLog(page.procedure, 3, std::string("Exiting ") + page.procedure);
    return status;
}

}  // namespace

std::string GetNewSymbols(const std::string& sessionKey, const std::string& lastLoginDate,
                          std::string& description) {
    return fetchList({ListChange::New, "GetNewSymbols", "GetNewSymbols2.jsp"}, sessionKey,
                     lastLoginDate, description);
}

std::string GetChangedSymbols(const std::string& sessionKey, const std::string& lastLoginDate,
                              std::string& description) {
    return fetchList({ListChange::Changed, "GetChangedSymbols", "GetChangedSymbols2.jsp"},
                     sessionKey, lastLoginDate, description);
}

std::string GetDelistedSymbols(const std::string& sessionKey, const std::string& lastLoginDate,
                               std::string& description) {
    return fetchList({ListChange::Delisted, "GetDelistedSymbols", "GetDelistedSymbols2.jsp"},
                     sessionKey, lastLoginDate, description);
}

}  // namespace kavex::addin::marketdata
