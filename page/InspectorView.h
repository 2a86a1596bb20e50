#pragma once

#include <cstdint>

class QTableWidget;
class TPageForm;

// Gives the inspector table its 22 rows (row 0 the header "Type", "Value"), column
// widths and look. Called once when the page is made.
void SetUpInspector(QTableWidget& grid);

// Rewrites rows 1 to 21 of the page's DataSG for the bytes at address. Raises nothing.
void RefreshInspector(TPageForm& page, int64_t address);
