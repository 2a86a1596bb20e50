#pragma once

// The Find, Next and Goto commands of a window, on its active page.

#include "search/SearchHost.h"

namespace search {

// Makes the goto and find dialogs, once, after the main window that owns them.
void CreateSearchDialogs(QWidget* mainWindow);

// Asks for a pattern and searches the active page from the top or the cursor.
void FindCommand(SearchHost& host);
// Searches again for the same pattern from the byte after the cursor.
void NextCommand(SearchHost& host);
// Asks for an address and moves the active page there.
void GotoCommand(SearchHost& host);

// True while a search runs; no other command may start then.
bool SearchRunning();

} // namespace search
