#pragma once

// A headless main window for the viewer benchmarks: offline banner, an open dialog
// that answers with the given paths.

#include "app/Mainform.h"
#include "banner/DefaultSeams.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QStringList>

#include <memory>

inline void PrepareHeadless()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QByteArray dir = QDir::tempPath().toLocal8Bit() + "/byteloom-bench-runtime";
        QDir().mkpath(QString::fromLocal8Bit(dir));
        QFile::setPermissions(QString::fromLocal8Bit(dir), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", dir);
    }
}

struct BenchWindow {
    banner::ScopedSeams offline{[] { return banner::Seams{}; }};
    TBEForm form;

    void open(const QString& path)
    {
        decltype(form.OpenDialog1)::Override openDialog{form.OpenDialog1, [path] { return QStringList{path}; }};
        form.CategoryButtons1Categories0Items1Click();
    }
};
