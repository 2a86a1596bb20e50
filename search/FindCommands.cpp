#include "search/FindCommands.h"

#include "page/Page_form.h"
#include "search/GotoAddress.h"
#include "search/Fform.h"
#include "search/Gotoform.h"
#include "search/PatternField.h"
#include "search/PatternText.h"
#include "search/RadioGroup.h"
#include "search/SearchRun.h"
#include "search/SearchProgress.h"
#include "search/Search.h"
#include "util/Messages.h"

#include <QCoreApplication>
#include <QPointer>
#include <QPushButton>

namespace search {

namespace {

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
        SearchRun run(host, [&page, start](int64_t position) { return ProgressText(start, position, page.file->size()); });
        found = SearchFile(*page.file, PatternText(FindForm().HexEdit->text()), start, run.pacer());
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
