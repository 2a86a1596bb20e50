#pragma once

// Key presses into a text field, as the user makes them.

#include <QLineEdit>
#include <QTest>

// Types the text at the end of the field, one key press per character.
inline void Type(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->end(false);
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Selects the whole text and deletes it.
inline void Clear(QLineEdit* edit)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
}

inline QColor TextColour(const QLineEdit* edit) { return edit->palette().color(QPalette::Text); }
