#pragma once

// Modal message boxes and the beep, behind one seam so tests can see them
// without a box ever opening.

#include "util/Seam.h"

#include <QString>


class QWidget;

namespace util {

enum class BoxIcon { None, Information, Warning, Error };

struct Message {
    QString caption;
    QString text;
    BoxIcon icon = BoxIcon::None;
};

// Shows a modal box with an OK button (or hands it to the installed seam).
void ShowMessage(QWidget* owner, const Message& message);
// The system's default beep (or the installed seam's).
void Beep();

// The platform calls behind ShowMessage and Beep.
extern Seam<void(QWidget* owner, const Message& message)> ShowMessageSeam;
extern Seam<void()> BeepSeam;

} // namespace util
