#include "search/FindCommands.h"

#include "page/Page_form.h"
#include "search/GotoAddress.h"
#include "search/Fform.h"
#include "search/Gotoform.h"
#include "search/PatternField.h"
#include "search/PatternText.h"
#include "search/RadioGroup.h"
#include "search/SearchGate.h"
#include "search/SearchProgress.h"
#include "search/Search.h"
#include "util/CursorSwapper.h"
#include "util/Messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QPushButton>

namespace search {

namespace {

// One running search of one page. While it lives the busy cursor shows, the host's
// input is held and its status line shows the progress of a long search.
class SearchRun : NoCopy {
public:
    SearchRun(SearchHost& host_, const TPageForm& page_) : host(host_), page(page_), gate(*host_.boxOwner())
    {
        running = this;
        host.holdInput(true);
        clock.start();
    }

    ~SearchRun()
    {
        if (progressShown)
            host.showStatus(QString());
        host.holdInput(false);
        running = nullptr;
    }

    // The first match at or after start, -1 for none, SearchCancelled when stopped.
    int64_t run(const std::string& patternText, int64_t start)
    {
        from = start;
        return SearchFile(*page.file, patternText, start, [this](int64_t position) { return pace(position); });
    }

    static inline SearchRun* running = nullptr;

private:
    // The engine asks every PacingStep positions, thousands of times a second on a
    // fast disk; the window runs a few dozen times a second, by the clock.
    bool pace(int64_t position)
    {
        if (clock.elapsed() < nextRunMs)
            return true;
        nextRunMs = clock.elapsed() + PaceIntervalMs;
        SearchPaceSeam(position);
        if (!gate.cancelled() && clock.elapsed() >= ProgressDelayMs)
            showProgress(position);
        return !gate.cancelled();
    }

    void showProgress(int64_t position)
    {
        const QString text = ProgressText(from, position, page.file->size());
        if (progressShown && text == shownText)
            return;
        progressShown = true;
        shownText = text;
        host.showStatus(text);
    }

    SearchHost& host;
    const TPageForm& page;
    util::CursorSwapper cursor{Qt::WaitCursor};
    SearchGate gate;
    QElapsedTimer clock;
    qint64 nextRunMs = 0;
    int64_t from = 0;
    bool progressShown = false;
    QString shownText;
};

void NotFound(SearchHost& host)
{
    util::Beep();
    util::ShowMessage(host.boxOwner(), {QCoreApplication::applicationName(), QStringLiteral("Search string is not found."),
                              util::BoxIcon::None});
}

// Searches the page and moves it to the hit. The search's scope ends before the
// message, so the box gets the normal cursor and the user's input.
void SearchAndShow(SearchHost& host, TPageForm& page, int64_t start)
{
    int64_t found;
    {
        SearchRun run(host, page);
        found = run.run(PatternText(FindForm().HexEdit->text()), start);
    }
    if (found == SearchCancelled)
        return;
    if (found < 0)
        NotFound(host);
    else
        page.MoveToAddress(found);
}

} // namespace

util::Seam<void(int64_t)> SearchPaceSeam{[](int64_t) { QCoreApplication::processEvents(); }};

bool SearchRunning() { return SearchRun::running != nullptr; }

namespace {

QPointer<QWidget> dialogOwner;
QPointer<TFindForm> findDialog;
QPointer<TGTForm> gotoDialog;

// Making a dialog costs more than the window's first paint can spare, so it waits
// for the command that shows it.
template <typename Form>
Form& MadeOnce(QPointer<Form>& made)
{
    if (!made)
        made = new Form(dialogOwner);
    return *made;
}

} // namespace

void SetSearchDialogOwner(QWidget* mainWindow)
{
    dialogOwner = mainWindow;
    findDialog = nullptr;
    gotoDialog = nullptr;
}

TFindForm& FindForm() { return MadeOnce(findDialog); }

TGTForm& GTForm() { return MadeOnce(gotoDialog); }

void FindCommand(SearchHost& host)
{
    TPageForm* page = host.activePage();
    if (!page || SearchRunning())
        return;
    if (FindForm().exec() != QDialog::Accepted)
        return;
    // The area under the dialog is repainted before the search starts.
    QCoreApplication::processEvents();
    const int64_t start = FindForm().StartPositionRG->itemIndex() == 1 ? page->cursorAddress : 0;
    SearchAndShow(host, *page, start);
}

void NextCommand(SearchHost& host)
{
    TPageForm* page = host.activePage();
    if (!page || SearchRunning())
        return;
    if (!FindForm().SearchBtn->isEnabled() || FindForm().HexEdit->text().isEmpty())
        return;
    const int64_t next = page->cursorAddress + 1;
    if (next >= page->file->size())
        return; // on the last byte: neither beep nor message
    SearchAndShow(host, *page, next);
}

void GotoCommand(SearchHost& host)
{
    TPageForm* page = host.activePage();
    if (!page || SearchRunning())
        return;
    GTForm().MaxAddress = page->file->size() - 1;
    if (GTForm().exec() != QDialog::Accepted)
        return;
    const int64_t address = GTForm().Address();
    if (AddressAcceptable(address, GTForm().MaxAddress))
        page->MoveToAddress(address);
}

} // namespace search
