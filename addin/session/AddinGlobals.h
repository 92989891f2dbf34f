#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/base/Variant.h"

namespace kavex::addin::session {

// One module-level global of the add-in, or one field of a global record: its name as the code
// spells it ("UserSessionKey", "PendingPortfolioEdit.Row", "TimerPool(2).Status"), what it holds
// now as a value a script can compare (numbers, Booleans and texts as they are; an object global
// "Nothing" or its class name; a collection its count), and how it goes back to the value the
// add-in starts with. A record's fields each put the whole record back.
struct AddinGlobal {
    std::string name;
    std::function<base::Variant()> value;
    std::function<void()> reset;
};

// Every global of the add-in, the one list both the reset and a script's look-up by name come
// from: a global added to the add-in is added here, or a test fails.
const std::vector<AddinGlobal>& AddinGlobals();

// The global of that name (compared without regard to case), or nullptr.
const AddinGlobal* FindAddinGlobal(const std::string& name);

// Puts every global back to its start value, releasing what the globals hold (the event sink, the
// timers, the database connection closed first, the browser, the bars' controls): the add-in is
// then as a fresh load finds it. Run at the end of the disconnection and before a new script.
// Never throws.
void ResetAddinGlobals() noexcept;

}  // namespace kavex::addin::session
