// The main window as a user drives it: keys and clicks through the real widgets,
// dialogs answered from a zero-delay queued call while they are open. Under the
// offscreen platform closing a modal does not make the main window active again,
// so each step activates it, as a window manager would, before its keys.

#include "app/CategoryButtons.h"
#include "app/Mainform.h"
#include "banner/DefaultSeams.h"
#include "page/Page_form.h"
#include "search/FindCommands.h"
#include "search/Fform.h"
#include "search/PatternField.h"
#include "search/Gotoform.h"
#include "support/TempFiles.h"
#include "support/Wait.h"
#include "util/Messages.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using testing_support::TempDir;
using testing_support::WaitUntil;

namespace {

class UserFlow : public testing::Test {
protected:
    UserFlow()
    {
        search::SetSearchDialogOwner(&form);
        form.resize(792, 666);
        form.show();
        activate();
    }

    void activate()
    {
        form.activateWindow();
        ASSERT_TRUE(WaitUntil([this] { return form.isActiveWindow(); }));
    }

    void clickCommand(int category, int item)
    {
        QTest::mouseClick(form.CategoryButtons1->viewport(), Qt::LeftButton, {},
                          form.CategoryButtons1->buttonRect(category, item).center());
    }

    // Keys to whatever has the keyboard in the main window.
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(form.focusWidget(), k, modifiers); }

    // Runs the dialog's part of a step while it is open.
    static void WhileOpen(std::function<void()> part) { QTimer::singleShot(0, std::move(part)); }

    // After a move: the cursor, both grids' current cells on it, and the keyboard on the page.
    void expectMoved(TPageForm* page, int64_t cursor)
    {
        moved = page->Shape().CellOfAddress(page->topAddress, cursor);
        expectKeyed(page, cursor);
    }
    // After a key: the cursor moved, the grids' current cells stay where the move put them.
    void expectKeyed(TPageForm* page, int64_t cursor)
    {
        EXPECT_EQ(page->cursorAddress, cursor);
        for (page::Grid* grid : {page->BinGrid, page->TextGrid}) {
            EXPECT_EQ(grid->currentRow(), moved.row);
            EXPECT_EQ(grid->currentCol(), moved.col);
        }
        EXPECT_EQ(form.focusWidget(), page->BinGrid);
    }

    page::PageShape::Cell moved;
    TempDir dir;
    std::vector<util::Message> boxes;
    decltype(util::ShowMessageSeam)::Override seam{util::ShowMessageSeam, [this](QWidget*, const util::Message& m) { boxes.push_back(m); }};
    decltype(util::BeepSeam)::Override silent{util::BeepSeam, [] {}};
    banner::ScopedSeams offline{[] { return banner::Seams{}; }}; // no network in tests
    TBEForm form;
    QStringList chosen;
    decltype(TBEForm::OpenDialog1)::Override openDialog{form.OpenDialog1, [this] { return chosen; }};
};

std::vector<uint8_t> WithPatternAt(size_t size, std::initializer_list<size_t> offsets)
{
    std::vector<uint8_t> bytes(size, 0x11);
    for (const size_t at : offsets) {
        const uint8_t pattern[] = {0xDE, 0xAD, 0xBE, 0xEF};
        std::copy(std::begin(pattern), std::end(pattern), bytes.begin() + static_cast<long>(at));
    }
    return bytes;
}

} // namespace

