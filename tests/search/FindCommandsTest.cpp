// The Find, Next and Goto commands on a real main window with open pages,
// headless; the dialogs are answered by the user's clicks from a timer, and a long
// search is acted on from inside its pacing steps.

#include "app/Mainform.h"
#include "page/Page_form.h"
#include "search/FindCommands.h"
#include "search/SearchProgress.h"
#include "search/Fform.h"
#include "search/PatternField.h"
#include "search/Gotoform.h"
#include "search/RadioGroup.h"
#include "support/TempFiles.h"
#include "util/Messages.h"

#include "Shots.h"
#include "Typing.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include <sys/types.h>
#include <unistd.h>

#include <functional>
#include <memory>

using testing_support::TempDir;
using Bytes = std::vector<uint8_t>;

namespace {

class FindCommands : public testing::Test {
protected:
    FindCommands()
    {
        search::SetSearchDialogOwner(&form);
    }

    TPageForm* open(const std::string& path)
    {
        chosen = {QString::fromStdString(path)};
        form.CategoryButtons1Categories0Items1Click();
        return form.activePage();
    }
    TPageForm* open(const Bytes& bytes) { return open(dir.write("f" + std::to_string(++files), bytes)); }

    // Find, with the dialog filled in and left by Search (or Cancel) as a user would.
    void find(const QString& hex, int startItem, bool search = true)
    {
        QTimer::singleShot(0, [=, this] {
            Clear(search::FindForm().HexEdit);
            Type(search::FindForm().HexEdit, hex);
            search::FindForm().StartPositionRG->setItemIndex(startItem);
            (search ? search::FindForm().SearchBtn : search::FindForm().CancelBtn)->click();
        });
        form.CategoryButtons1Categories2Items0Click();
    }
    void next() { form.CategoryButtons1Categories2Items1Click(); }

    // Goto, with the hex field typed in (unless null) and the dialog left by Enter
    // (OK while it is enabled) and then, if it is still open, by Esc.
    void gotoAddress(const char16_t* hex)
    {
        QTimer::singleShot(0, [=, this] {
            if (hex) {
                Clear(search::GTForm().HexEdit);
                Type(search::GTForm().HexEdit, QString::fromUtf16(hex));
            }
            gotoOkEnabled = search::GTForm().BitBtn1->isEnabled();
            QTest::keyClick(search::GTForm().HexEdit, Qt::Key_Return);
            if (search::GTForm().isVisible())
                QTest::keyClick(search::GTForm().HexEdit, Qt::Key_Escape);
        });
        form.CategoryButtons1Categories2Items2Click();
    }

    // Runs the action once, from inside the next search, at the first pacing step at
    // which `due` holds; the window system runs at every step as it does in use.
    void duringSearch(std::function<bool()> due, std::function<void()> action)
    {
        pacing = std::make_unique<PaceOverride>(search::SearchPaceSeam, [=, this](int64_t) {
            QApplication::processEvents();
            if (actions == 0 && due()) {
                ++actions;
                action();
            }
        });
    }
    static bool FirstStep() { return true; }

    TempDir dir;
    std::vector<std::string> events;
    decltype(util::ShowMessageSeam)::Override seam{util::ShowMessageSeam,
                [this](QWidget*, const util::Message& m) { events.push_back("box: " + m.text.toStdString()); }};
    decltype(util::BeepSeam)::Override beep{util::BeepSeam, [this] { events.push_back("beep"); }};
    TBEForm form;
    QStringList chosen;
    decltype(TBEForm::OpenDialog1)::Override openDialog{form.OpenDialog1, [this] { return chosen; }};
    int files = 0;
    bool gotoOkEnabled = false;
    int actions = 0; // how often duringSearch's action ran
    using PaceOverride = util::Seam<void(int64_t)>::Override;
    std::unique_ptr<PaceOverride> pacing;
};

const std::vector<std::string> NotFound = {"beep", "box: Search string is not found."};

Bytes ZerosWith(size_t size, size_t at, const Bytes& inside)
{
    Bytes bytes(size, 0);
    std::copy(inside.begin(), inside.end(), bytes.begin() + static_cast<long>(at));
    return bytes;
}

} // namespace

