// The page's context menu used as a user uses it, through the real window: opened by a
// right click or by Shift+F10, its entries and submenus chosen by arrows and Enter or by
// the mouse. Find Previous, Find All, Copy Value and Compare With reached that way do
// what their keys do; the submenus are made from what is open when the menu opens.

#include "app/Commands.h"
#include "app/Mainform.h"
#include "banner/DefaultSeams.h"
#include "page/InspectorCopy.h"
#include "page/Page_form.h"
#include "search/FindAllform.h"
#include "search/FindCommands.h"
#include "search/Fform.h"
#include "search/PatternField.h"
#include "search/RadioGroup.h"
#include "support/TempFiles.h"
#include "support/Wait.h"
#include "util/Messages.h"

#include "../search/Shots.h"
#include "../search/Typing.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <iterator>

using testing_support::TempDir;
using testing_support::WaitUntil;
using Bytes = std::vector<uint8_t>;

namespace {

const QString Dash = QStringLiteral(" \u2014 ");
const QString Mark = QStringLiteral(" \u21C4");

class ContextMenu : public testing::Test {
protected:
    ContextMenu() { search::SetSearchDialogOwner(&form); }

    TPageForm* open(const std::string& path)
    {
        chosen = {QString::fromStdString(path)};
        form.CategoryButtons1Categories0Items1Click();
        return form.activePage();
    }
    TPageForm* open(const std::string& name, const Bytes& bytes) { return open(dir.write(name, bytes)); }

    void showActive()
    {
        form.show();
        QApplication::setActiveWindow(&form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        QApplication::processEvents();
    }
    // After a dialog or a menu closed the window is the active one again, as on a
    // desktop; the offscreen platform does not bring that about by itself.
    void settle()
    {
        QApplication::processEvents();
        if (QApplication::activeWindow() != &form && !qobject_cast<TFindAllForm*>(QApplication::activeWindow()))
            QApplication::setActiveWindow(&form);
        QApplication::processEvents();
    }

    // A key as the window system delivers it: to the open menu while one is open,
    // else to the window's focus.
    void key(int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(form.windowHandle(), static_cast<Qt::Key>(k), modifiers);
    }
    // Shift+F10 with the keyboard on the page's hex grid.
    void openMenuByKeys(TPageForm* page)
    {
        settle();
        page->BinGrid->setFocus();
        key(Qt::Key_F10, Qt::ShiftModifier);
        ASSERT_TRUE(WaitUntil([&] { return form.PageMenu->isVisible(); }));
    }
    // A right click on the hex cell of address, which moves the cursor there first.
    void openMenuByMouse(TPageForm* page, int64_t address)
    {
        settle();
        const page::PageShape::Cell cell = page->Shape().CellOfAddress(page->topAddress, address);
        ASSERT_TRUE(address >= page->topAddress && cell.row < page->BinGrid->rowCount()) << "not in view: " << address;
        const QPoint at = page->BinGrid->mapTo(&form, page->BinGrid->cellRect(cell.col, cell.row).center());
        QTest::mouseClick(form.windowHandle(), Qt::RightButton, {}, at);
        ASSERT_TRUE(WaitUntil([&] { return form.PageMenu->isVisible(); }));
    }
    // Arrows down the open menu to the entry, as a user walks it.
    static bool WalkTo(QMenu* menu, const QString& text, ContextMenu& test)
    {
        for (int i = 0; i < 60 && !(menu->activeAction() && menu->activeAction()->text() == text); ++i)
            test.key(Qt::Key_Down);
        return menu->activeAction() && menu->activeAction()->text() == text;
    }
    // Walks the context menu to an entry and presses Enter on it.
    void chooseByKeys(const QString& entry)
    {
        ASSERT_TRUE(WalkTo(form.PageMenu, entry, *this)) << entry.toStdString();
        key(Qt::Key_Return);
        settle();
    }
    // Walks to a submenu, opens it by Right, walks to the choice and presses Enter (no
    // choice: Esc twice); the captions the submenu listed are returned.
    QString hintWhileOpen; // the status bar's line just before the last choice by keys
    QStringList chooseInSubmenuByKeys(const QString& submenu, const QString& choice)
    {
        QStringList listed;
        EXPECT_TRUE(WalkTo(form.PageMenu, submenu, *this)) << submenu.toStdString();
        key(Qt::Key_Right);
        QMenu* sub = submenuOf(submenu);
        EXPECT_TRUE(sub && WaitUntil([&] { return sub->isVisible(); }));
        if (!sub || !sub->isVisible())
            return listed;
        for (QAction* a : sub->actions())
            listed << a->text();
        SaveShot(*sub, ("menu-" + submenu.toStdString() + ".png").c_str());
        if (choice.isEmpty()) {
            key(Qt::Key_Escape);
            key(Qt::Key_Escape);
            settle();
            return listed;
        }
        EXPECT_TRUE(WalkTo(sub, choice, *this)) << choice.toStdString();
        hintWhileOpen = form.StatusBar1->currentMessage();
        key(Qt::Key_Return);
        settle();
        return listed;
    }
    // Clicks an entry of the open context menu, a submenu first when it is in one.
    void chooseByMouse(const QString& entry, const QString& submenu = {})
    {
        QMenu* menu = form.PageMenu;
        if (!submenu.isEmpty()) {
            QMenu* sub = submenuOf(submenu);
            ASSERT_NE(sub, nullptr);
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(sub->menuAction()).center());
            ASSERT_TRUE(WaitUntil([&] { return sub->isVisible(); }));
            menu = sub;
        }
        QAction* target = nullptr;
        for (QAction* a : menu->actions())
            if (a->text() == entry)
                target = a;
        ASSERT_NE(target, nullptr) << entry.toStdString();
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(target).center());
        settle();
    }
    QMenu* submenuOf(const QString& title) const
    {
        for (QAction* a : form.PageMenu->actions())
            if (a->menu() && a->text() == title)
                return a->menu();
        return nullptr;
    }

