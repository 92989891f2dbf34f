#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/db/Connection.h"
#include "platform/xml/Document.h"

namespace kavex::addin::functions {

// The login a worksheet function starts: only without a session, while no login is under way and
// when the active workbook is not one of the add-in's own (opening such a workbook starts its own
// login). The reader goes on whatever the login's outcome.
void StartLoginIfRequired();

// The shared connection, opened first when there is none yet or it is closed. Raises a platform
// error when there still is no connection object.
db::Connection& SharedConnection();

// The text of the element Stock/<tag> of a cached quote document, as stored, when the element
// exists and holds more than blanks; nullopt otherwise (also for a document left empty by text
// that is not XML).
std::optional<std::string> ElementText(const xml::Document& quote, std::string_view tag);

// Makes the add-in toolbar visible again when the user hid it. Raises a platform error when the
// toolbar does not exist.
void ShowAddinToolbar();

}  // namespace kavex::addin::functions
