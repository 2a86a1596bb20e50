#include "search/FindCommands.h"

#include "app/Mainform.h"
#include "page/Page_form.h"
#include "search/AddressText.h"
#include "search/Fform.h"
#include "search/Gotoform.h"
#include "search/PatternText.h"
#include "search/RadioGroup.h"
#include "search/Search.h"
#include "util/CursorSwapper.h"
#include "util/Messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>

namespace search {

namespace {

// One running search of one page. While it lives the busy cursor shows, the tabs
// are disabled, no user input reaches the main window but Esc, which stops it, and
// closing the main window stops it and closes the window once it has ended.
class SearchRun : public QObject {
public:
    SearchRun(TBEForm& form_, const TPageForm& page_) : form(form_), page(page_)
    {
        running = this;
        form.FilePages->setEnabled(false);
        QCoreApplication::instance()->installEventFilter(this);
        clock.start();
    }

    ~SearchRun() override
    {
        QCoreApplication::instance()->removeEventFilter(this);
        if (progressShown)
            form.StatusBar1->clearMessage();
        form.FilePages->setEnabled(true);
        running = nullptr;
        if (closeRequested)
            QMetaObject::invokeMethod(&form, [window = &form] { window->close(); }, Qt::QueuedConnection);
    }

    // The first match at or after start, -1 for none, SearchCancelled when stopped.
    int64_t run(const std::string& patternText, int64_t start)
    {
        from = start;
        return SearchFile(*page.file, patternText, start, [this](int64_t position) { return pace(position); });
    }

    static inline SearchRun* running = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::Close:
            if (watched != &form)
                return false;
            cancelled = true;
            closeRequested = true;
            event->ignore();
            return true;
        case QEvent::KeyPress:
            if (!ofMainWindow(watched))
                return false;
            if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
                cancelled = true;
            return true;
        case QEvent::ShortcutOverride:
            if (!ofMainWindow(watched))
                return false;
            event->accept(); // so that no shortcut fires
            return true;
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TabletPress:
            return ofMainWindow(watched);
        default:
            return false;
        }
    }

private:
    // Input to the main window, its widgets and its shortcuts is held back; a box
    // that opens meanwhile (an error shown after a paint) still takes its own.
    bool ofMainWindow(const QObject* object) const
    {
        for (; object; object = object->parent())
            if (object->isWidgetType())
                return static_cast<const QWidget*>(object)->window() == &form;
        return false;
    }

    bool pace(int64_t position)
    {
        QCoreApplication::processEvents();
        if (!cancelled && clock.elapsed() >= ProgressDelayMs)
            showProgress(position);
        return !cancelled;
    }

    void showProgress(int64_t position)
    {
        const double span = static_cast<double>(page.file->size() - from);
        const int percent = span > 0 ? static_cast<int>(100.0 * static_cast<double>(position - from) / span) : 100;
        if (progressShown && percent == shownPercent)
            return;
        progressShown = true;
        shownPercent = percent;
        form.StatusBar1->showMessage(QString::fromLatin1(ProgressText).arg(percent));
    }

    TBEForm& form;
    const TPageForm& page;
    util::CursorSwapper cursor{Qt::WaitCursor};
    QElapsedTimer clock;
    int64_t from = 0;
    bool cancelled = false;
    bool closeRequested = false;
    bool progressShown = false;
    int shownPercent = -1;
};

void NotFound(TBEForm& form)
{
    util::Beep();
    util::ShowMessage(&form, {QCoreApplication::applicationName(), QStringLiteral("Search string is not found."),
                              util::BoxIcon::None});
}

// Searches the page and moves it to the hit. The search's scope ends before the
// message, so the box gets the normal cursor and the user's input.
void SearchAndShow(TBEForm& form, TPageForm& page, int64_t start)
{
    int64_t found;
    {
        SearchRun run(form, page);
        found = run.run(PatternText(FindForm->HexEdit->text()), start);
    }
    if (found == SearchCancelled)
        return;
    if (found < 0)
        NotFound(form);
    else
        page.MoveToAddress(found);
}

} // namespace

bool SearchRunning() { return SearchRun::running != nullptr; }

void CreateSearchDialogs(QWidget* mainWindow)
{
    GTForm = new TGTForm(mainWindow);
    FindForm = new TFindForm(mainWindow);
}

void FindCommand(TBEForm& form)
{
    TPageForm* page = form.activePage();
    if (!page || !FindForm || SearchRunning())
        return;
    if (FindForm->exec() != QDialog::Accepted)
        return;
    // The area under the dialog is repainted before the search starts.
    QCoreApplication::processEvents();
    const int64_t start = FindForm->StartPositionRG->itemIndex() == 1 ? page->cursorAddress : 0;
    SearchAndShow(form, *page, start);
}

void NextCommand(TBEForm& form)
{
    TPageForm* page = form.activePage();
    if (!page || !FindForm || SearchRunning())
        return;
    if (!FindForm->SearchBtn->isEnabled() || FindForm->HexEdit->text().isEmpty())
        return;
    const int64_t next = page->cursorAddress + 1;
    if (next >= page->file->size())
        return; // on the last byte: neither beep nor message
    SearchAndShow(form, *page, next);
}

void GotoCommand(TBEForm& form)
{
    TPageForm* page = form.activePage();
    if (!page || !GTForm || SearchRunning())
        return;
    GTForm->MaxAddress = page->file->size() - 1;
    if (GTForm->exec() != QDialog::Accepted)
        return;
    const int64_t address = GTForm->Address();
    if (AddressAcceptable(address, GTForm->MaxAddress))
        page->MoveToAddress(address);
}

} // namespace search