    // The pattern goes into the find dialog, which is left by Cancel.
    void setPattern(const QString& hex)
    {
        answerFind(hex, false);
        form.CategoryButtons1Categories2Items0Click();
        settle();
    }
    // The find dialog, once it shows, is filled and left by Search (or Cancel).
    void answerFind(const QString& hex, bool search = true)
    {
        QTimer::singleShot(0, [=] {
            Clear(search::FindForm().HexEdit);
            Type(search::FindForm().HexEdit, hex);
            search::FindForm().StartPositionRG->setItemIndex(0);
            (search ? search::FindForm().SearchBtn : search::FindForm().CancelBtn)->click();
        });
    }

    static std::string Clipboard() { return QGuiApplication::clipboard()->text().toStdString(); }
    static std::string FileText(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    TempDir dir;
    std::vector<std::string> events;
    decltype(util::ShowMessageSeam)::Override seam{util::ShowMessageSeam,
                [this](QWidget*, const util::Message& m) { events.push_back("box: " + m.text.toStdString()); }};
    decltype(util::BeepSeam)::Override beep{util::BeepSeam, [this] { events.push_back("beep"); }};
    banner::ScopedSeams offline{[] { return banner::Seams{}; }};
    TBEForm form;
    QStringList chosen;
    decltype(TBEForm::OpenDialog1)::Override openDialog{form.OpenDialog1, [this] { return chosen; }};
};

Bytes Counting(size_t size)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    return bytes;
}

} // namespace

