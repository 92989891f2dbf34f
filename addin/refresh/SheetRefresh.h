#pragma once

namespace kavex::addin::refresh {

// Rebuilds the active sheet from the cache: its formula cells are recalculated (on an add-in
// workbook's sheet row by row, with the exchange header, change flashes and colours, and the
// alert marks of its comments brought up to date), the sheet ends protected when its kind is
// protected. A failing step is skipped and the procedure always runs to its end; when the
// exchange header cannot be written (an index not cached), events are switched back on at once
// so that the user's typing still reaches the add-in. Result not used (0).
short RefreshWorksheet();

}  // namespace kavex::addin::refresh
