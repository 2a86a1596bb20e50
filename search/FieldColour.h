#pragma once

#include <QColor>
#include <QLineEdit>
#include <QPalette>

// The colour of a text field's text, as the dialogs judge its content.
inline void SetTextColour(QLineEdit* edit, const QColor& colour)
{
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text, colour);
    edit->setPalette(palette);
}
