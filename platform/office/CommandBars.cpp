#include "platform/office/CommandBars.h"

#include <array>
#include <string_view>

#include "platform/base/PlatformError.h"
#include "platform/base/Text.h"
#include "platform/office/detail/Hub.h"

namespace kavex::office {

namespace {

[[noreturn]] void invalidArgument() {
    throw base::PlatformError(base::errors::InvalidProcedureCall,
                              "Invalid procedure call or argument");
}

struct BuiltInEntry {
    int id;
    std::string_view caption;
};

// The entries the host's cell context menu comes with.
constexpr std::array<BuiltInEntry, 10> CellMenuEntries{{
    {21, "Cu&t"},
    {19, "&Copy"},
    {22, "&Paste"},
    {755, "Paste &Special..."},
    {3181, "&Insert..."},
    {292, "&Delete..."},
    {3125, "Clear Co&ntents"},
    {2031, "Insert Co&mment"},
    {855, "&Format Cells..."},
    {1576, "&Hyperlink..."},
}};

}  // namespace

CommandBars::CommandBars() : hub_(std::make_shared<detail::Hub>()) {
    auto cell = std::make_shared<CommandBar>(hub_, "Cell", MsoBarPosition::Popup, false, true);
    cell->attach();
    hub_->bars.push_back(cell);
    CommandBarControls controls = cell->Controls();
    for (const BuiltInEntry& entry : CellMenuEntries) {
        controls.addBuiltIn(MsoControlType::Button, entry.id, std::string(entry.caption));
    }
    controls.Item("&Insert...")->setBeginGroup(true);
    controls.Item("Insert Co&mment")->setBeginGroup(true);
    controls.Item("&Format Cells...")->setBeginGroup(true);
}

std::shared_ptr<CommandBar> CommandBars::Add(std::string name, MsoBarPosition position,
                                             bool temporary) {
    if (name.empty()) {
        do {
            name = "Custom " + std::to_string(++hub_->customBarCount);
        } while ([&] {
            for (const auto& bar : hub_->bars) {
                if (base::equalsIgnoringCase(bar->Name(), name)) {
                    return true;
                }
            }
            return false;
        }());
    }
    for (const auto& bar : hub_->bars) {
        if (base::equalsIgnoringCase(bar->Name(), name)) {
            invalidArgument();
        }
    }
    auto bar = std::make_shared<CommandBar>(hub_, std::move(name), position, temporary, false);
    bar->attach();
    hub_->bars.push_back(bar);
    return bar;
}

int CommandBars::Count() const {
    return static_cast<int>(hub_->bars.size());
}

std::shared_ptr<CommandBar> CommandBars::Item(std::string_view name) const {
    for (const auto& bar : hub_->bars) {
        if (base::equalsIgnoringCase(bar->Name(), name)) {
            return bar;
        }
    }
    invalidArgument();
}

std::shared_ptr<CommandBar> CommandBars::Item(int index) const {
    if (index < 1 || index > Count()) {
        invalidArgument();
    }
    return hub_->bars[static_cast<std::size_t>(index - 1)];
}

std::vector<std::shared_ptr<CommandBar>> CommandBars::All() const {
    return hub_->bars;
}

std::shared_ptr<CommandBarControl> CommandBars::FindControl(std::string_view tag) const {
    std::vector<std::shared_ptr<CommandBarControl>> found;
    for (const auto& bar : hub_->bars) {
        findControlsByTag(bar->Controls().All(), tag, true, found);
        if (!found.empty()) {
            return found.front();
        }
    }
    return nullptr;
}

std::vector<std::shared_ptr<CommandBarControl>> CommandBars::FindControls(
    std::string_view tag) const {
    std::vector<std::shared_ptr<CommandBarControl>> found;
    for (const auto& bar : hub_->bars) {
        findControlsByTag(bar->Controls().All(), tag, false, found);
    }
    return found;
}

void CommandBars::bindClick(const std::string& tag, ClickHandler handler) {
    if (handler) {
        hub_->clickHandlers[tag] = std::move(handler);
    } else {
        hub_->clickHandlers.erase(tag);
    }
}

void CommandBars::bindChange(const std::string& tag, ChangeHandler handler) {
    if (handler) {
        hub_->changeHandlers[tag] = std::move(handler);
    } else {
        hub_->changeHandlers.erase(tag);
    }
}

void CommandBars::setMacroRunner(MacroRunner runner) {
    hub_->macroRunner = std::move(runner);
}

}  // namespace kavex::office