TEST_F(FindCommands, FindThenNextStepThroughOverlappingMatches)
{
    TPageForm* page = open(Bytes{0x41, 0x41, 0x41, 0x41});
    find(QStringLiteral("4141"), 0);
    EXPECT_EQ(page->cursorAddress, 0);
    next();
    EXPECT_EQ(page->cursorAddress, 1);
    next();
    EXPECT_EQ(page->cursorAddress, 2);
    EXPECT_TRUE(events.empty());
    next();
    EXPECT_EQ(page->cursorAddress, 2);
    EXPECT_EQ(events, NotFound);
}

TEST_F(FindCommands, FindMovesThePageSoTheMatchLeadsItsRow)
{
    TPageForm* page = open(ZerosWith(100000, 70001, {0xDE, 0xAD, 0xBE, 0xEF}));
    find(QStringLiteral("de ad be ef"), 0);
    EXPECT_EQ(page->cursorAddress, 70001);
    EXPECT_EQ(page->topAddress, page->RowOfAddress(70001) * page->BytesPerRow());
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(form.FilePages->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(FindCommands, FromCurrentPositionIncludesTheCursorAndNeverWraps)
{
    TPageForm* page = open(ZerosWith(5000, 100, {1, 2}));
    page->MoveToAddress(100);
    find(QStringLiteral("0102"), 1);
    EXPECT_EQ(page->cursorAddress, 100);
    page->MoveToAddress(101);
    find(QStringLiteral("0102"), 1);
    EXPECT_EQ(page->cursorAddress, 101);
    EXPECT_EQ(events, NotFound);
    events.clear();
    next();
    EXPECT_EQ(events, NotFound);
    events.clear();
    find(QStringLiteral("0102"), 0);
    EXPECT_EQ(page->cursorAddress, 100);
    EXPECT_TRUE(events.empty());
}

TEST_F(FindCommands, NotFoundBeepsThenSaysSoAndLeavesThePage)
{
    TPageForm* page = open(ZerosWith(3000, 0, {0xDE, 0xAD, 0xBE}));
    page->MoveToAddress(1000);
    find(QStringLiteral("DEADBEEF"), 0);
    EXPECT_EQ(events, NotFound);
    EXPECT_EQ(page->cursorAddress, 1000);
    EXPECT_TRUE(form.FilePages->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(FindCommands, CancelAndTheSilentCasesDoNothing)
{
    TPageForm* page = open(Bytes{0x41, 0x42, 0x41, 0x42});
    page->MoveToAddress(1);
    find(QStringLiteral("41"), 0, false); // Cancel
    EXPECT_EQ(page->cursorAddress, 1);

    find(QStringLiteral(""), 1); // empty pattern: the page goes to the start position
    EXPECT_EQ(page->cursorAddress, 1);
    next(); // empty pattern text
    EXPECT_EQ(page->cursorAddress, 1);

    find(QStringLiteral("42"), 0);
    EXPECT_EQ(page->cursorAddress, 1);
    page->MoveToAddress(3);
    next(); // on the last byte
    EXPECT_EQ(page->cursorAddress, 3);

    page->MoveToAddress(0);
    find(QStringLiteral("4x"), 0, false); // rejected text disables Search; Next does nothing
    ASSERT_FALSE(search::FindForm().SearchBtn->isEnabled());
    next();
    EXPECT_EQ(page->cursorAddress, 0);
    EXPECT_TRUE(events.empty());

    find(QStringLiteral(""), 0);
    EXPECT_EQ(page->cursorAddress, 0);
}

TEST_F(FindCommands, NothingHappensWithoutAPage)
{
    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = search::FindForm().isVisible() || search::GTForm().isVisible();
        search::FindForm().reject();
        search::GTForm().reject();
    });
    form.CategoryButtons1Categories2Items0Click();
    form.CategoryButtons1Categories2Items1Click();
    form.CategoryButtons1Categories2Items2Click();
    QApplication::processEvents();
    EXPECT_FALSE(shown);
    EXPECT_TRUE(events.empty());
}

// The dialogs wait for their first use, from a button or a shortcut, and are then
// the same dialogs, keeping their texts and choices, for the rest of the run.
TEST_F(FindCommands, DialogsAreMadeAtTheirFirstUseAndKept)
{
    EXPECT_TRUE(form.findChildren<TFindForm*>().isEmpty());
    EXPECT_TRUE(form.findChildren<TGTForm*>().isEmpty());
    TPageForm* page = open(Bytes{1, 2, 3, 1, 2, 3});
    find(QStringLiteral("0203"), 1, false); // Cancel
    ASSERT_EQ(form.findChildren<TFindForm*>().size(), 1);
    EXPECT_EQ(form.findChildren<TFindForm*>().front(), &search::FindForm());
    EXPECT_TRUE(form.findChildren<TGTForm*>().isEmpty());

    next(); // the kept pattern, from the byte after the cursor
    EXPECT_EQ(page->cursorAddress, 1);
    form.show();
    QApplication::setActiveWindow(&form);
    QString keptText;
    int keptStart = -1;
    QTimer::singleShot(0, [&] {
        keptText = search::FindForm().HexEdit->text();
        keptStart = search::FindForm().StartPositionRG->itemIndex();
        search::FindForm().reject();
    });
    QTest::keyClick(form.focusWidget() ? form.focusWidget() : &form, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(keptText, QStringLiteral("0203"));
    EXPECT_EQ(keptStart, 1);
    EXPECT_EQ(form.findChildren<TFindForm*>().size(), 1);

    gotoAddress(u"4");
    EXPECT_EQ(page->cursorAddress, 4);
    EXPECT_EQ(form.findChildren<TGTForm*>().size(), 1);
}

TEST_F(FindCommands, GotoMovesToTheAddress)
{
    TPageForm* page = open(Bytes(8192, 7));
    gotoAddress(u"1 2F4");
    EXPECT_TRUE(gotoOkEnabled);
    EXPECT_EQ(page->cursorAddress, 0x12F4);
    EXPECT_EQ(page->topAddress, page->RowOfAddress(0x12F4) * page->BytesPerRow());
    EXPECT_EQ(search::GTForm().MaxAddress, 8191);

    gotoAddress(u"2000"); // past the end: refused, the dialog only cancels
    EXPECT_FALSE(gotoOkEnabled);
    EXPECT_EQ(page->cursorAddress, 0x12F4);
}

TEST_F(FindCommands, GotoJudgesTheKeptTextAgainForEachFile)
{
    TPageForm* large = open(Bytes(8192, 7));
    gotoAddress(u"1800");
    EXPECT_EQ(large->cursorAddress, 0x1800);

    TPageForm* small = open(Bytes(4096, 9));
    ASSERT_NE(small, large);
    gotoAddress(nullptr); // the kept «1800» lies past this file's end
    EXPECT_FALSE(gotoOkEnabled);
    EXPECT_EQ(small->cursorAddress, 0);

    form.FilePages->setCurrentIndex(0);
    gotoAddress(nullptr); // and fits the larger file again
    EXPECT_TRUE(gotoOkEnabled);
    EXPECT_EQ(large->cursorAddress, 0x1800);
}

// A long search: progress in the status bar, every command and the page's
// close refused, Esc stops it without a word and without moving the page.
TEST_F(FindCommands, LongSearchShowsProgressAndEscStopsIt)
{
    TPageForm* page = open(dir.sparse("huge", int64_t{64} << 30));
    page->MoveToAddress(5);
    form.show();
    bool running = false, tabsEnabled = true, dialogShown = false, active = false;
    QString progress;
    int tabs = 0;
    // The progress shows at the first step once its delay has passed: act at the step after.
    QElapsedTimer sinceFirstStep;
    int stepsAfterDelay = 0;
    duringSearch(
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
            SaveShot(form, "search-progress.png");
            // Had a command started, its dialog would be open here; it is closed again.
            QTimer::singleShot(0, [&] {
                dialogShown = search::GTForm().isVisible() || search::FindForm().isVisible();
                search::GTForm().reject();
                search::FindForm().reject();
            });
            QApplication::setActiveWindow(&form); // the find dialog was active; shortcuts need this one
            active = QApplication::activeWindow() == &form;
            QWidget* focus = form.focusWidget() ? form.focusWidget() : &form;
            QTest::keyClick(focus, Qt::Key_W, Qt::ControlModifier); // Close
            QTest::keyClick(focus, Qt::Key_G, Qt::ControlModifier); // Goto
            form.CategoryButtons1Categories2Items2Click();          // Goto
            form.CategoryButtons1Categories0Items0Click();          // Close
            tabs = form.FilePages->count();
            QTest::keyClick(focus, Qt::Key_Escape);
        });
    find(QStringLiteral("01"), 1);
    QApplication::processEvents();
    EXPECT_EQ(actions, 1);
    EXPECT_TRUE(running);
    EXPECT_TRUE(active);
    EXPECT_FALSE(tabsEnabled);
    // From the cursor at 5 to the end of 64 GiB.
    EXPECT_TRUE(progress.startsWith("Searching: ") && progress.contains(" of 68.7 GB (")) << progress.toStdString();
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(tabs, 1);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(page->cursorAddress, 5);
    EXPECT_FALSE(search::SearchRunning());
    EXPECT_TRUE(form.FilePages->isEnabled());
    EXPECT_TRUE(form.StatusBar1->currentMessage().isEmpty());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// A box that opens during the search (an error shown after a paint) must still
// take the user's click, or the search would wait for it for ever.
TEST_F(FindCommands, ABoxOpenedDuringASearchStillTakesInput)
{
    TPageForm* page = open(dir.sparse("huge", int64_t{64} << 30));
    form.show();
    int boxResult = -1;
    duringSearch(FirstStep, [&] {
        QDialog box(&form);
        auto* ok = new QPushButton("OK", &box);
        QObject::connect(ok, &QPushButton::clicked, &box, &QDialog::accept);
        QTimer::singleShot(0, [&] {
            QTest::mouseClick(ok, Qt::LeftButton);
            if (box.isVisible()) // the click was held back: give up rather than hang
                box.reject();
        });
        boxResult = box.exec();
        QTest::keyClick(&form, Qt::Key_Escape);
    });
    find(QStringLiteral("01"), 0);
    EXPECT_EQ(actions, 1);
    EXPECT_EQ(boxResult, QDialog::Accepted);
    EXPECT_EQ(page->cursorAddress, 0);
    EXPECT_TRUE(events.empty());
}

TEST_F(FindCommands, ClosingTheWindowStopsTheSearchFirst)
{
    TPageForm* page = open(dir.sparse("huge", int64_t{64} << 30));
    form.show();
    bool visibleAfterClose = false;
    duringSearch(FirstStep, [&] {
        form.close();
        visibleAfterClose = form.isVisible();
    });
    find(QStringLiteral("01"), 0);
    EXPECT_EQ(actions, 1);
    EXPECT_TRUE(visibleAfterClose);
    EXPECT_EQ(page->cursorAddress, 0);
    EXPECT_TRUE(events.empty());
    QApplication::processEvents();
    EXPECT_FALSE(form.isVisible());
}

// The file shrank under the page: the read error ends the command and is passed
// on to the general error handler, with the tabs and the cursor restored.
TEST_F(FindCommands, AReadErrorEndsTheSearchAndRestoresTheWindow)
{
    const std::string path = dir.write("shrinks", Bytes(3 << 20, 0));
    TPageForm* page = open(path);
    ASSERT_EQ(truncate(path.c_str(), 1000), 0);
    try {
        find(QStringLiteral("01"), 0);
        FAIL() << "no error";
    } catch (const util::Error& e) {
        EXPECT_STREQ(e.what(), "file read error");
    }
    EXPECT_EQ(page->cursorAddress, 0);
    EXPECT_FALSE(search::SearchRunning());
    EXPECT_TRUE(form.FilePages->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}
