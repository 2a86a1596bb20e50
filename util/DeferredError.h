#pragma once

#include <QString>

namespace util {

// Shows text in a modal error box once the current event has finished, so that no box
// ever opens inside a paint or a signal. Texts queued while a box is open follow it.
void ShowErrorLater(const QString& text);

} // namespace util
