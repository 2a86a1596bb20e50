#include "app/Startup.h"

#include "app/Mainform.h"
#include "file/File64.h"
#include "search/FindCommands.h"
#include "util/Messages.h"
#include "util/Product.h"

#include <QApplication>

namespace {

// A missing block I/O library is told in a box for as long as the main window lives.
class LoadFailureBoxes : public QObject {
public:
    using QObject::QObject;

private:
    decltype(file::LoadFailureSeam)::Override boxes{file::LoadFailureSeam, [](const char* text) {
        util::ShowMessage(nullptr, {QStringLiteral("Error"), QString::fromLocal8Bit(text), util::BoxIcon::Error});
    }};
};

} // namespace

std::unique_ptr<TBEForm> StartByteloom()
{
    // The block I/O library was loaded before main, with the paged file's globals.
    // The font database fills at the first text measured, on this thread: filling it
    // on another one, early or late, made the first paint later, not sooner.
    QApplication::setApplicationName(QString::fromLatin1(util::ProductTitle));
    auto form = std::make_unique<TBEForm>();
    new LoadFailureBoxes(form.get());
    // The goto and find dialogs live for the whole run from their first use, owned by
    // the main window.
    search::SetSearchDialogOwner(form.get());
    return form;
}