TEST_F(UserFlow, TheKeyboardStaysWithThePageThroughFindNextGotoAndTabs)
{
    const QString other = QString::fromStdString(dir.write("other.bin", std::vector<uint8_t>(2000, 0x22)));
    const QString data = QString::fromStdString(dir.write("data.bin", WithPatternAt(4096, {1000, 3000})));
    chosen = {other, data};
    clickCommand(0, 0); // Open
    ASSERT_EQ(form.FilePages->count(), 2);
    TPageForm* page = form.activePage();
    ASSERT_NE(page, nullptr);
    const int bpr = page->BytesPerRow();
    expectMoved(page, 0);
    EXPECT_EQ(form.focusWidget(), page->BinGrid);

    // Find by its shortcut: the pattern typed into the hex field, then the Search button.
    bool typedInHex = false;
    WhileOpen([&] {
        typedInHex = search::FindForm().focusWidget() == search::FindForm().HexEdit;
        QTest::keyClicks(search::FindForm().HexEdit, QStringLiteral("de ad be ef"));
        QTest::mouseClick(search::FindForm().SearchBtn, Qt::LeftButton);
    });
    key(Qt::Key_F, Qt::ControlModifier);
    EXPECT_TRUE(typedInHex);
    expectMoved(page, 1000);
    activate();
    key(Qt::Key_Down);
    expectKeyed(page, 1000 + bpr);

    // Next by F3, then Down.
    key(Qt::Key_F3);
    expectMoved(page, 3000);
    activate();
    key(Qt::Key_Down);
    expectKeyed(page, 3000 + bpr);

    // Goto by Ctrl+G: an address typed at once and Enter, then Right.
    bool typedInGoto = false;
    WhileOpen([&] {
        typedInGoto = search::GTForm().focusWidget() == search::GTForm().HexEdit;
        QTest::keyClicks(search::GTForm().HexEdit, QStringLiteral("800"));
        QTest::keyClick(search::GTForm().HexEdit, Qt::Key_Return);
    });
    key(Qt::Key_G, Qt::ControlModifier);
    EXPECT_TRUE(typedInGoto);
    expectMoved(page, 0x800);
    activate();
    key(Qt::Key_Right);
    expectKeyed(page, 0x801);

    // The command bar's Goto button, then Cancel: the keyboard is still the page's.
    WhileOpen([&] { QTest::mouseClick(search::GTForm().BitBtn2, Qt::LeftButton); });
    clickCommand(2, 2);
    expectKeyed(page, 0x801);
    activate();
    key(Qt::Key_PageDown);
    expectKeyed(page, std::min<int64_t>(0x801 + page->BytesPerScreen(), 4095));

    // Ctrl+Tab and Ctrl+Shift+Tab from the grid switch the tabs.
    const int active = form.FilePages->currentIndex();
    key(Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_NE(form.FilePages->currentIndex(), active);
    EXPECT_EQ(form.focusWidget(), form.activePage()->BinGrid);
    key(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(form.FilePages->currentIndex(), active);
    EXPECT_EQ(form.focusWidget(), page->BinGrid);
    EXPECT_TRUE(boxes.empty());
}

// MoveToAddress puts both grids' current cells on the cursor, whatever cell was
// current before, even where a step through an intermediate cell would be refused.
TEST_F(UserFlow, AMovePutsBothGridsCurrentCellsOnTheCursor)
{
    chosen = {QString::fromStdString(dir.write("hundred.bin", std::vector<uint8_t>(100, 0x33)))};
    clickCommand(0, 0);
    TPageForm* page = form.activePage();
    ASSERT_NE(page, nullptr);
    const int bpr = page->BytesPerRow();
    // The last cell of the second row; then the file's last byte, in a short row.
    QTest::mouseClick(page->BinGrid, Qt::LeftButton, {}, page->BinGrid->cellRect(bpr, 1).center());
    ASSERT_EQ(page->cursorAddress, 2 * bpr - 1);
    page->MoveToAddress(99);
    expectMoved(page, 99);
    page->MoveToAddress(0);
    expectMoved(page, 0);
}

TEST_F(UserFlow, NamesReadAsTheyAreInTabsStatusAndBoxes)
{
    const std::string folder = dir.file("<b>x");
    QDir().mkpath(QString::fromStdString(folder));
    const QString rd = QString::fromStdString(folder + "/R&D.bin");
    QFile file(rd);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("abc");
    file.close();
    chosen = {rd};
    clickCommand(0, 0);
    ASSERT_EQ(form.FilePages->count(), 1);
    const QString caption = form.FilePages->tabText(0);
    EXPECT_TRUE(QKeySequence::mnemonic(caption).isEmpty()) << caption.toStdString();
    EXPECT_EQ(QString(caption).replace(QStringLiteral("&&"), QStringLiteral("&")), QStringLiteral("R&D.bin"));
    form.Timer1Timer();
    EXPECT_EQ(form.StatusPanels[1]->text(), rd);
    EXPECT_EQ(form.StatusPanels[1]->textFormat(), Qt::PlainText);
}

// The real box, without the test's seam: a name holding "<b>" reads literally.
TEST(MessageBox, ShowsItsTextAsPlainText)
{
    Qt::TextFormat format = Qt::AutoText;
    QString text;
    QTimer::singleShot(0, [&] {
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
                format = box->textFormat();
                text = box->text();
                box->accept();
            }
    });
    util::ShowMessage(nullptr, {QStringLiteral("Error"), QStringLiteral("Zero file size: <b>x.bin"), util::BoxIcon::Error});
    EXPECT_EQ(format, Qt::PlainText);
    EXPECT_EQ(text, QStringLiteral("Zero file size: <b>x.bin"));
}

TEST_F(UserFlow, AnEmptyStartSaysHowToOpenAFile)
{
    EXPECT_TRUE(form.EmptyHint->isVisible());
    EXPECT_TRUE(form.EmptyHint->text().contains(QStringLiteral("Open"))) << form.EmptyHint->text().toStdString();
    EXPECT_TRUE(form.EmptyHint->text().contains(QStringLiteral("Ctrl+O"))) << form.EmptyHint->text().toStdString();
    chosen = {QString::fromStdString(dir.write("one.bin", std::vector<uint8_t>(10, 1)))};
    key(Qt::Key_O, Qt::ControlModifier);
    EXPECT_FALSE(form.EmptyHint->isVisible());
    form.CategoryButtons1Categories0Items0Click();
    EXPECT_TRUE(form.EmptyHint->isVisible());
}
