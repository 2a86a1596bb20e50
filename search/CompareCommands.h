#pragma once

// The commands of a pair of pages compared byte by byte: the active page and its
// partner (TPageForm::CompareWith). Each scan runs as a search does: paced, with its
// progress shown, Esc cancelling it and the window's input held.

#include "search/SearchHost.h"

#include <QStringList>
class QWidget;

namespace search {

// Next Difference (F6): moves both pages to the first address after the pair's
// cursor where the files differ. Where one file ends before the other, the longer
// file's tail is one difference that starts just past the shorter file's end; the
// shorter page then stands on its last byte.
void NextDifferenceCommand(SearchHost& host);
// Previous Difference (Shift+F6): the same for the last address before the cursor.
void PreviousDifferenceCommand(SearchHost& host);
// Count Differences: the differing bytes over the common length, both sizes, and the
// first and last differing address, in a box.
void CountDifferencesCommand(SearchHost& host);
// Stop Comparing: ends the active page's pair.
void StopComparingCommand(SearchHost& host);

// The small list of pages to compare with (Ctrl+K): the index chosen, -1 when
// cancelled.
int ChoosePartner(QWidget* owner, const QStringList& pages);

} // namespace search