// A command with choices is a submenu of its caption (without the dialog's dots), made
// again each time the menu opens; a choice runs with its index; an empty list says so
// in one disabled line; the command's own action keeps its key and its run.
TEST(CommandChoices, ASubmenuIsMadeFromTheListEachTimeTheMenuOpens)
{
    QWidget window;
    QMenu menu;
    QStringList list;
    std::vector<std::string> ran;
    CommandRegistry registry(
        &window,
        {
            {"Plain", "a command", QKeySequence(Qt::Key_F7), CommandPlace::Menu, [&ran] { ran.push_back("Plain"); }},
            {"Pick...", "pick one", QKeySequence(Qt::Key_F8), CommandPlace::Menu, [&ran] { ran.push_back("Pick"); }, -1, -1,
             nullptr,
             {[&list] { return list; }, [&ran](int i) { ran.push_back("choice " + std::to_string(i)); }, "Nothing to pick"}},
            {"Values", "no run of its own", QKeySequence(), CommandPlace::Menu, nullptr, -1, -1, nullptr,
             {[&list] { return list; }, [&ran](int i) { ran.push_back("value " + std::to_string(i)); }}},
        });
    registry.fillMenu(menu);

    const QList<QAction*> entries = menu.actions();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0], registry.action("Plain"));
    ASSERT_NE(entries[1]->menu(), nullptr);
    EXPECT_EQ(entries[1]->text(), "Pick");
    EXPECT_EQ(entries[1]->toolTip(), "pick one");
    ASSERT_NE(entries[2]->menu(), nullptr);
    EXPECT_EQ(entries[2]->text(), "Values");
    QMenu* pick = entries[1]->menu();
    QMenu* values = entries[2]->menu();
    EXPECT_EQ(registry.action("Pick...")->shortcut(), QKeySequence(Qt::Key_F8));

    const auto captions = [](QMenu* sub) {
        QStringList texts;
        for (QAction* a : sub->actions())
            texts << a->text() + (a->isEnabled() ? "" : " (disabled)");
        return texts;
    };
    emit menu.aboutToShow();
    EXPECT_EQ(captions(pick), QStringList{"Nothing to pick (disabled)"});
    EXPECT_EQ(captions(values), QStringList{});

    list = {"one", "R&D\tfolder"};
    emit menu.aboutToShow();
    ASSERT_EQ(captions(pick), (QStringList{"one", "R&&D\tfolder"}));
    ASSERT_EQ(captions(values), (QStringList{"one", "R&&D\tfolder"}));
    pick->actions()[1]->trigger();
    values->actions()[0]->trigger();
    list = {"three"};
    emit menu.aboutToShow();
    ASSERT_EQ(captions(values), QStringList{"three"});
    values->actions()[0]->trigger();

    registry.action("Pick...")->trigger();
    registry.action("Values")->trigger(); // no run: nothing
    EXPECT_EQ(ran, (std::vector<std::string>{"choice 1", "value 0", "value 0", "Pick"}));
}

// The menu's entries and its two submenus, each where its command stands.
TEST_F(ContextMenu, HoldsTheCommandsAndTheCopyValueAndCompareWithSubmenus)
{
    open("one", Counting(64));
    showActive();
    QStringList entries;
    for (QAction* a : form.PageMenu->actions())
        entries << a->text() + (a->menu() ? QStringLiteral(" >") : "\t" + a->shortcut().toString());
    EXPECT_EQ(entries, QStringList({"Find\tCtrl+F", "Next\tF3", "Goto\tCtrl+G", "Find Previous\tShift+F3",
                                    "Find All\tCtrl+Shift+F", "Copy Address\tCtrl+Shift+A",
                                    "Copy Bytes...\tCtrl+Shift+C", "Copy Value >", "Compare With >",
                                    "Next Difference\tF6", "Previous Difference\tShift+F6", "Count Differences\t",
                                    "Stop Comparing\t"}));
    // Ctrl+K keeps its small list.
    EXPECT_EQ(form.Commands->action("Compare With...")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_K));
}

// Find Previous chosen from the menu, by right click and by Shift+F10: the cursor goes
// to the last occurrence before it, as Shift+F3 takes it.
TEST_F(ContextMenu, FindPreviousByRightClickAndByShiftF10)
{
    Bytes bytes(600, 0);
    for (const size_t at : {40u, 41u, 100u})
        bytes[at] = 0xAB;
    TPageForm* page = open("hits", bytes);
    showActive();
    setPattern(QStringLiteral("AB"));

    openMenuByMouse(page, 0x90);
    EXPECT_EQ(page->cursorAddress, 0x90);
    chooseByMouse(QStringLiteral("Find Previous"));
    EXPECT_EQ(page->cursorAddress, 100);
    EXPECT_TRUE(page->BinGrid->hasFocus());

    openMenuByKeys(page);
    chooseByKeys(QStringLiteral("Find Previous"));
    EXPECT_EQ(page->cursorAddress, 41);
    openMenuByKeys(page);
    chooseByKeys(QStringLiteral("Find Previous"));
    EXPECT_EQ(page->cursorAddress, 40);
    EXPECT_TRUE(events.empty());

    openMenuByKeys(page);
    chooseByKeys(QStringLiteral("Find Previous"));
    EXPECT_EQ(page->cursorAddress, 40);
    EXPECT_EQ(events, (std::vector<std::string>{"beep", "box: Search string is not found."}));
    EXPECT_TRUE(page->BinGrid->hasFocus());
}

