#pragma once

// Pictures of the widgets for a person to look at, saved only when the folder
// BYTELOOM_SHOT_DIR is given.

#include <QByteArray>
#include <QString>
#include <QWidget>

inline bool ShotsWanted() { return !qgetenv("BYTELOOM_SHOT_DIR").isEmpty(); }

inline bool SaveShot(QWidget& widget, const char* name)
{
    return !ShotsWanted()
           || widget.grab().save(QString::fromLocal8Bit(qgetenv("BYTELOOM_SHOT_DIR")) + "/" + QString::fromLatin1(name));
}
