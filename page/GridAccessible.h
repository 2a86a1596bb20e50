#pragma once

// What a screen reader reads of a grid: a table of cells, each with the text the owner
// gives it, the current cell being the focused one while the grid holds the keyboard.
// Nothing of it exists until an accessibility client asks.

#include "util/Seam.h"

class QAccessibleEvent;

namespace page {

void InstallGridAccessible();

// Whether an accessibility client listens, and the way an event reaches it.
extern util::Seam<bool()> AccessibilityActiveSeam;
extern util::Seam<void(QAccessibleEvent* event)> AccessibleEventSeam;

} // namespace page
