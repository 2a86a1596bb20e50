#pragma once

// Key presses into a text field, as the user makes them.

#include <QTest>
#include <QLineEdit>
#include <QWidget>

// Types the text at the end of the field, one key press per character.
template <class Field>
void Type(Field* edit, const QString& text)
{
    edit->setFocus();
    edit->end(false);
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Selects the whole text and deletes it.
template <class Field>
void Clear(Field* edit)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
}

inline QColor TextColour(const QWidget* edit) { return edit->palette().color(QPalette::Text); }
