#include "app/Startup.h"

#include "app/Mainform.h"
#include "file/File64.h"
#include "util/Messages.h"

#include <QApplication>

namespace {

void ShowLoadFailure(const char* text)
{
    util::ShowMessage(nullptr, {QStringLiteral("Error"), QString::fromLocal8Bit(text), util::BoxIcon::Error});
}

} // namespace

std::unique_ptr<TBEForm> StartByteloom()
{
    // The block I/O library was loaded before main, with the paged file's globals.
    QApplication::setApplicationName(QStringLiteral("Byteloom 2.0"));
    util::SetLoadFailureReport(ShowLoadFailure);
    return std::make_unique<TBEForm>();
}
