#include "search/CompareCommands.h"

#include "page/Page_form.h"
#include "page/PageView.h"
#include "search/Compareform.h"
#include "search/FindCommands.h"
#include "search/Scan.h"
#include "search/SearchProgress.h"
#include "search/SearchRun.h"
#include "util/Messages.h"

#include <QCoreApplication>
#include <QLocale>

#include <algorithm>

namespace search {

namespace {

// Where the pair stands: the further of the two cursors, since the shorter page
// stays on its last byte while the longer one is in its tail.
int64_t PairPosition(const TPageForm& page, const TPageForm& partner)
{
    return std::max(page.cursorAddress, partner.cursorAddress);
}

// The first difference after position, -1 for none, SearchCancelled when stopped.
int64_t NextDifference(FileComparison& comparison, int64_t common, int64_t longest, int64_t position,
                       const SearchPacer& pace)
{
    // Inside the tail, or on the last byte of both: nothing more.
    if (position >= common || position + 1 >= longest)
        return -1;
    // The tail counts once, from its start: the position above keeps F6 out of it.
    return comparison.next(position + 1, pace);
}

// The last difference before position, -1 for none, SearchCancelled when stopped.
int64_t PreviousDifference(FileComparison& comparison, int64_t common, int64_t position, const SearchPacer& pace)
{
    if (position <= 0)
        return -1;
    // From inside the tail, the tail's start is the difference before.
    if (position > common)
        return common;
    return comparison.previous(position, pace);
}

void NoMoreDifferences(SearchHost& host)
{
    util::Beep();
    util::ShowMessage(host.boxOwner(),
                      {QCoreApplication::applicationName(), QStringLiteral("No more differences."), util::BoxIcon::None});
}

// Both pages to a difference at address; a page too short stands on its last byte.
// The partner follows the page's view, so both show the same addresses, and moves
// on its own only into its tail.
void MoveBoth(TPageForm& page, TPageForm& partner, int64_t address)
{
    page.MoveToAddress(std::min(address, page.fileSize - 1));
    const int64_t partnerAddress = std::min(address, partner.fileSize - 1);
    if (partner.cursorAddress != partnerAddress)
        partner.MoveToAddress(partnerAddress, false);
}

// Walks to a difference in one direction and shows it.
void StepToDifference(SearchHost& host, bool forward)
{
    TPageForm* page = host.activePage();
    if (!page || SearchRunning())
        return;
    TPageForm* partner = page->PartnerPage();
    if (!partner)
        return;
    const int64_t common = std::min(page->fileSize, partner->fileSize);
    const int64_t longest = std::max(page->fileSize, partner->fileSize);
    const int64_t position = PairPosition(*page, *partner);
    int64_t found;
    {
        // The scan's scope ends before the box, which gets the normal cursor and input.
        SearchRun run(host, [=](int64_t reached) {
            return forward ? ComparisonProgressText(reached - position, longest - position)
                           : ComparisonProgressText(position - reached, position);
        });
        FileComparison comparison(*page->file, *partner->file);
        found = forward ? NextDifference(comparison, common, longest, position, run.pacer())
                        : PreviousDifference(comparison, common, position, run.pacer());
    }
    if (found == SearchCancelled)
        return;
    if (found < 0)
        NoMoreDifferences(host);
    else
        MoveBoth(*page, *partner, found);
}

// Spans a count is split into, so that the first and the last difference are then
// looked for within one span each.
constexpr int64_t CountSpan = int64_t{64} << 20;

QString Address(int64_t address)
{
    const page::CellText text = page::AddressText(address);
    return QString::fromLatin1(text.chars.data(), text.length);
}

} // namespace

void NextDifferenceCommand(SearchHost& host) { StepToDifference(host, true); }

void PreviousDifferenceCommand(SearchHost& host) { StepToDifference(host, false); }

void CountDifferencesCommand(SearchHost& host)
{
    TPageForm* page = host.activePage();
    if (!page || SearchRunning())
        return;
    TPageForm* partner = page->PartnerPage();
    if (!partner)
        return;
    const int64_t common = std::min(page->fileSize, partner->fileSize);
    int64_t count = 0, first = -1, last = -1;
    {
        SearchRun run(host, [=](int64_t reached) { return ComparisonProgressText(reached, common); });
        const SearchPacer pace = run.pacer();
        FileComparison comparison(*page->file, *partner->file);
        int64_t firstSpan = -1, lastSpan = -1;
        for (int64_t from = 0; from < common; from += std::min(CountSpan, common - from)) {
            const int64_t to = from + std::min(CountSpan, common - from);
            DifferenceTally tally;
            if (!comparison.count(from, to, tally, pace))
                return;
            if (tally.count > 0) {
                count += tally.count;
                if (firstSpan < 0)
                    firstSpan = from;
                lastSpan = from;
            }
        }
        if (count > 0) {
            first = comparison.next(firstSpan, pace);
            if (first == SearchCancelled)
                return;
            last = comparison.previous(std::min(lastSpan + CountSpan, common), pace);
            if (last == SearchCancelled)
                return;
        }
    }
    const QLocale locale;
    QString text = QStringLiteral("Differing bytes: %1 of %2 compared\nSizes: %3 and %4 bytes")
                       .arg(locale.toString(count), locale.toString(common), locale.toString(page->fileSize),
                            locale.toString(partner->fileSize));
    if (count > 0)
        text += QStringLiteral("\nFirst difference: %1\nLast difference: %2").arg(Address(first), Address(last));
    util::ShowMessage(host.boxOwner(), {QStringLiteral("Count Differences"), text, util::BoxIcon::Information});
}

void StopComparingCommand(SearchHost& host)
{
    if (TPageForm* page = host.activePage(); page && !SearchRunning())
        page->StopComparing();
}

int ChoosePartner(QWidget* owner, const QStringList& pages)
{
    TCompareForm form(owner, pages);
    return form.exec() == QDialog::Accepted ? form.chosen() : -1;
}

} // namespace search
