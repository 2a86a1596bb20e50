#pragma once

// The Find, Next and Goto commands of a window, on its active page.

#include "search/SearchHost.h"
#include "util/Seam.h"

#include <cstdint>

class TFindForm;
class TGTForm;

namespace search {

// The window that owns the goto and find dialogs. Each dialog is made at its first
// use and then lives, keeping its texts and choices, as long as that window.
void SetSearchDialogOwner(QWidget* mainWindow);
// The one find dialog and the one goto dialog of the run.
TFindForm& FindForm();
TGTForm& GTForm();

// Asks for a pattern and searches the active page from the top or the cursor.
void FindCommand(SearchHost& host);
// Searches again for the same pattern from the byte after the cursor.
void NextCommand(SearchHost& host);
// Searches backwards for the same pattern for the last match before the cursor.
void FindPreviousCommand(SearchHost& host);
// Asks for a pattern as Find does and lists every match from the start position to
// the end of the file in the page's results window.
void FindAllCommand(SearchHost& host);
// Asks for an address and moves the active page there.
void GotoCommand(SearchHost& host);

// True while a search runs; no other command may start then.
bool SearchRunning();

// Lets the window system run at each pacing step of a running search, given the
// position the search has reached. A test replaces it to act at a known step.
extern util::Seam<void(int64_t position)> SearchPaceSeam;

} // namespace search
