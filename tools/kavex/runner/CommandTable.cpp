#include "tools/kavex/runner/CommandTable.h"

#include <stdexcept>

namespace kavex::tool {

void CommandTable::add(ScriptCommand command) {
    if (command.name.empty() || !command.run || command.minArgs > command.maxArgs) {
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

const ScriptCommand* CommandTable::find(std::string_view name) const {
    const auto found = commands_.find(name);
    return found == commands_.end() ? nullptr : &found->second;
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
