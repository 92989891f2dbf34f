#pragma once

#include "platform/spreadsheet/Application.h"

namespace kavex::addin::refresh {

// The host the add-in is connected to (ExcelApp). Before the add-in connects it raises error 91,
// as an object variable that is Nothing does, so that a procedure's error handling takes over.
sheet::Application& Excel();

}  // namespace kavex::addin::refresh
