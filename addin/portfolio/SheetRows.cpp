#include "addin/portfolio/SheetRows.h"

namespace kavex::addin::portfolio {

void DeleteSheetRow(const sheet::Worksheet& sheet, int row) {
    sheet::Range line = sheet.rows(row);
    line.hyperlinks().delete_();
    line.clearContents();
}

}  // namespace kavex::addin::portfolio
