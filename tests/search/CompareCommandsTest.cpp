// Two pages compared on a real main window, headless: the next and previous
// difference and the count against a byte-by-byte reference, the pairing by the
// small list, the red cells, the partner following, the pair's end, Esc from inside
// the pacing steps, read errors, and files left as they were.

#include "app/Mainform.h"
#include "page/Page_form.h"
#include "search/CompareCommands.h"
#include "search/Compareform.h"
#include "search/FindCommands.h"
#include "search/Scan.h"
#include "search/SearchProgress.h"
#include "support/TempFiles.h"
#include "support/Wait.h"
#include "util/Messages.h"

#include "Shots.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QLocale>
#include <QPainter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <memory>

using testing_support::RandomBytes;
using testing_support::TempDir;
using Bytes = std::vector<uint8_t>;

namespace {

const std::string NoMore = "box: No more differences.";

class Compare : public testing::Test {
protected:
    Compare() { QLocale::setDefault(QLocale::c()); }

    TPageForm* open(const std::string& path)
    {
        chosen = {QString::fromStdString(path)};
        form.CategoryButtons1Categories0Items1Click();
        return form.activePage();
    }
    TPageForm* open(const Bytes& bytes) { return open(dir.write("f" + std::to_string(++files), bytes)); }

    // Opens both and pairs the first (left active) with the second.
    void openPair(const Bytes& a, const Bytes& b)
    {
        pathA = dir.write("a" + std::to_string(++files), a);
        pathB = dir.write("b" + std::to_string(++files), b);
        pageA = open(pathA);
        pageB = open(pathB);
        form.FilePages->setCurrentIndex(0);
        form.compareWith(1);
    }

    // Runs the action once, from inside the next scan, at the first pacing step at
    // which `due` holds; the window system runs at every step as it does in use.
    void duringScan(std::function<bool()> due, std::function<void()> action)
    {
        pacing.reset(); // the old override goes first, or its end would undo the new one
        pacing = std::make_unique<PaceOverride>(search::SearchPaceSeam, [=, this](int64_t) {
            QApplication::processEvents();
            if (actions == 0 && due()) {
                ++actions;
                action();
            }
        });
    }

    // Whether any pixel of the grid's cell for address is drawn in the difference red.
    static bool RedIn(TPageForm& page, page::Grid& grid, int64_t address)
    {
        const page::PageShape::Cell cell = page.Shape().CellOfAddress(page.topAddress, address);
        const QImage image = grid.grab(grid.cellRect(cell.col, cell.row)).toImage();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixelColor(x, y) == QColor(0xC0, 0, 0))
                    return true;
        return false;
    }

    void activate()
    {
        form.show();
        QApplication::setActiveWindow(&form);
    }
    // A key as the user presses it; the window is active again after a closed dialog.
    void key(int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QApplication::setActiveWindow(&form);
        QTest::keyClick(form.focusWidget() ? form.focusWidget() : &form, static_cast<Qt::Key>(k), modifiers);
    }

    TempDir dir;
    std::vector<std::string> events;
    decltype(util::ShowMessageSeam)::Override seam{util::ShowMessageSeam,
                [this](QWidget*, const util::Message& m) { events.push_back("box: " + m.text.toStdString()); }};
    decltype(util::BeepSeam)::Override beep{util::BeepSeam, [this] { events.push_back("beep"); }};
    TBEForm form;
    QStringList chosen;
    decltype(TBEForm::OpenDialog1)::Override openDialog{form.OpenDialog1, [this] { return chosen; }};
    int files = 0;
    std::string pathA, pathB;
    TPageForm* pageA = nullptr;
    TPageForm* pageB = nullptr;
    int actions = 0;
    using PaceOverride = util::Seam<void(int64_t)>::Override;
    std::unique_ptr<PaceOverride> pacing;
};

