#include "tools/kavex/runner/CommandTable.h"

#include <algorithm>
#include <stdexcept>

namespace kavex::tool {

void CommandTable::add(ScriptCommand command) {
    if (command.name.empty() || command.name.front() == ' ' || command.name.back() == ' ' ||
        std::count(command.name.begin(), command.name.end(), ' ') > 1 || !command.run ||
        command.minArgs > command.maxArgs) {
        throw std::logic_error("malformed script command '" + command.name + "'");
    }
    const std::string name = command.name;
    if (!commands_.emplace(name, std::move(command)).second) {
        throw std::logic_error("script command '" + name + "' is registered twice");
    }
}

void CommandTable::addHooks(ScriptHooks hooks) {
    hooks_.push_back(std::move(hooks));
}

void CommandTable::addEndCheck(std::function<void(ScenarioContext&)> check) {
    endChecks_.push_back(std::move(check));
}

const ScriptCommand* CommandTable::find(std::string_view name) const {
    const auto found = commands_.find(name);
    return found == commands_.end() ? nullptr : &found->second;
}

std::vector<std::string> CommandTable::secondWords(std::string_view first) const {
    std::vector<std::string> words;
    const std::string prefix = std::string(first) + " ";
    for (auto it = commands_.lower_bound(prefix);
         it != commands_.end() && it->first.starts_with(prefix); ++it) {
        words.push_back(it->first.substr(prefix.size()));
    }
    return words;
}

std::vector<const ScriptCommand*> CommandTable::commands() const {
    std::vector<const ScriptCommand*> list;
    list.reserve(commands_.size());
    for (const auto& [name, command] : commands_) {
        list.push_back(&command);
    }
    return list;
}

}  // namespace kavex::tool