// Find All chosen from the menu, by Shift+F10 and by right click: the find dialog, then
// the results window, active, listing every occurrence.
TEST_F(ContextMenu, FindAllByShiftF10AndByRightClick)
{
    Bytes bytes(5000, 0);
    const std::vector<int64_t> hits = {7, 8, 1234, 4999};
    for (const int64_t at : hits)
        bytes[static_cast<size_t>(at)] = 0xCD;
    TPageForm* page = open("all", bytes);
    const std::string before = FileText(dir.path() + "/all");
    showActive();

    openMenuByKeys(page);
    ASSERT_TRUE(WalkTo(form.PageMenu, QStringLiteral("Find All"), *this));
    answerFind(QStringLiteral("CD"));
    key(Qt::Key_Return);
    TFindAllForm* window = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (window = TFindAllForm::Of(&form, page)) != nullptr; }));
    std::vector<int64_t> listed;
    for (int row = 0; row < window->hits()->rowCount(); ++row)
        listed.push_back(window->hits()->address(row));
    EXPECT_EQ(listed, hits);
    EXPECT_TRUE(WaitUntil([&] { return QApplication::activeWindow() == window; }));
    EXPECT_EQ(page->cursorAddress, 7);

    // Again by right click on a byte past the first two: the list is replaced, from the start.
    window->close();
    ASSERT_TRUE(WaitUntil([&] { return TFindAllForm::Of(&form, page) == nullptr; }));
    QApplication::setActiveWindow(&form);
    openMenuByMouse(page, 100);
    EXPECT_EQ(page->cursorAddress, 100);
    answerFind(QStringLiteral("CD CD"));
    chooseByMouse(QStringLiteral("Find All"));
    ASSERT_TRUE(WaitUntil([&] { return (window = TFindAllForm::Of(&form, page)) != nullptr; }));
    ASSERT_EQ(window->hits()->rowCount(), 1);
    EXPECT_EQ(window->hits()->address(0), 7);
    EXPECT_EQ(page->cursorAddress, 7);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(FileText(dir.path() + "/all"), before);
}

// Copy Value by keys alone: Shift+F10, down to the submenu, Right, down to a row, Enter;
// the submenu shows every row's name and value at the cursor, and the clipboard holds
// the row's value. By a right click on another byte, the rows are that byte's.
TEST_F(ContextMenu, CopyValueCopiesTheChosenRowByKeysAndByRightClick)
{
    TPageForm* page = open("values", Counting(256));
    showActive();
    page->MoveToAddress(0x10);
    QApplication::processEvents();

    const std::vector<page::InspectorValue> at10 = page::InspectorValues(*page);
    ASSERT_EQ(at10.size(), 21u);
    QStringList expected;
    for (const page::InspectorValue& row : at10)
        expected << row.name + "\t" + row.value;
    const QString row4 = at10[4].name + "\t" + at10[4].value;

    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    openMenuByKeys(page);
    const QStringList listed = chooseInSubmenuByKeys(QStringLiteral("Copy Value"), row4);
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(hintWhileOpen, QStringLiteral("copy a value of the data inspector"));
    EXPECT_EQ(form.StatusBar1->currentMessage().toStdString(), ""); // the address shows again
    EXPECT_EQ(Clipboard(), at10[4].value.toStdString());
    EXPECT_FALSE(form.PageMenu->isVisible());
    EXPECT_TRUE(page->BinGrid->hasFocus());

    // Each row by keys: the last one too.
    openMenuByKeys(page);
    chooseInSubmenuByKeys(QStringLiteral("Copy Value"), at10[20].name + "\t" + at10[20].value);
    EXPECT_EQ(Clipboard(), at10[20].value.toStdString());

    // A right click elsewhere: the submenu holds the values of the clicked byte.
    openMenuByMouse(page, 0x81);
    ASSERT_EQ(page->cursorAddress, 0x81);
    const std::vector<page::InspectorValue> at81 = page::InspectorValues(*page);
    ASSERT_NE(at81[2].value, at10[2].value);
    chooseByMouse(at81[2].name + "\t" + at81[2].value, QStringLiteral("Copy Value"));
    EXPECT_EQ(Clipboard(), at81[2].value.toStdString());
    EXPECT_TRUE(events.empty());
}

