#include "services/WebService.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <functional>
#include <string>

#include "platform/base/Text.h"
#include "services/DateParameter.h"
#include "services/XmlAnswer.h"

namespace kavex::services {

namespace {

using Page = ServiceAnswer (*)(const ServiceRequest&, WebServiceState&);

std::string trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

ServiceAnswer malformed(const std::string& what) {
    return webServiceFailure(invalidXml, "The request is not valid: " + what + ".");
}

// The session the request names, or nullptr (also under the invalid-session fault).
const Session* sessionOf(const ServiceRequest& request, WebServiceState& state) {
    const auto key = request.param("SessionKey");
    if (!key || key->empty() || state.sessionsRefused) {
        return nullptr;
    }
    return state.accounts.session(*key);
}

ServiceAnswer noSession() {
    return webServiceFailure(invalidSession, "The session is not valid. Please log in again.");
}

// The day after which changes are wanted: empty for "since ever", nullopt for a malformed date.
std::optional<std::string> sinceDay(const ServiceRequest& request, const char* name) {
    const std::string text = trim(request.param(name).value_or(""));
    if (text.empty()) {
        return std::string();
    }
    return parseDateParameter(text);
}

bool inWindow(const std::string& day, const std::string& since, const std::string& today) {
    return day >= since && day <= today;
}

ServiceAnswer login(const ServiceRequest& request, WebServiceState& state) {
    const auto userId = request.param("UserID");
    const auto password = request.param("Password");
    if (!userId || !password || userId->empty()) {
        return malformed("UserID and Password are required");
    }
    const auto session = state.accounts.login(*userId, *password);
    if (!session) {
        return webServiceFailure(invalidLogin, "Invalid user id or password.");
    }
    state.actions.push_back({"login", "", "", "", session->userId});
    pugi::xml_document document = webServiceSuccess();
    pugi::xml_node root = document.document_element();
    appendText(root, "SessionKey", session->key);
    appendText(root, "UserID", session->userId);
    appendText(root, "Referrer", session->referrer);
    appendText(root, "LoginDate", isoDateTime(state.now));
    appendText(root, "DivSplitProcessFlag", "1");
    appendText(root, "MinRefreshTime", "5");
    appendText(root, "BroadcastFile", "");
    appendText(root, "LatestVersion", "");
    appendText(root, "DownloadFlag", "0");
    appendText(root, "DownloadURL", "");
    return xmlAnswer(document);
}

ServiceAnswer logout(const ServiceRequest& request, WebServiceState& state) {
    const Session* session = sessionOf(request, state);
    if (session == nullptr) {
        return noSession();
    }
    state.actions.push_back(
        {"logout", request.param("Reason").value_or(""), "", "", session->userId});
    state.accounts.logout(session->key);
    return xmlAnswer(webServiceSuccess());
}

ServiceAnswer authenticateSession(const ServiceRequest& request, WebServiceState& state) {
    const Session* session = sessionOf(request, state);
    if (session == nullptr) {
        return noSession();
    }
    pugi::xml_document document = webServiceSuccess();
    appendText(document.document_element(), "UserID", session->userId);
    return xmlAnswer(document);
}

ServiceAnswer userActionInfo(const ServiceRequest& request, WebServiceState& state) {
    const Session* session = sessionOf(request, state);
    if (session == nullptr) {
        return noSession();
    }
    const std::string type = trim(request.param("ActionType").value_or(""));
    const bool numeric =
        !type.empty() && type.size() <= 4 &&
        std::all_of(type.begin(), type.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
    if (!numeric) {
        return malformed("ActionType must be a whole number");
    }
    state.actions.push_back({type, request.param("Reason").value_or(""),
                             request.param("ActiveSheet").value_or(""),
                             request.param("PreviousSheet").value_or(""), session->userId});
    return xmlAnswer(webServiceSuccess());
}

ServiceAnswer registerDummyUser(const ServiceRequest&, WebServiceState& state) {
    const auto [userId, password] = state.accounts.registerFirstRun();
    pugi::xml_document document = webServiceSuccess();
    appendText(document.document_element(), "UserID", userId);
    appendText(document.document_element(), "Password", password);
    return xmlAnswer(document);
}

void appendSymbolItem(pugi::xml_node list, const std::string& symbol, const std::string& name,
                      const std::string& exchange, const std::string& oldSymbol) {
    pugi::xml_node item = list.append_child("Item");
    appendText(item, "Symbol", symbol);
    appendText(item, "Description", name);
    appendText(item, "Exchange", exchange);
    appendText(item, "OldSymbol", oldSymbol);
}

// The three symbol-list pages share their checks and differ in what they list.
ServiceAnswer symbolListPage(
    const ServiceRequest& request, WebServiceState& state,
    const std::function<void(pugi::xml_node, const std::string&, const std::string&)>& fill) {
    if (sessionOf(request, state) == nullptr) {
        return noSession();
    }
    const auto since = sinceDay(request, "LastLoginDate");
    if (!since) {
        return malformed("LastLoginDate is not a date");
    }
    pugi::xml_document document = webServiceSuccess();
    fill(document.document_element().append_child("Symbols"), *since, isoDay(state.now));
    return xmlAnswer(document);
}

ServiceAnswer newSymbols(const ServiceRequest& request, WebServiceState& state) {
    return symbolListPage(
        request, state, [&](pugi::xml_node list, const auto& since, const auto& today) {
            for (const ListedSymbol& listed : state.market.seeds().symbols) {
                if (inWindow(listed.listed, since, today)) {
                    appendSymbolItem(list, listed.symbol, listed.name, listed.exchange, "");
                }
            }
        });
}

ServiceAnswer changedOrDelisted(const ServiceRequest& request, WebServiceState& state,
                                SymbolChange::Kind kind) {
    return symbolListPage(request, state,
                          [&](pugi::xml_node list, const auto& since, const auto& today) {
                              for (const SymbolChange& change : state.market.seeds().changes) {
                                  if (change.kind == kind && inWindow(change.date, since, today)) {
                                      appendSymbolItem(list, change.symbol, change.name,
                                                       change.exchange, change.oldSymbol);
                                  }
                              }
                          });
}

ServiceAnswer changedSymbols(const ServiceRequest& request, WebServiceState& state) {
    return changedOrDelisted(request, state, SymbolChange::Kind::Changed);
}

ServiceAnswer delistedSymbols(const ServiceRequest& request, WebServiceState& state) {
    return changedOrDelisted(request, state, SymbolChange::Kind::Delisted);
}

std::vector<std::string> symbolList(const std::string& text) {
    std::vector<std::string> symbols;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        std::string symbol = base::toUpperAscii(trim(text.substr(start, comma - start)));
        if (!symbol.empty()) {
            symbols.push_back(std::move(symbol));
        }
        start = comma + 1;
    }
    return symbols;
}

ServiceAnswer dividendsAndSplits(const ServiceRequest& request, WebServiceState& state) {
    if (sessionOf(request, state) == nullptr) {
        return noSession();
    }
    const auto since = sinceDay(request, "FromDate");
    if (!since) {
        return malformed("FromDate is not a date");
    }
    const std::vector<std::string> wanted = symbolList(request.param("Symbols").value_or(""));
    const std::string today = isoDay(state.now);
    pugi::xml_document document = webServiceSuccess();
    pugi::xml_node list = document.document_element().append_child("Items");
    for (const DividendOrSplit& entry : state.market.seeds().dividendsAndSplits) {
        const bool symbolWanted =
            wanted.empty() || std::find(wanted.begin(), wanted.end(),
                                        base::toUpperAscii(entry.symbol)) != wanted.end();
        if (symbolWanted && inWindow(entry.effectiveDate, *since, today)) {
            pugi::xml_node item = list.append_child("Item");
            appendText(item, "Symbol", entry.symbol);
            appendText(item, "Type", entry.type);
            appendText(item, "EffectiveDate", entry.effectiveDate);
            appendText(item, "Value", entry.value);
        }
    }
    return xmlAnswer(document);
}

void appendAlert(pugi::xml_node list, const Alert& alert) {
    pugi::xml_node element = list.append_child("Alert");
    appendText(element, "AlertID", alert.id);
    appendText(element, "Symbol", alert.symbol);
    for (const auto& [name, value] : alert.fields) {
        appendText(element, name, value);
    }
}

ServiceAnswer syncAlerts(const ServiceRequest& request, WebServiceState& state) {
    const Session* session = sessionOf(request, state);
    if (session == nullptr) {
        return noSession();
    }
    pugi::xml_document document = webServiceSuccess();
    pugi::xml_node list = document.document_element().append_child("Alerts");
    for (const Alert& alert : state.accounts.alerts(session->userId)) {
        appendAlert(list, alert);
    }
    return xmlAnswer(document);
}

ServiceAnswer processAlert(const ServiceRequest& request, WebServiceState& state) {
    const Session* session = sessionOf(request, state);
    if (session == nullptr) {
        return noSession();
    }
    static constexpr std::array<std::string_view, 4> reserved{"SessionKey", "Action", "AlertID",
                                                              "Symbol"};
    std::vector<std::pair<std::string, std::string>> fields;
    for (const auto& [name, value] : request.params) {
        if (std::find(reserved.begin(), reserved.end(), name) != reserved.end()) {
            continue;
        }
        if (!isElementName(name)) {
            return malformed("'" + name + "' is not a field name");
        }
        fields.emplace_back(name, value);
    }
    const std::string action = base::toLowerAscii(trim(request.param("Action").value_or("")));
    const std::string symbol = base::toUpperAscii(trim(request.param("Symbol").value_or("")));
    const std::string id = trim(request.param("AlertID").value_or(""));
    std::string answeredId = id;
    if (action == "create") {
        if (symbol.empty()) {
            return malformed("Symbol is required");
        }
        answeredId = state.accounts.createAlert(session->userId, symbol, fields);
    } else if (action == "edit") {
        if (!state.accounts.updateAlert(session->userId, id, symbol, fields)) {
            return webServiceFailure(invalidAlert, "No such alert: " + id);
        }
    } else if (action == "delete") {
        if (!state.accounts.deleteAlert(session->userId, id)) {
            return webServiceFailure(invalidAlert, "No such alert: " + id);
        }
    } else {
        return malformed("Action must be Create, Edit or Delete");
    }
    pugi::xml_document document = webServiceSuccess();
    appendText(document.document_element(), "AlertID", answeredId);
    return xmlAnswer(document);
}

ServiceAnswer referrer(const ServiceRequest& request, WebServiceState& state) {
    const Session* session = sessionOf(request, state);
    if (session == nullptr) {
        return noSession();
    }
    pugi::xml_document document = webServiceSuccess();
    appendText(document.document_element(), "Referrer", session->referrer);
    return xmlAnswer(document);
}

ServiceAnswer displayAdvert(const ServiceRequest& request, WebServiceState&) {
    // A page for the advert browser controls; the sheet kind only changes the line shown.
    pugi::xml_document page;
    pugi::xml_node body = page.append_child("html").append_child("body");
    appendText(body, "p", "Kavex - quotes in your spreadsheet");
    appendText(body, "p", request.param("Sheet").value_or(""));
    ServiceAnswer answer = xmlAnswer(page);
    answer.body = answer.body.substr(answer.body.find('\n') + 1);
    answer.contentType = "text/html; charset=utf-8";
    return answer;
}

struct PageEntry {
    std::string_view name;
    Page page;
};

constexpr std::array<PageEntry, 13> pages{{
    {"Login.jsp", login},
    {"Logout.jsp", logout},
    {"AuthenticateSession.jsp", authenticateSession},
    {"UserActionInfo.jsp", userActionInfo},
    {"RegisterDummyUser.jsp", registerDummyUser},
    {"GetNewSymbols2.jsp", newSymbols},
    {"GetChangedSymbols2.jsp", changedSymbols},
    {"GetDelistedSymbols2.jsp", delistedSymbols},
    {"GetDivSplData.jsp", dividendsAndSplits},
    {"SyncAlerts.jsp", syncAlerts},
    {"ProcessAlert.jsp", processAlert},
    {"referrer.jsp", referrer},
    {"DisplayAdvert.jsp", displayAdvert},
}};

const PageEntry* findPage(std::string_view path) {
    if (!path.starts_with(webServicePrefix)) {
        return nullptr;
    }
    const std::string_view name = path.substr(webServicePrefix.size());
    const auto found = std::find_if(pages.begin(), pages.end(),
                                    [&](const PageEntry& entry) { return entry.name == name; });
    return found == pages.end() ? nullptr : &*found;
}

}  // namespace

bool isWebServicePage(std::string_view path) {
    return findPage(path) != nullptr;
}

ServiceAnswer answerWebService(const ServiceRequest& request, WebServiceState& state) {
    const PageEntry* entry = findPage(request.path);
    if (entry == nullptr) {
        return ServiceAnswer{404, "text/plain; charset=utf-8", "Not Found"};
    }
    return entry->page(request, state);
}

}  // namespace kavex::services
