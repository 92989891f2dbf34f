#pragma once

#include <memory>
#include <string>

#include "platform/db/Connection.h"
#include "platform/office/CommandBars.h"
#include "platform/spreadsheet/Application.h"

namespace kavex::addin::core {

// The host application, kept when the add-in connects (not owned).
inline sheet::Application* ExcelApp = nullptr;
// The host's command bars (Excel's Application.CommandBars), kept with ExcelApp.
inline office::CommandBars ExcelCommandBars;

// The one shared connection to Kavex.mdb; created and opened by OpenDBConnection on first need.
inline std::unique_ptr<db::Connection> DBConnection;

// Mirror of the configuration key DECIMAL_PLACE: the decimals of prices.
inline short DecimalPlaces = 2;
// The currency pattern prices are shown with, rebuilt from DecimalPlaces whenever it changes;
// the value below holds until the configuration is read.
inline std::string PriceFormat = "$###,###,##0.00";

}  // namespace kavex::addin::core
