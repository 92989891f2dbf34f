#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kavex::services {

struct Session {
    std::string key;
    std::string userId;
    // What the client must send as the Referer header of its quote requests.
    std::string referrer;
};

// A price alert as the web service keeps it: its id, symbol and the fields the client sent.
struct Alert {
    std::string id;
    std::string symbol;
    std::vector<std::pair<std::string, std::string>> fields;
};

// The web service's accounts, sessions and alerts. Not synchronised: the owner locks.
class Accounts {
  public:
    // Starts with the ready account "demo" / "demo".
    Accounts();

    void add(const std::string& userId, const std::string& password);
    // A new session, or nullopt for an unknown user id (compared without regard to case) or a
    // wrong password (compared exactly).
    std::optional<Session> login(const std::string& userId, const std::string& password);
    // A new first-run account: user id and password.
    std::pair<std::string, std::string> registerFirstRun();
    // False when no such session exists.
    bool logout(const std::string& key);
    const Session* session(const std::string& key) const;
    bool knowsReferrer(const std::string& referrer) const;
    std::size_t sessionCount() const noexcept { return sessions_.size(); }

    std::vector<Alert> alerts(const std::string& userId) const;
    // The new alert's id.
    std::string createAlert(const std::string& userId, const std::string& symbol,
                            const std::vector<std::pair<std::string, std::string>>& fields);
    // False when the user has no such alert. Given fields replace those of the same name; a given
    // symbol replaces the symbol.
    bool updateAlert(const std::string& userId, const std::string& id, const std::string& symbol,
                     const std::vector<std::pair<std::string, std::string>>& fields);
    bool deleteAlert(const std::string& userId, const std::string& id);

  private:
    std::string nextToken();

    struct Account {
        std::string userId;  // as registered
        std::string password;
    };
    std::map<std::string, Account> accounts_;           // by lower-case user id
    std::map<std::string, Session> sessions_;           // by key
    std::map<std::string, std::vector<Alert>> alerts_;  // by lower-case user id
    std::uint64_t salt_;  // drawn afresh for each server: its keys are not the last one's
    std::uint64_t counter_ = 0;
    int firstRunCount_ = 0;
    int alertCount_ = 0;
};

}  // namespace kavex::services
