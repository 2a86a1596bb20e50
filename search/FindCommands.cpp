#include "search/FindCommands.h"

#include "page/Page_form.h"
#include "search/GotoAddress.h"
#include "search/FindAllform.h"
#include "search/Fform.h"
#include "search/Gotoform.h"
#include "search/PatternField.h"
#include "search/PatternText.h"
#include "search/RadioGroup.h"
#include "search/SearchRun.h"
#include "search/SearchProgress.h"
#include "search/Scan.h"
#include "search/Search.h"
#include "util/Error.h"
#include "util/TextRules.h"
#include "util/CursorSwapper.h"
#include "util/Messages.h"

#include <QCoreApplication>
#include <QPointer>
#include <QPushButton>

#include <exception>
#include <functional>
#include <optional>

namespace search {

namespace {

SearchRun::ProgressWords ForwardWords(const TPageForm& page, int64_t from)
{
    return [&page, from](int64_t position) { return ProgressText(from, position, page.file->size()); };
}

void NotFound(SearchHost& host)
{
    util::Beep();
    util::ShowMessage(host.boxOwner(), {QCoreApplication::applicationName(), QStringLiteral("Search string is not found."),
                              util::BoxIcon::None});
}

// Moves the page to what a search found. The search's scope has ended before, so
// the box gets the normal cursor and the user's input.
void Show(SearchHost& host, TPageForm& page, int64_t found)
{
    if (found == SearchCancelled)
        return;
    if (found < 0)
        NotFound(host);
    else
        page.MoveToAddress(found);
}

// Searches the page forwards from start and moves it to the hit.
void SearchAndShow(SearchHost& host, TPageForm& page, int64_t start)
{
    int64_t found;
    {
        SearchRun run(host, ForwardWords(page, start));
        found = SearchFile(*page.file, PatternText(FindForm().HexEdit->text()), start, run.pacer());
    }
    Show(host, page, found);
}

// Next and Find Previous use the dialog's pattern only while Search takes it.
bool PatternUsable() { return FindForm().SearchBtn->isEnabled() && !FindForm().HexEdit->text().isEmpty(); }

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

// Shows the find dialog; on Search, where the scan starts (the top or the cursor).
static std::optional<int64_t> AskFindStart(const TPageForm& page)
{
    if (FindForm().exec() != QDialog::Accepted)
        return std::nullopt;
    // The area under the dialog is repainted before the search starts.
    QCoreApplication::processEvents();
    return FindForm().StartPositionRG->itemIndex() == 1 ? page.cursorAddress : 0;
}

void FindCommand(SearchHost& host)
{
    TPageForm* page = host.activePage();
    if (!page || SearchRunning())
        return;
    if (const auto start = AskFindStart(*page))
        SearchAndShow(host, *page, *start);
}

void NextCommand(SearchHost& host)
{
    TPageForm* page = host.activePage();
    if (!page || SearchRunning())
        return;
    if (!PatternUsable())
        return;
    const int64_t next = page->cursorAddress + 1;
    if (next >= page->file->size())
        return; // on the last byte: neither beep nor message
    SearchAndShow(host, *page, next);
}

void FindPreviousCommand(SearchHost& host)
{
    TPageForm* page = host.activePage();
    if (!page || SearchRunning() || !PatternUsable())
        return;
    const int64_t before = page->cursorAddress;
    if (before <= 0)
        return; // on the first byte nothing lies before the cursor
    int64_t found;
    {
        SearchRun run(host, [before](int64_t position) { return BackwardProgressText(before, position); });
        found = SearchFileBackward(*page->file, PatternText(FindForm().HexEdit->text()), before, run.pacer());
    }
    Show(host, *page, found);
}

void FindAllCommand(SearchHost& host)
{
    TPageForm* page = host.activePage();
    if (!page || SearchRunning())
        return;
    const auto chosen = AskFindStart(*page);
    if (!chosen)
        return;
    const int64_t start = *chosen;
    const std::vector<uint8_t> pattern = HexTextToBytes(PatternText(FindForm().HexEdit->text()));
    if (pattern.empty()) {
        page->MoveToAddress(start); // as Find does, and no list
        return;
    }
    FindAllResult result;
    bool complete = false;
    bool closing = false;
    std::exception_ptr failure;
    QString failureText;
    {
        SearchRun run(host, ForwardWords(*page, start));
        try {
            complete = FindAll(*page->file, BytePattern(pattern), start, ListedHitsLimit, result, run.pacer());
        } catch (const util::Error& e) {
            failure = std::current_exception();
            failureText = QString::fromLocal8Bit(e.what());
        }
        closing = run.closing();
    }
    if (closing)
        return;
    TFindAllForm* shown = TFindAllForm::Of(host.boxOwner(), page);
    if (complete && result.count == 0) {
        // Nothing to list: the page's earlier list goes, and the user hears it as from Find.
        if (shown)
            shown->close();
        NotFound(host);
        return;
    }
    QString state;
    if (!complete) {
        state = StoppedText(std::max<int64_t>(start, 0), result.reached, page->file->size());
        if (failure)
            state += QStringLiteral(": ") + failureText;
    }
    TFindAllForm::For(host.boxOwner(), *page)
        .showResults({result.count, std::move(result.addresses), pattern, state});
    // The error reaches the user once, through the general handler, as for Find.
    if (failure)
        std::rethrow_exception(failure);
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
