#include "app/Startup.h"

#include "app/Mainform.h"
#include "file/File64.h"
#include "search/FindCommands.h"
#include "util/Messages.h"
#include "util/Product.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>

#include <thread>

namespace {

// A missing block I/O library is told in a box for as long as the main window lives.
class LoadFailureBoxes : public QObject {
public:
    using QObject::QObject;

private:
    decltype(util::LoadFailureSeam)::Override boxes{util::LoadFailureSeam, [](const char* text) {
        util::ShowMessage(nullptr, {QStringLiteral("Error"), QString::fromLocal8Bit(text), util::BoxIcon::Error});
    }};
};

// Fills the font database from the system's font configuration on a thread of its
// own while the main window is built (the database is thread-safe), and finds the
// face that stands in for the window's font. Whoever needs a font first waits for it.
class FontWarmUp : public QObject {
public:
    FontWarmUp() : worker([] {
        QFontDatabase::families();
        QFontInfo(QFont(QStringLiteral("Tahoma"), 8)).family();
    }) {}
    ~FontWarmUp() override { worker.join(); }

private:
    std::thread worker;
};

} // namespace

std::unique_ptr<TBEForm> StartByteloom()
{
    // The block I/O library was loaded before main, with the paged file's globals.
    auto fonts = std::make_unique<FontWarmUp>();
    QApplication::setApplicationName(QString::fromLatin1(util::ProductTitle));
    auto form = std::make_unique<TBEForm>();
    fonts.release()->setParent(form.get());
    new LoadFailureBoxes(form.get());
    // The goto and find dialogs live for the whole run from their first use, owned by
    // the main window.
    search::SetSearchDialogOwner(form.get());
    return form;
}
