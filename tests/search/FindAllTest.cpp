// Find Previous and Find All on a real main window with open pages, headless: the
// find dialog is answered as a user would, keys go through the window's shortcuts,
// and a long scan is acted on from inside its pacing steps.

#include "app/Mainform.h"
#include "page/Page_form.h"
#include "search/FindAllform.h"
#include "search/FindCommands.h"
#include "search/Fform.h"
#include "search/PatternField.h"
#include "search/RadioGroup.h"
#include "search/SearchProgress.h"
#include "support/TempFiles.h"
#include "support/Wait.h"
#include "util/Error.h"
#include "util/Messages.h"

#include "Shots.h"
#include "Typing.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>

using testing_support::TempDir;
using Bytes = std::vector<uint8_t>;

namespace {

// Every match at or after start, byte by byte.
std::vector<int64_t> ReferenceAll(const Bytes& file, const Bytes& pattern, int64_t start = 0)
{
    std::vector<int64_t> hits;
    for (int64_t at = start; at + static_cast<int64_t>(pattern.size()) <= static_cast<int64_t>(file.size()); ++at)
        if (std::equal(pattern.begin(), pattern.end(), file.begin() + at))
            hits.push_back(at);
    return hits;
}

// The last match that starts before `before`, -1 for none.
int64_t ReferencePrevious(const Bytes& file, const Bytes& pattern, int64_t before)
{
    int64_t last = -1;
    for (const int64_t at : ReferenceAll(file, pattern))
        if (at < before)
            last = at;
    return last;
}

QString Hex(const Bytes& bytes)
{
    QString text;
    for (const uint8_t b : bytes)
        text += QString::asprintf("%02X", b);
    return text;
}

class FindAll : public testing::Test {
protected:
    FindAll() { search::SetSearchDialogOwner(&form); }

    TPageForm* open(const std::string& path)
    {
        chosen = {QString::fromStdString(path)};
        form.CategoryButtons1Categories0Items1Click();
        return form.activePage();
    }
    TPageForm* open(const Bytes& bytes) { return open(dir.write("f" + std::to_string(++files), bytes)); }

    // Fills the find dialog as a user would and leaves it by Search (or Cancel).
    void answerDialog(const QString& hex, int startItem, bool search = true)
    {
        QTimer::singleShot(0, [=] {
            Clear(search::FindForm().HexEdit);
            Type(search::FindForm().HexEdit, hex);
            search::FindForm().StartPositionRG->setItemIndex(startItem);
            (search ? search::FindForm().SearchBtn : search::FindForm().CancelBtn)->click();
        });
    }
    // The pattern goes into the dialog, which is left by Cancel: Next and Find Previous use it.
    void setPattern(const QString& hex)
    {
        answerDialog(hex, 0, false);
        form.CategoryButtons1Categories2Items0Click();
    }
    void findAll(const QString& hex, int startItem = 0)
    {
        answerDialog(hex, startItem);
        form.FindAllExecute();
    }

    // The window is active and the keys go where its keyboard focus is.
    void activate(QWidget* window)
    {
        window->show();
        QApplication::setActiveWindow(window);
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* window = QApplication::activeWindow();
        ASSERT_NE(window, nullptr);
        QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, static_cast<Qt::Key>(key), modifiers);
    }

    TFindAllForm* results(const TPageForm* page) { return TFindAllForm::Of(&form, page); }
    std::vector<int64_t> listed(const TFindAllForm& window)
    {
        std::vector<int64_t> addresses;
        for (int row = 0; row < window.hits()->rowCount(); ++row)
            addresses.push_back(window.hits()->address(row));
        return addresses;
    }