// Compare With lists the other pages by name and folder, the same file opened twice
// among them; choosing one by keys or by a right click pairs the active page with it,
// marks both captions, and F6 then walks the differences. Alone, the submenu says so.
TEST_F(ContextMenu, CompareWithPairsByKeysAndByRightClick)
{
    Bytes a(3000, 0x11), b(3000, 0x11);
    b[0x20] = 0x22;
    b[0x700] = 0x33;
    const std::string pathA = dir.write("a", a);
    const std::string pathB = dir.write("b", b);
    TPageForm* first = open(pathA);
    showActive();

    openMenuByKeys(first);
    const QStringList alone = chooseInSubmenuByKeys(QStringLiteral("Compare With"), {});
    ASSERT_EQ(alone, QStringList{QStringLiteral("No other file is open")});
    EXPECT_FALSE(submenuOf(QStringLiteral("Compare With"))->actions()[0]->isEnabled());
    EXPECT_FALSE(form.PageMenu->isVisible());
    EXPECT_EQ(first->PartnerPage(), nullptr);

    TPageForm* second = open(pathB);
    TPageForm* again = open(pathA); // the same file twice
    form.FilePages->setCurrentIndex(0);
    settle();
    const QString folder = QString::fromStdString(dir.path());

    openMenuByKeys(first);
    const QStringList listed = chooseInSubmenuByKeys(QStringLiteral("Compare With"), "b" + Dash + folder);
    EXPECT_EQ(listed, (QStringList{"b" + Dash + folder, "a" + Dash + folder}));
    EXPECT_EQ(first->PartnerPage(), second);
    EXPECT_EQ(second->PartnerPage(), first);
    EXPECT_EQ(form.FilePages->tabText(0), "a" + Mark);
    EXPECT_EQ(form.FilePages->tabText(1), "b" + Mark);
    EXPECT_EQ(form.FilePages->tabText(2), "a");
    EXPECT_TRUE(first->BinGrid->hasFocus());

    key(Qt::Key_F6);
    EXPECT_EQ(first->cursorAddress, 0x20);
    EXPECT_EQ(second->cursorAddress, 0x20);
    key(Qt::Key_F6);
    EXPECT_EQ(first->cursorAddress, 0x700);
    EXPECT_EQ(second->cursorAddress, 0x700);

    // By a right click, with the same file: the old pair ends and nothing differs.
    const int64_t clicked = first->topAddress + 0x15;
    openMenuByMouse(first, clicked);
    chooseByMouse("a" + Dash + folder, QStringLiteral("Compare With"));
    EXPECT_EQ(first->PartnerPage(), again);
    EXPECT_EQ(second->PartnerPage(), nullptr);
    EXPECT_EQ(form.FilePages->tabText(1), "b");
    EXPECT_EQ(form.FilePages->tabText(2), "a" + Mark);
    EXPECT_EQ(again->cursorAddress, clicked);
    events.clear();
    key(Qt::Key_F6);
    EXPECT_EQ(first->cursorAddress, clicked);
    EXPECT_EQ(events, (std::vector<std::string>{"beep", "box: No more differences."}));
    EXPECT_EQ(FileText(pathA), std::string(a.begin(), a.end()));
    EXPECT_EQ(FileText(pathB), std::string(b.begin(), b.end()));
}
