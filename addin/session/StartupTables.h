#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace kavex::addin::session {

// A keyed collection of names whose keys compare without regard to letter case.
class NameCollection {
  public:
    // False (nothing added) when the key is there already.
    bool Add(std::string_view name);
    bool Contains(std::string_view name) const;
    bool Remove(std::string_view name);
    std::size_t Count() const { return names_.size(); }
    void Clear();
    // The names as added, in order.
    const std::vector<std::string>& Names() const { return names_; }

  private:
    std::vector<std::string> names_;
    std::unordered_set<std::string> keys_;  // lower-case
};

// The add-in's worksheet-function names by which the refresh engine recognises its formulas.
inline NameCollection SymbolFunctionNames;    // 187 keys
inline NameCollection ExchangeFunctionNames;  // 33 keys

// One row of the column picker of the sheet dialogs.
struct AttributeColumn {
    std::string Caption;
    std::string FunctionName;
    bool DefaultSelected = false;
};
inline std::vector<AttributeColumn> AttributeColumnTable;

// Builds the start-up tables (the two name collections, the column picker, the attribute names),
// empties UserSessionKey and arms ShowDeprecatedMacroWarning.
void InitAddInVariables();
// Releases the tables and arms ShowDeprecatedMacroWarning again (shutdown).
void ReleaseStartupTables();

}  // namespace kavex::addin::session