    // Runs the action once, from inside the next scan, at the first pacing step at
    // which `due` holds; the window system runs at every step as it does in use.
    void duringSearch(std::function<bool(int64_t)> due, std::function<void()> action)
    {
        pacing.reset(); // an override put back on top of a newer one would undo it
        pacing = std::make_unique<PaceOverride>(search::SearchPaceSeam, [=, this](int64_t position) {
            QApplication::processEvents();
            if (actions == 0 && due(position)) {
                ++actions;
                action();
            }
        });
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
    int actions = 0;
    using PaceOverride = util::Seam<void(int64_t)>::Override;
    std::unique_ptr<PaceOverride> pacing;
};

const std::vector<std::string> NotFound = {"beep", "box: Search string is not found."};

struct PreviousCase {
    const char* name;
    Bytes file;
    Bytes pattern;
};

void PrintTo(const PreviousCase& c, std::ostream* out) { *out << c.name; }

class FindPrevious : public FindAll, public testing::WithParamInterface<PreviousCase> {};

// From every cursor of the file, byte 0, the first and last occurrence and between
// overlapping ones among them: the last match starting before it, or the beep and
// the message with the page left where it was.
TEST_P(FindPrevious, FromEveryCursorFindsTheLastMatchBeforeIt)
{
    const PreviousCase& c = GetParam();
    TPageForm* page = open(c.file);
    setPattern(Hex(c.pattern));
    for (int64_t cursor = 0; cursor < static_cast<int64_t>(c.file.size()); ++cursor) {
        page->MoveToAddress(cursor);
        events.clear();
        form.FindPreviousExecute();
        const int64_t expected = ReferencePrevious(c.file, c.pattern, cursor);
        if (cursor == 0) {
            EXPECT_TRUE(events.empty()) << "on byte 0 nothing happens";
            EXPECT_EQ(page->cursorAddress, 0);
        } else if (expected < 0) {
            EXPECT_EQ(events, NotFound) << cursor;
            EXPECT_EQ(page->cursorAddress, cursor);
        } else {
            EXPECT_TRUE(events.empty()) << cursor;
            EXPECT_EQ(page->cursorAddress, expected) << "from " << cursor;
        }
    }
    EXPECT_TRUE(form.FilePages->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

Bytes Spread()
{
    Bytes bytes(300000, 0x11);
    for (const size_t at : {5, 70000, 65535, 131072, 299996})
        std::copy_n(Bytes{0xDE, 0xAD, 0xBE, 0xEF}.begin(), 4, bytes.begin() + static_cast<long>(at));
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FindPrevious,
    testing::Values(PreviousCase{"Overlapping", {0x41, 0x41, 0x41, 0x41, 0x00, 0x41, 0x41, 0x41}, {0x41, 0x41}},
                    PreviousCase{"PeriodicOverlap", {1, 2, 1, 2, 1, 2, 1, 0, 1, 2, 1}, {1, 2, 1}},
                    PreviousCase{"FirstAndLastBytes", {7, 3, 3, 3, 7, 3, 7}, {7}},
                    PreviousCase{"Absent", {1, 2, 3, 4, 5, 6}, {6, 5}},
                    PreviousCase{"LongerThanTheFile", {1, 2, 3}, {1, 2, 3, 4}}),
    [](const auto& named) { return std::string(named.param.name); });

// Far apart and across window edges: the same in few steps, each cursor a match.
TEST_F(FindAll, FindPreviousWalksBackThroughSpreadMatches)
{
    const Bytes bytes = Spread();
    TPageForm* page = open(bytes);
    setPattern(QStringLiteral("DE AD BE EF"));
    page->MoveToAddress(static_cast<int64_t>(bytes.size()) - 1);
    const std::vector<int64_t> all = ReferenceAll(bytes, {0xDE, 0xAD, 0xBE, 0xEF});
    for (auto hit = all.rbegin(); hit != all.rend(); ++hit) {
        form.FindPreviousExecute();
        EXPECT_EQ(page->cursorAddress, *hit);
    }
    EXPECT_TRUE(events.empty());
    form.FindPreviousExecute();
    EXPECT_EQ(events, NotFound);
}

TEST_F(FindAll, FindPreviousWithoutAUsablePatternDoesNothing)
{
    TPageForm* page = open(Bytes{0x41, 0x42, 0x41, 0x42});
    page->MoveToAddress(3);
    setPattern(QString());
    form.FindPreviousExecute();
    setPattern(QStringLiteral("4x")); // rejected: Search is disabled
    ASSERT_FALSE(search::FindForm().SearchBtn->isEnabled());
    form.FindPreviousExecute();
    EXPECT_EQ(page->cursorAddress, 3);
    EXPECT_TRUE(events.empty());
}

// Shift+F3 by key on a long file: the progress says backwards, every other command
// is held, Esc stops it without a word and the page stays.
TEST_F(FindAll, ShiftF3SearchesBackwardsWithProgressAndEscStopsIt)
{
    TPageForm* page = open(dir.sparse("huge", int64_t{64} << 30));
    setPattern(QStringLiteral("01"));
    const int64_t end = page->file->size() - 1;
    page->MoveToAddress(end);
    activate(&form);
    QString progress;
    bool running = false;
    int64_t lowest = end;
    QElapsedTimer sinceFirstStep;
    int stepsAfterDelay = 0;
    duringSearch(
        [&](int64_t position) {
            lowest = position;
            if (!sinceFirstStep.isValid())
                sinceFirstStep.start();
            if (sinceFirstStep.elapsed() >= search::ProgressDelayMs)
                ++stepsAfterDelay;
            return stepsAfterDelay == 2;
        },
        [&] {
            running = search::SearchRunning();
            progress = form.StatusBar1->currentMessage();
            QTest::keyClick(&form, Qt::Key_F3, Qt::ShiftModifier); // held: no second search
            QTest::keyClick(form.focusWidget() ? form.focusWidget() : &form, Qt::Key_Escape);
        });
    key(Qt::Key_F3, Qt::ShiftModifier);
    EXPECT_EQ(actions, 1);
    EXPECT_TRUE(running);
    EXPECT_LT(lowest, end);
    EXPECT_TRUE(progress.startsWith("Searching backwards: ") && progress.contains(" of 68.7 GB ("))
        << progress.toStdString();
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(page->cursorAddress, end);
    EXPECT_FALSE(search::SearchRunning());
    EXPECT_TRUE(form.StatusBar1->currentMessage().isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Count, list and cap against the byte-by-byte list: 00 00 over two million zeros
// matches at every position.
TEST_F(FindAll, CountIsExactAndTheListKeepsTheFirstMillion)
{
    QLocale::setDefault(QLocale::c());
    Bytes bytes(2000000, 0);
    bytes[1000] = 1;
    TPageForm* page = open(bytes);
    findAll(QStringLiteral("0000"));
    TFindAllForm* window = results(page);
    ASSERT_NE(window, nullptr);
    const std::vector<int64_t> reference = ReferenceAll(bytes, {0, 0});
    ASSERT_GT(reference.size(), search::ListedHitsLimit);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Find All: 1,999,997 occurrences, first 1,000,000 listed"));
    EXPECT_EQ(window->TitleLabel->text(), window->windowTitle());
    EXPECT_EQ(window->PatternLabel->text(), QStringLiteral("00 00"));
    EXPECT_FALSE(window->StateLabel->isVisible());
    EXPECT_EQ(listed(*window), std::vector<int64_t>(reference.begin(), reference.begin() + search::ListedHitsLimit));
    EXPECT_EQ(page->cursorAddress, 0); // the first hit is the current row
    EXPECT_TRUE(events.empty());
}

TEST_F(FindAll, FromTheCursorListsEveryMatchToTheEnd)
{
    const Bytes bytes = testing_support::RandomBytes(400000, 23);
    const Bytes pattern = {bytes[5000], bytes[5001]};
    TPageForm* page = open(bytes);
    page->MoveToAddress(5000);
    findAll(Hex(pattern), 1);
    TFindAllForm* window = results(page);
    ASSERT_NE(window, nullptr);
    const std::vector<int64_t> reference = ReferenceAll(bytes, pattern, 5000);
    EXPECT_EQ(window->windowTitle(), search::FindAllTitle(static_cast<int64_t>(reference.size()), reference.size()));
    EXPECT_EQ(listed(*window), reference);
    // Each row shows its hit's bytes in brackets.
    const QString row = window->hits()->data(window->hits()->index(3), Qt::DisplayRole).toString();
    EXPECT_TRUE(row.contains(QStringLiteral("[%1 %2]").arg(Hex({pattern[0]}), Hex({pattern[1]})))) << row.toStdString();
}

TEST_F(FindAll, NotFoundEmptyPatternAndCancelShowNoWindow)
{
    TPageForm* page = open(Bytes{1, 2, 3, 4, 5, 6});
    page->MoveToAddress(4);
    findAll(QStringLiteral("0201"));
    EXPECT_EQ(events, NotFound);
    EXPECT_EQ(page->cursorAddress, 4);
    events.clear();
    answerDialog(QStringLiteral("0203"), 0, false); // Cancel
    form.FindAllExecute();
    EXPECT_EQ(page->cursorAddress, 4);
    findAll(QString(), 0); // an empty pattern goes to the start position, as Find
    EXPECT_EQ(page->cursorAddress, 0);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(results(page), nullptr);
    EXPECT_TRUE(form.findChildren<TFindAllForm*>().isEmpty());
}

// By keys alone: Ctrl+Shift+F opens the list with the keyboard in it, arrows walk
// the hits and move the page, Enter gives the keyboard back to the page, Esc in the
// list closes it; the command keys work in it.
TEST_F(FindAll, TheListIsWalkedByKeysAndMovesThePage)
{
    Bytes bytes(100000, 0);
    const std::vector<int64_t> hits = {10, 4000, 70000, 99990};
    for (const int64_t at : hits)
        bytes[static_cast<size_t>(at)] = 0xAB;
    TPageForm* page = open(bytes);
    activate(&form);
    answerDialog(QStringLiteral("AB"), 0);
    key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    TFindAllForm* window = results(page);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    ASSERT_TRUE(testing_support::WaitUntil([&] { return QApplication::activeWindow() == window; }));
    EXPECT_EQ(window->focusWidget(), window->HitList);
    EXPECT_EQ(page->cursorAddress, 10);
    SaveShot(*window, "find-all.png");

    key(Qt::Key_Down);
    EXPECT_EQ(page->cursorAddress, 4000);
    key(Qt::Key_End);
    EXPECT_EQ(page->cursorAddress, 99990);
    EXPECT_EQ(page->topAddress, page->RowOfAddress(99990) * page->BytesPerRow());
    key(Qt::Key_Up);
    EXPECT_EQ(page->cursorAddress, 70000);

    // A command key from the list: Next from the hit, then the keyboard is the page's.
    key(Qt::Key_F3);
    EXPECT_EQ(page->cursorAddress, 99990);
    EXPECT_TRUE(testing_support::WaitUntil([&] { return QApplication::activeWindow() == &form; }));
    EXPECT_EQ(form.focusWidget(), page->BinGrid);

    activate(window);
    window->HitList->setFocus();
    key(Qt::Key_Home);
    EXPECT_EQ(page->cursorAddress, 10);
    key(Qt::Key_Return);
    EXPECT_TRUE(testing_support::WaitUntil([&] { return QApplication::activeWindow() == &form; }));
    EXPECT_EQ(form.focusWidget(), page->BinGrid);
    EXPECT_TRUE(window->isVisible());

    activate(window);
    window->HitList->setFocus();
    key(Qt::Key_Escape);
    EXPECT_TRUE(testing_support::WaitUntil([&] { return results(page) == nullptr; }));
    EXPECT_EQ(page->cursorAddress, 10);
    EXPECT_TRUE(events.empty());
}

// One window per page: a new Find All replaces its list; another page has its own;
// closing a page's tab closes its window.
TEST_F(FindAll, OneWindowPerPageClosedWithItsTab)
{
    TPageForm* first = open(Bytes{1, 2, 1, 2, 1});
    findAll(QStringLiteral("01"));
    TFindAllForm* window = results(first);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(listed(*window), (std::vector<int64_t>{0, 2, 4}));
    findAll(QStringLiteral("02"));
    EXPECT_EQ(results(first), window);
    EXPECT_EQ(listed(*window), (std::vector<int64_t>{1, 3}));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Find All: 2 occurrences"));

    TPageForm* second = open(Bytes{2, 2, 2});
    findAll(QStringLiteral("02"));
    ASSERT_NE(results(second), nullptr);
    EXPECT_NE(results(second), window);
    EXPECT_EQ(form.findChildren<TFindAllForm*>().size(), 2);

    form.FilePages->setCurrentIndex(0);
    QPointer<TFindAllForm> watched = window;
    form.CategoryButtons1Categories0Items0Click(); // Close the first tab
    EXPECT_TRUE(testing_support::WaitUntil([&] { return watched.isNull(); }));
    EXPECT_NE(results(second), nullptr);
}

// Esc in the middle of a long scan, pressed in the results window of an earlier
// Find All: the list shows what was found up to there and where it stopped.
TEST_F(FindAll, EscMidScanKeepsThePartialResults)
{
    QLocale::setDefault(QLocale::c());
    const int64_t huge = int64_t{64} << 30;
    const std::string path = dir.sparse("huge", huge, 100, {0xAB});
    {
        std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
        for (const int64_t at : {int64_t{3} << 20, int64_t{9} << 20}) {
            f.seekp(at);
            f.put(static_cast<char>(0xAB));
        }
    }
    TPageForm* page = open(path);
    form.show();
    duringSearch([](int64_t) { return true; }, [&] { QTest::keyClick(&form, Qt::Key_Escape); });
    findAll(QStringLiteral("AB")); // a first list, stopped at once
    ASSERT_EQ(actions, 1);
    actions = 0;
    TFindAllForm* window = results(page);
    ASSERT_NE(window, nullptr);
    activate(window);
    window->HitList->setFocus();

    bool listTookKeys = true;
    duringSearch([](int64_t position) { return position > (int64_t{12} << 20); },
                 [&] {
                     const int64_t before = page->cursorAddress;
                     QTest::keyClick(window->HitList, Qt::Key_Down); // held while the scan runs
                     listTookKeys = page->cursorAddress != before;
                     QTest::keyClick(window->HitList, Qt::Key_Escape);
                 });
    answerDialog(QStringLiteral("AB"), 0);
    form.FindAllExecute();
    EXPECT_EQ(actions, 1);
    EXPECT_FALSE(listTookKeys);
    ASSERT_EQ(results(page), window);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Find All: 3 occurrences"));
    EXPECT_EQ(listed(*window), (std::vector<int64_t>{100, 3 << 20, 9 << 20}));
    EXPECT_TRUE(window->StateLabel->text().startsWith(QStringLiteral("stopped at ")));
    EXPECT_TRUE(window->StateLabel->text().endsWith(QStringLiteral(" of 68.7 GB"))) << window->StateLabel->text().toStdString();
    EXPECT_FALSE(window->StateLabel->isHidden());
    EXPECT_TRUE(events.empty());
    EXPECT_FALSE(search::SearchRunning());
}

// The file shrank under the page: what was found before the failing bytes is listed,
// the error reaches the user once.
TEST_F(FindAll, AReadErrorKeepsWhatWasFound)
{
    Bytes bytes(3 << 20, 0);
    bytes[10] = 0xAB;
    bytes[500] = 0xAB;
    const std::string path = dir.write("shrinks", bytes);
    TPageForm* page = open(path);
    ASSERT_EQ(truncate(path.c_str(), 1000), 0);
    answerDialog(QStringLiteral("AB"), 0);
    try {
        form.FindAllExecute();
        FAIL() << "no error";
    } catch (const util::Error& e) {
        EXPECT_STREQ(e.what(), "file read error");
    }
    TFindAllForm* window = results(page);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(listed(*window), (std::vector<int64_t>{10, 500}));
    EXPECT_TRUE(window->StateLabel->text().endsWith(QStringLiteral(": file read error")));
    EXPECT_FALSE(search::SearchRunning());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Every command of this file, and walking the list, leave the viewed file as it was.
TEST_F(FindAll, NothingIsWrittenToTheViewedFile)
{
    const Bytes bytes = testing_support::RandomBytes(200000, 7);
    const std::string path = dir.write("kept", bytes);
    struct stat before {};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    TPageForm* page = open(path);
    findAll(Hex({bytes[100]}));
    TFindAllForm* window = results(page);
    ASSERT_NE(window, nullptr);
    activate(window);
    window->HitList->setFocus();
    for (int i = 0; i < 50; ++i)
        key(Qt::Key_PageDown);
    page->MoveToAddress(150000);
    form.FindPreviousExecute();
    form.CategoryButtons1Categories0Items0Click();
    struct stat after {};
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
    EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(Bytes(std::istreambuf_iterator<char>(in), {}), bytes);
}

} // namespace
