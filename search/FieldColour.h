#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

namespace search {

// The colour of a text field's text, as the dialogs judge its content.
inline void SetTextColour(QWidget* edit, const QColor& colour)
{
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Text, colour);
    edit->setPalette(palette);
}

} // namespace search
