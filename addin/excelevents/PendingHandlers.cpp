#include "addin/excelevents/clsXLApp.h"

namespace kavex::addin::excelevents {

// Typed symbols and header captions follow with the attribute-header handling; until then a
// change reaches no add-in work.
void clsXLApp::mXLApp_SheetChange(const sheet::Worksheet&, const sheet::Range&) {}

}  // namespace kavex::addin::excelevents
