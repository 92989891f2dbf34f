#include "addin/portfolio/SheetRows.h"

namespace kavex::addin::portfolio {

void DeleteSheetRow(const sheet::Worksheet& sheet, int row) {
    sheet.rows(row).entireRow().delete_();
}

}  // namespace kavex::addin::portfolio
