#pragma once

// Copying out of the inspector table: the selected cells (Ctrl+C and "Copy" in the
// table's context menu) and the value of one row ("Copy Value").

#include <QString>

#include <vector>

class QTableWidget;
class TPageForm;

namespace page {

// The selected cells of the table: columns joined by tabs, rows by line feeds, the
// header row never among them; a cell's own line feed (the ctime row's) is dropped.
QString SelectedCellsText(const QTableWidget& grid);

// Gives the table its "Copy" (Ctrl+C) and "Copy Value" actions and its context menu.
void SetUpInspectorCopy(QTableWidget& grid);

// The 21 rows as the table shows them, in its order, for a menu that copies one value.
struct InspectorValue {
    QString name;
    QString value;
};
std::vector<InspectorValue> InspectorValues(const QTableWidget& grid);
std::vector<InspectorValue> InspectorValues(const TPageForm& form);

// Puts the value of inspector row index (0 to 20) on the clipboard.
void CopyInspectorValue(const TPageForm& form, int index);

} // namespace page
