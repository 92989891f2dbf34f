#include "services/Accounts.h"

#include <algorithm>
#include <cstdio>
#include <random>

#include "platform/base/Text.h"
#include "services/DeterministicRandom.h"
#include "services/Fields.h"

namespace kavex::services {

Accounts::Accounts() {
    std::random_device device;
    salt_ = (static_cast<std::uint64_t>(device()) << 32U) ^ device();
    add("demo", "demo");
}

void Accounts::add(const std::string& userId, const std::string& password) {
    accounts_[base::toLowerAscii(userId)] = Account{userId, password};
}

std::string Accounts::nextToken() {
    // A session key must not be guessed from an earlier server's keys, nor from the key before.
    char text[17];
    std::snprintf(text, sizeof text, "%016llx",
                  static_cast<unsigned long long>(combine(salt_, ++counter_)));
    return text;
}

std::optional<Session> Accounts::login(const std::string& userId, const std::string& password) {
    const auto account = accounts_.find(base::toLowerAscii(userId));
    if (account == accounts_.end() || account->second.password != password) {
        return std::nullopt;
    }
    Session session;
    session.key = "KVS" + nextToken();
    session.userId = account->second.userId;
    session.referrer = "http://referrer.kavex.test/addin/" + nextToken();
    sessions_[session.key] = session;
    return session;
}

std::pair<std::string, std::string> Accounts::registerFirstRun() {
    ++firstRunCount_;
    const std::string userId = "guest" + std::to_string(1000 + firstRunCount_);
    const std::string password = "pw" + nextToken().substr(0, 8);
    add(userId, password);
    return {userId, password};
}

bool Accounts::logout(const std::string& key) {
    return sessions_.erase(key) > 0;
}

const Session* Accounts::session(const std::string& key) const {
    const auto found = sessions_.find(key);
    return found == sessions_.end() ? nullptr : &found->second;
}

bool Accounts::knowsReferrer(const std::string& referrer) const {
    return std::any_of(sessions_.begin(), sessions_.end(),
                       [&](const auto& entry) { return entry.second.referrer == referrer; });
}

std::vector<Alert> Accounts::alerts(const std::string& userId) const {
    const auto found = alerts_.find(base::toLowerAscii(userId));
    return found == alerts_.end() ? std::vector<Alert>{} : found->second;
}

std::string Accounts::createAlert(const std::string& userId, const std::string& symbol,
                                  const std::vector<std::pair<std::string, std::string>>& fields) {
    Alert alert;
    alert.id = std::to_string(1000 + ++alertCount_);
    alert.symbol = symbol;
    mergeFields(alert.fields, fields);
    alerts_[base::toLowerAscii(userId)].push_back(alert);
    return alert.id;
}

bool Accounts::updateAlert(const std::string& userId, const std::string& id,
                           const std::string& symbol,
                           const std::vector<std::pair<std::string, std::string>>& fields) {
    auto& list = alerts_[base::toLowerAscii(userId)];
    const auto found =
        std::find_if(list.begin(), list.end(), [&](const Alert& alert) { return alert.id == id; });
    if (found == list.end()) {
        return false;
    }
    if (!symbol.empty()) {
        found->symbol = symbol;
    }
    mergeFields(found->fields, fields);
    return true;
}

bool Accounts::deleteAlert(const std::string& userId, const std::string& id) {
    auto& list = alerts_[base::toLowerAscii(userId)];
    const auto before = list.size();
    std::erase_if(list, [&](const Alert& alert) { return alert.id == id; });
    return list.size() != before;
}

}  // namespace kavex::services
