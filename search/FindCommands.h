#pragma once

// The Find, Next and Goto commands of the main window, on its active page.

class QWidget;
class TBEForm;

namespace search {

// Makes the goto and find dialogs, once, after the main window that owns them.
void CreateSearchDialogs(QWidget* mainWindow);

// Asks for a pattern and searches the active page from the top or the cursor.
void FindCommand(TBEForm& form);
// Searches again for the same pattern from the byte after the cursor.
void NextCommand(TBEForm& form);
// Asks for an address and moves the active page there.
void GotoCommand(TBEForm& form);

// True while a search runs; no other command may start then.
bool SearchRunning();

// The status bar text of a search that runs longer than ProgressDelayMs.
inline constexpr int ProgressDelayMs = 500;
inline constexpr const char* ProgressText = "Searching: %1% done. Esc cancels.";

} // namespace search