// A pair of files: b is a copy of a, cut or lengthened to sizeB, with the bytes at
// `flips` changed (where both files have them).
struct PairCase {
    const char* name;
    size_t sizeA;
    size_t sizeB;
    std::vector<size_t> flips;
    size_t randomFlips = 0; // more, at places drawn from the seed
};
void PrintTo(const PairCase& c, std::ostream* os) { *os << c.name; }

constexpr size_t Step = search::ScanStep;
constexpr size_t Window = 0x10000;

const PairCase PairCases[] = {
    {"Identical", 300000, 300000, {}},
    {"FirstByte", 300000, 300000, {0}},
    {"LastByte", 300000, 300000, {299999}},
    {"SecondAndSecondToLast", 300000, 300000, {1, 299998}},
    {"WindowEdges", 300000, 300000, {Window - 1, Window, 2 * Window - 1}},
    {"StepEdges", 3 * Step, 3 * Step, {Step - 1, Step, 2 * Step - 1, 2 * Step}},
    {"Scattered", 700000, 700000, {}, 60},
    {"Adjacent", 5000, 5000, {100, 101, 102, 4998, 4999}},
    {"FirstShorter", 200000, 300000, {5, 199999}},
    {"SecondShorter", 300000, 200000, {5, 199999}},
    {"FirstShorterByOne", 300000, 300001, {}},
    {"SecondShorterByOne", 300001, 300000, {0}},
    {"OnlyTheLengthDiffers", 1000, 1001, {}},
    {"OneByteEach", 1, 1, {0}},
    {"OneByteAgainstMore", 1, Step + 7, {}},
};

class CompareWalk : public Compare, public testing::WithParamInterface<PairCase> {};

} // namespace

