#pragma once

// The copy commands on a page: its cursor's address, and a range of its bytes through
// the copy dialog. Both leave the page as it was; the caller gives the keyboard back.

#include <cstdint>

class QWidget;
class TPageForm;

namespace output {

class TCopyForm;

// The copy dialog of owner (a main window): made at its first use as owner's child,
// it lives as long as owner and keeps its format.
TCopyForm& CopyForm(QWidget* owner);

// Puts the cursor's address on the clipboard, as the goto dialog's hex field takes it.
void CopyAddress(const TPageForm& page);

// Asks for a range and a format (starting at the cursor, one row of bytes) and puts its
// text on the clipboard. The bytes are read without moving the page's window. A read
// failure raises the paged file's error and leaves the clipboard as it was.
void ShowCopyBytes(const TPageForm& page, QWidget* owner);

} // namespace output
