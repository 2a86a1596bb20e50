#pragma once

#include "page/Inspector.h"

class QTableWidget;

namespace page {

// Gives the inspector table its 22 rows (row 0 the header "Type", "Value"), column
// widths and look. Called once when the page is made.
void SetUpInspector(QTableWidget& grid);

// Writes rows 1 to 21 of the table from the rows the page computed.
void FillInspector(QTableWidget& grid, const InspectorRows& rows);

} // namespace page