// F6 from the first byte to the end and Shift+F6 from the last byte back visit
// exactly the reference's differences, both pages moving each time; the longer
// file's tail is one difference at its start, where the shorter page stands on its
// last byte. Count Differences says what the reference says.
TEST_P(CompareWalk, DifferencesAreTheReferences)
{
    const PairCase& c = GetParam();
    const Bytes a = RandomBytes(c.sizeA, 7);
    Bytes b = RandomBytes(c.sizeB, 7); // the same bytes as far as both reach
    std::vector<size_t> flips = c.flips;
    const size_t common = std::min(c.sizeA, c.sizeB);
    const Bytes places = RandomBytes(c.randomFlips * 3, 11);
    for (size_t i = 0; i < c.randomFlips; ++i)
        flips.push_back((places[3 * i] << 16 | places[3 * i + 1] << 8 | places[3 * i + 2]) % common);
    for (size_t at : flips)
        b[at] = static_cast<uint8_t>(a[at] ^ 0x5A);
    openPair(a, b);
    ASSERT_EQ(pageA->PartnerPage(), pageB);

    std::vector<int64_t> reference;
    for (size_t i = 0; i < common; ++i)
        if (a[i] != b[i])
            reference.push_back(static_cast<int64_t>(i));
    const int64_t differingBytes = static_cast<int64_t>(reference.size());
    if (c.sizeA != c.sizeB)
        reference.push_back(static_cast<int64_t>(common));
    const int64_t lastA = static_cast<int64_t>(c.sizeA) - 1, lastB = static_cast<int64_t>(c.sizeB) - 1;

    // Each step: where both pages stand; the walk ends in one beep and one box.
    const auto walk = [&](void (TBEForm::*command)()) {
        std::vector<int64_t> visited;
        events.clear();
        for (size_t i = 0; i <= reference.size() + 1 && events.empty(); ++i) {
            (form.*command)();
            if (!events.empty())
                break;
            const int64_t at = std::max(pageA->cursorAddress, pageB->cursorAddress);
            visited.push_back(at);
            EXPECT_EQ(pageA->cursorAddress, std::min(at, lastA)) << at;
            EXPECT_EQ(pageB->cursorAddress, std::min(at, lastB)) << at;
            EXPECT_EQ(pageA->topAddress, pageA->RowOfAddress(pageA->cursorAddress) * pageA->BytesPerRow());
            EXPECT_LE(pageB->topAddress, pageB->cursorAddress);
        }
        EXPECT_EQ(events, (std::vector<std::string>{"beep", NoMore}));
        return visited;
    };

    pageA->MoveToAddress(0);
    std::vector<int64_t> forward;
    std::copy_if(reference.begin(), reference.end(), std::back_inserter(forward), [](int64_t d) { return d > 0; });
    EXPECT_EQ(walk(&TBEForm::nextDifferenceCommand), forward);

    pageA->MoveToAddress(lastA); // the partner follows, as far as it reaches
    EXPECT_EQ(pageB->cursorAddress, std::min(lastA, lastB));
    std::vector<int64_t> backward;
    std::copy_if(reference.rbegin(), reference.rend(), std::back_inserter(backward), [&](int64_t d) { return d < lastA; });
    EXPECT_EQ(walk(&TBEForm::previousDifferenceCommand), backward);

    events.clear();
    form.countDifferencesCommand();
    QString expected = QStringLiteral("box: Differing bytes: %1 of %2 compared\nSizes: %3 and %4 bytes")
                           .arg(differingBytes)
                           .arg(common)
                           .arg(c.sizeA)
                           .arg(c.sizeB);
    if (differingBytes > 0) {
        const auto address = [](int64_t d) {
            const QString hex = QStringLiteral("%1").arg(d, 16, 16, QLatin1Char('0')).toUpper();
            return hex.left(8) + ' ' + hex.mid(8);
        };
        expected += QStringLiteral("\nFirst difference: %1\nLast difference: %2")
                        .arg(address(reference.front()), address(reference[static_cast<size_t>(differingBytes - 1)]));
    }
    EXPECT_EQ(events, std::vector<std::string>{expected.toStdString()});

    // Not a byte of either file was written.
    QFile fileA(QString::fromStdString(pathA)), fileB(QString::fromStdString(pathB));
    ASSERT_TRUE(fileA.open(QIODevice::ReadOnly) && fileB.open(QIODevice::ReadOnly));
    EXPECT_TRUE(fileA.readAll() == QByteArray(reinterpret_cast<const char*>(a.data()), static_cast<qsizetype>(a.size())));
    EXPECT_TRUE(fileB.readAll() == QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size())));
}

INSTANTIATE_TEST_SUITE_P(Pairs, CompareWalk, testing::ValuesIn(PairCases),
                         [](const testing::TestParamInfo<PairCase>& param) { return std::string(param.param.name); });

