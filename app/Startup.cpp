#include "app/Startup.h"

#include "app/Mainform.h"
#include "file/File64.h"
#include "search/FindCommands.h"
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
    auto form = std::make_unique<TBEForm>();
    // The goto and find dialogs live for the whole run, owned by the main window.
    search::CreateSearchDialogs(form.get());
    return form;
}