// Ctrl+K lists the other pages by name and folder; the choice pairs the active page
// with it, both captions carry the mark, and the partner shows the same addresses.
TEST_F(Compare, CtrlKPairsWithThePageChosenAndPairingAThirdEndsTheOldPair)
{
    TPageForm* first = open(Bytes(5000, 1));
    TPageForm* second = open(Bytes(5000, 2));
    TPageForm* third = open(Bytes(3000, 3));
    form.FilePages->setCurrentIndex(0);
    first->MoveToAddress(4500);
    activate();

    const auto chooseByKeys = [&](int downs) {
        QStringList listed;
        QTimer::singleShot(0, [&listed, downs] {
            auto* dialog = qobject_cast<TCompareForm*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            for (int i = 0; i < dialog->PageList->count(); ++i)
                listed << dialog->PageList->item(i)->text();
            for (int i = 0; i < downs; ++i)
                QTest::keyClick(dialog->PageList, Qt::Key_Down);
            QTest::keyClick(dialog->PageList, Qt::Key_Return);
            if (dialog->isVisible()) // Enter did not take the choice: leave rather than hang
                dialog->reject();
        });
        key(Qt::Key_K, Qt::ControlModifier);
        return listed;
    };

    const QString folder = QString::fromStdString(dir.path());
    const QStringList listed = chooseByKeys(0);
    EXPECT_EQ(listed, (QStringList{QStringLiteral("f2 \u2014 ") + folder, QStringLiteral("f3 \u2014 ") + folder}));
    EXPECT_EQ(first->PartnerPage(), second);
    EXPECT_EQ(second->PartnerPage(), first);
    EXPECT_EQ(form.FilePages->tabText(0), QStringLiteral("f1 \u21C4"));
    EXPECT_EQ(form.FilePages->tabText(1), QStringLiteral("f2 \u21C4"));
    EXPECT_EQ(form.FilePages->tabText(2), QStringLiteral("f3"));
    EXPECT_EQ(second->cursorAddress, 4500);
    EXPECT_EQ(second->topAddress, first->topAddress);

    chooseByKeys(1); // the third: the shorter one follows onto its last byte
    EXPECT_EQ(first->PartnerPage(), third);
    EXPECT_EQ(second->PartnerPage(), nullptr);
    EXPECT_EQ(third->cursorAddress, 2999);
    EXPECT_EQ(form.FilePages->tabText(1), QStringLiteral("f2"));
    EXPECT_EQ(form.FilePages->tabText(2), QStringLiteral("f3 \u21C4"));

    // The cursor keys of the active page move the partner's cursor too.
    first->MoveToAddress(10);
    key(Qt::Key_Right);
    EXPECT_EQ(first->cursorAddress, 11);
    EXPECT_EQ(third->cursorAddress, 11);
    key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(third->cursorAddress, 2999);

    form.stopComparingCommand();
    EXPECT_EQ(first->PartnerPage(), nullptr);
    EXPECT_EQ(third->PartnerPage(), nullptr);
    EXPECT_EQ(form.FilePages->tabText(0), QStringLiteral("f1"));
    EXPECT_EQ(form.FilePages->tabText(2), QStringLiteral("f3"));
    EXPECT_TRUE(events.empty());
}

// The differing bytes are red in both grids of both pages; the cursor keeps its
// colours; F6 by key moves both pages (the partner's tab hidden); closing one tab
// ends the pair, its mark and the red.
TEST_F(Compare, DifferencesAreRedInBothPagesUntilOneTabCloses)
{
    Bytes a(4096, 0x11), b(4096, 0x11);
    b[0x10] = 0x33;
    b[0x123] = 0x22;
    openPair(a, b);
    activate();
    pageA->MoveToAddress(0);
    QApplication::processEvents();
    SaveShot(form, "compare-a.png");
    for (page::Grid* grid : {pageA->BinGrid, pageA->TextGrid}) {
        EXPECT_TRUE(RedIn(*pageA, *grid, 0x10));
        EXPECT_TRUE(RedIn(*pageA, *grid, 0x123));
        EXPECT_FALSE(RedIn(*pageA, *grid, 0x124));
        EXPECT_FALSE(RedIn(*pageA, *grid, 0));
    }

    key(Qt::Key_F6);
    EXPECT_EQ(pageA->cursorAddress, 0x10);
    EXPECT_EQ(pageB->cursorAddress, 0x10);
    EXPECT_FALSE(RedIn(*pageA, *pageA->BinGrid, 0x10)); // the cursor's own colours
    key(Qt::Key_F6);
    EXPECT_EQ(pageA->cursorAddress, 0x123);
    EXPECT_EQ(pageB->cursorAddress, 0x123);
    key(Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(pageA->cursorAddress, 0x10);
    EXPECT_EQ(pageB->cursorAddress, 0x10);

    form.FilePages->setCurrentIndex(1);
    QApplication::processEvents();
    SaveShot(form, "compare-b.png");
    EXPECT_EQ(pageB->topAddress, pageA->topAddress);
    for (page::Grid* grid : {pageB->BinGrid, pageB->TextGrid}) {
        EXPECT_TRUE(RedIn(*pageB, *grid, 0x123));
        EXPECT_FALSE(RedIn(*pageB, *grid, 0x124));
    }

    form.FilePages->setCurrentIndex(0);
    key(Qt::Key_W, Qt::ControlModifier);
    ASSERT_EQ(form.FilePages->count(), 1);
    EXPECT_EQ(form.activePage(), pageB);
    EXPECT_EQ(pageB->PartnerPage(), nullptr);
    EXPECT_EQ(form.FilePages->tabText(0), QString::fromStdString(pathB.substr(pathB.rfind('/') + 1)));
    QApplication::processEvents();
    for (page::Grid* grid : {pageB->BinGrid, pageB->TextGrid})
        EXPECT_FALSE(RedIn(*pageB, *grid, 0x123));
    events.clear();
    key(Qt::Key_F6); // no pair: nothing
    EXPECT_EQ(pageB->cursorAddress, 0x10);
    EXPECT_TRUE(events.empty());
}

// Bytes past the partner's end are red; a partner byte that cannot be read leaves
// the cell plain. A printout draws its cells as the screen does.
TEST_F(Compare, CellsPastThePartnersEndAreRedWhereverTheyAreDrawn)
{
    openPair(Bytes(600, 0x41), Bytes(300, 0x41));
    pageA->MoveToAddress(296);
    const page::PageShape::Cell inside = pageA->Shape().CellOfAddress(pageA->topAddress, 299);
    const page::PageShape::Cell past = pageA->Shape().CellOfAddress(pageA->topAddress, 300);
    ASSERT_EQ(inside.row, 0);
    QImage image(200, 20, QImage::Format_RGB32);
    QPainter painter(&image);
    pageA->DrawGridCell(painter, inside.col, inside.row, QRect(0, 0, 24, 16), page::CellState{}, true);
    pageA->DrawGridCell(painter, past.col, past.row, QRect(30, 0, 24, 16), page::CellState{}, true);
    pageA->DrawGridCell(painter, past.col, past.row, QRect(60, 0, 24, 16), page::CellState{}, false);
    painter.end();
    const auto redIn = [&](int left) {
        for (int y = 0; y < 16; ++y)
            for (int x = left; x < left + 24; ++x)
                if (image.pixelColor(x, y) == QColor(0xC0, 0, 0))
                    return true;
        return false;
    };
    EXPECT_FALSE(redIn(0));
    EXPECT_TRUE(redIn(30));
    EXPECT_TRUE(redIn(60));
}

TEST_F(Compare, APartnerByteThatCannotBeReadLeavesItsCellPlainAndIsToldOnce)
{
    const std::string shrinking = dir.write("shrinks", Bytes(200000, 0x41));
    pageA = open(Bytes(200000, 0x42));
    pageB = open(shrinking);
    form.FilePages->setCurrentIndex(0);
    form.compareWith(1);
    ASSERT_EQ(truncate(shrinking.c_str(), 1000), 0);
    activate();
    pageA->MoveToAddress(150000);
    pageA->BinGrid->repaint();
    EXPECT_FALSE(RedIn(*pageA, *pageA->BinGrid, 150001));
    EXPECT_TRUE(testing_support::WaitUntil([&] { return !events.empty(); }));
    EXPECT_EQ(events.size(), 1u);
}

// A long comparison shows its progress, holds the window, and Esc stops it without
// a word and without moving either page; Count Differences shows no box then.
TEST_F(Compare, EscStopsALongComparisonAndNothingMoves)
{
    const int64_t size = int64_t{64} << 30;
    pageA = open(dir.sparse("huge-a", size));
    pageB = open(dir.sparse("huge-b", size));
    form.FilePages->setCurrentIndex(0);
    form.compareWith(1);
    pageA->MoveToAddress(5);
    activate();

    for (void (TBEForm::*command)() : {&TBEForm::nextDifferenceCommand, &TBEForm::countDifferencesCommand,
                                        &TBEForm::previousDifferenceCommand}) {
        if (command == &TBEForm::previousDifferenceCommand)
            pageA->MoveToAddress(size - 1);
        SCOPED_TRACE(command == &TBEForm::nextDifferenceCommand    ? "next"
                     : command == &TBEForm::countDifferencesCommand ? "count"
                                                                    : "previous");
        const int64_t before = pageA->cursorAddress;
        actions = 0;
        events.clear();
        bool running = false, tabsEnabled = true;
        QString progress;
        int tabs = 0;
        QElapsedTimer sinceFirstStep;
        int stepsAfterDelay = 0;
        duringScan(
            [&] {
                if (!sinceFirstStep.isValid())
                    sinceFirstStep.start();
                if (sinceFirstStep.elapsed() >= search::ProgressDelayMs)
                    ++stepsAfterDelay;
                return stepsAfterDelay == 2;
            },
            [&] {
                running = search::SearchRunning();
                tabsEnabled = form.FilePages->isEnabled();
                progress = form.StatusBar1->currentMessage();
                SaveShot(form, "compare-progress.png");
                key(Qt::Key_W, Qt::ControlModifier); // held: no tab closes
                key(Qt::Key_F6);                     // held: no second scan
                form.CategoryButtons1Categories0Items0Click();
                tabs = form.FilePages->count();
                key(Qt::Key_Escape);
            });
        (form.*command)();
        EXPECT_EQ(actions, 1);
        EXPECT_TRUE(running);
        EXPECT_FALSE(tabsEnabled);
        EXPECT_TRUE(progress.startsWith("Comparing: ") && progress.contains(" GB (") && progress.endsWith("Esc cancels."))
            << progress.toStdString();
        EXPECT_EQ(tabs, 2);
        EXPECT_TRUE(events.empty());
        EXPECT_EQ(pageA->cursorAddress, before);
        EXPECT_EQ(pageB->cursorAddress, before);
        EXPECT_FALSE(search::SearchRunning());
        EXPECT_TRUE(form.FilePages->isEnabled());
        EXPECT_TRUE(form.StatusBar1->currentMessage().isEmpty());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

// A file that shrank under its page: the read error ends the command and goes on
// to the general error handler, the window restored and neither page moved.
TEST_F(Compare, AReadErrorEndsTheComparison)
{
    const std::string shrinking = dir.write("shrinks", Bytes(3 << 20, 0));
    pageA = open(Bytes(3 << 20, 0));
    pageB = open(shrinking);
    form.FilePages->setCurrentIndex(0);
    form.compareWith(1);
    ASSERT_EQ(truncate(shrinking.c_str(), 1000), 0);
    for (void (TBEForm::*command)() : {&TBEForm::nextDifferenceCommand, &TBEForm::countDifferencesCommand}) {
        try {
            (form.*command)();
            ADD_FAILURE() << "no error";
        } catch (const util::Error& e) {
            EXPECT_STREQ(e.what(), "file read error");
        }
        EXPECT_EQ(pageA->cursorAddress, 0);
        EXPECT_EQ(pageB->cursorAddress, 0);
        EXPECT_FALSE(search::SearchRunning());
        EXPECT_TRUE(form.FilePages->isEnabled());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(events.empty());
    }
}

// The progress line of a comparison, up to the edge of the offsets.
TEST(ComparisonProgress, SaysHowFarTheComparisonIs)
{
    EXPECT_EQ(search::ComparisonProgressText(int64_t{12300000000}, int64_t{1} << 40),
              QStringLiteral("Comparing: 12.3 of 1099.5 GB (1%). Esc cancels."));
    EXPECT_EQ(search::ComparisonProgressText(INT64_MAX - 1, INT64_MAX),
              QStringLiteral("Comparing: 9223372036.9 of 9223372036.9 GB (99%). Esc cancels."));
    EXPECT_EQ(search::ComparisonProgressText(0, 1), QStringLiteral("Comparing: 0.0 of 0.0 GB (0%). Esc cancels."));
}
