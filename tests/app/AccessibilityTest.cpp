// What a screen reader gets from the window, in process: the one command list behind the
// bar, the keys and the context menu; the bar's accessible buttons; the grids' cells and
// their focus events; the page's context menu; the keyboard faults of the same trial.

#include "app/CategoryButtons.h"
#include "app/Commands.h"
#include "app/Mainform.h"
#include "banner/DefaultSeams.h"
#include "page/Page_form.h"
#include "page/GridAccessible.h"
#include "page/PageView.h"
#include "search/FindCommands.h"
#include "search/Fform.h"
#include "search/Gotoform.h"
#include "search/PatternField.h"
#include "search/RadioGroup.h"
#include "support/TempFiles.h"
#include "support/Wait.h"
#include "util/Messages.h"

#include "../search/Typing.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <climits>
#include <iostream>

using testing_support::TempDir;
using testing_support::WaitUntil;
using Bytes = std::vector<uint8_t>;

namespace {

// Every accessibility event raised while a test runs.
struct Heard {
    QObject* object;
    QAccessible::Event type;
    int child;
};
std::vector<Heard> heard;
void Listen(QAccessibleEvent* event) { heard.push_back({event->object(), event->type(), event->child()}); }

QAccessibleInterface* Find(QAccessibleInterface* root, QAccessible::Role role, const QString& name)
{
    if (!root)
        return nullptr;
    if (root->role() == role && root->text(QAccessible::Name) == name)
        return root;
    for (int i = 0; i < root->childCount(); ++i)
        if (QAccessibleInterface* found = Find(root->child(i), role, name))
            return found;
    return nullptr;
}

class Accessibility : public testing::Test {
protected:
    Accessibility()
    {
        heard.clear();
        search::SetSearchDialogOwner(&form);
    }

    TPageForm* open(const Bytes& bytes)
    {
        chosen = {QString::fromStdString(dir.write("f" + std::to_string(++files), bytes))};
        form.CategoryButtons1Categories0Items1Click();
        return form.activePage();
    }
    void showActive()
    {
        form.show();
        QApplication::setActiveWindow(&form);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
        QApplication::processEvents();
    }
    // The grid's focused accessible cell, as a client reads it.
    static std::string FocusedCell(QWidget* grid)
    {
        QAccessibleInterface* focused = QAccessible::queryAccessibleInterface(grid)->focusChild();
        return focused ? focused->text(QAccessible::Name).toStdString() : "<none>";
    }
    static std::string Spoken(int64_t address, uint8_t byte)
    {
        return QString::fromStdU16String(page::SpokenByte(address, byte)).toStdString();
    }
    // After a box closed, the window is the active one again, as on a desktop; the
    // offscreen platform does not bring that about by itself.
    void settle()
    {
        QApplication::processEvents();
        if (QApplication::activeWindow() != &form)
            QApplication::setActiveWindow(&form);
        QApplication::processEvents();
    }
    // Whether a focus event named the grid's current cell since the last clear.
    static bool HeardCurrent(page::Grid* grid)
    {
        int col, row;
        if (!grid->cursorCell(col, row))
            return false;
        const int current = row * grid->columnCount() + col;
        for (const Heard& h : heard)
            if (h.object == grid && h.type == QAccessible::Focus && h.child == current)
                return true;
        return false;
    }
    void gotoAddress(const QString& hex, const std::function<void()>& command)
    {
        QTimer::singleShot(0, [=] {
            Clear(search::GTForm().HexEdit);
            Type(search::GTForm().HexEdit, hex);
            QTest::keyClick(search::GTForm().HexEdit, Qt::Key_Return);
        });
        command();
    }

    decltype(page::AccessibilityActiveSeam)::Override listening{page::AccessibilityActiveSeam, [] { return true; }};
    decltype(page::AccessibleEventSeam)::Override ear{page::AccessibleEventSeam, Listen};
    TempDir dir;
    std::vector<std::string> boxes;
    decltype(util::ShowMessageSeam)::Override seam{util::ShowMessageSeam,
                [this](QWidget*, const util::Message& m) { boxes.push_back(m.text.toStdString()); }};
    decltype(util::BeepSeam)::Override beep{util::BeepSeam, [] {}};
    banner::ScopedSeams offline{[] { return banner::Seams{}; }};
    TBEForm form;
    QStringList chosen;
    decltype(TBEForm::OpenDialog1)::Override openDialog{form.OpenDialog1, [this] { return chosen; }};
    int files = 0;
};

Bytes Counting(size_t size)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>(i);
    return bytes;
}

} // namespace

// One list makes the bar's buttons, the window's keys, the context menu and the
// accessible buttons; a command added to it shows in each place it names.
TEST(CommandRegistry, OneListMakesTheBarTheKeysTheMenuAndTheAccessibleButtons)
{
    QWidget window;
    auto* bar = new CategoryButtons(&window);
    QMenu menu;
    std::vector<std::string> ran;
    const auto run = [&ran](std::string name) { return [&ran, name] { ran.push_back(name); }; };
    CommandRegistry registry(&window, {
        {"Alpha", "first command", QKeySequence(Qt::CTRL | Qt::Key_1), CommandPlace::Bar, run("Alpha"), 0, -1},
        {"Beta", "second command", QKeySequence(Qt::Key_F7), CommandPlace::BarMenu, run("Beta"), 1, -1},
        {"Gamma", "menu only", QKeySequence(Qt::SHIFT | Qt::Key_F7), CommandPlace::Menu, run("Gamma")},
        {"Delta", "in a submenu", QKeySequence(), CommandPlace::Menu, run("Delta"), -1, -1, "More"},
        {"Epsilon", "key only", QKeySequence(Qt::Key_F8), CommandPlace::Key, run("Epsilon")},
    });
    registry.fillBar(*bar, {{"One", Qt::red}, {"Two", Qt::blue}}, {});
    registry.fillMenu(menu);

    // The bar: only the bar's commands, in their categories.
    ASSERT_EQ(bar->categoryCount(), 2);
    ASSERT_EQ(bar->buttonCount(0), 1);
    ASSERT_EQ(bar->buttonCount(1), 1);
    EXPECT_EQ(bar->caption(0, 0), "Alpha");
    EXPECT_EQ(bar->hint(1, 0), "second command");

    // The keys: every command is one action of the window with its key.
    QStringList keys;
    for (QAction* a : window.actions())
        keys << a->text() + "=" + a->shortcut().toString();
    EXPECT_EQ(keys, QStringList({"Alpha=Ctrl+1", "Beta=F7", "Gamma=Shift+F7", "Delta=", "Epsilon=F8"}));

    // The menu: the menu's commands, a submenu where its first entry is.
    const QList<QAction*> entries = menu.actions();
    ASSERT_EQ(entries.size(), 3);
    EXPECT_EQ(entries[0], registry.action("Beta"));
    EXPECT_EQ(entries[1], registry.action("Gamma"));
    ASSERT_NE(entries[2]->menu(), nullptr);
    EXPECT_EQ(entries[2]->text(), "More");
    EXPECT_EQ(entries[2]->menu()->actions(), QList<QAction*>{registry.action("Delta")});

    // The accessible bar: named groupings holding push buttons with hint and key.
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(bar);
    ASSERT_EQ(root->childCount(), 2);
    QAccessibleInterface* group = root->child(1);
    EXPECT_EQ(group->role(), QAccessible::Grouping);
    EXPECT_EQ(group->text(QAccessible::Name), "Two");
    EXPECT_TRUE(group->state().expanded);
    ASSERT_EQ(group->childCount(), 1);
    QAccessibleInterface* beta = group->child(0);
    EXPECT_EQ(beta->role(), QAccessible::Button);
    EXPECT_EQ(beta->text(QAccessible::Name), "Beta");
    EXPECT_EQ(beta->text(QAccessible::Description), "second command");
    EXPECT_EQ(beta->parent(), group);
    EXPECT_EQ(group->indexOfChild(beta), 0);
    QAccessibleActionInterface* press = beta->actionInterface();
    ASSERT_NE(press, nullptr);
    EXPECT_EQ(press->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    EXPECT_EQ(press->keyBindingsForAction(QAccessibleActionInterface::pressAction()), QStringList{"F7"});

    // Each way in runs the same command once.
    press->doAction(QAccessibleActionInterface::pressAction());
    emit bar->buttonClicked(0, 0);
    registry.action("Gamma")->trigger();
    entries[2]->menu()->actions()[0]->trigger();
    EXPECT_EQ(ran, (std::vector<std::string>{"Beta", "Alpha", "Gamma", "Delta"}));

    // A collapsed category says so and shows no buttons.
    group->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(bar->collapsed(1));
    EXPECT_TRUE(group->state().collapsed);
    EXPECT_EQ(group->childCount(), 0);
}

// The window's bar reads as the ten designed commands, each pressable as a click is.
TEST_F(Accessibility, TheBarReadsAsTheTenCommandsAndAPressRunsOne)
{
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(form.CategoryButtons1);
    QStringList read;
    for (int c = 0; c < bar->childCount(); ++c) {
        QAccessibleInterface* group = bar->child(c);
        read << "[" + group->text(QAccessible::Name) + "]";
        for (int b = 0; b < group->childCount(); ++b) {
            QAccessibleInterface* button = group->child(b);
            const QStringList keys = button->actionInterface()->keyBindingsForAction(QAccessibleActionInterface::pressAction());
            read << button->text(QAccessible::Name) + "|" + button->text(QAccessible::Description) + "|" + keys.join(",");
        }
    }
    EXPECT_EQ(read, QStringList({"[File]", "Open|open file|Ctrl+O", "Close|close file|Ctrl+W", "Exit|exit Byteloom|Ctrl+Q",
                                 "[Tools]", "Print|print current view|Ctrl+P", "[Find]", "Find|find first|Ctrl+F",
                                 "Next|find next|F3", "Goto|go to address|Ctrl+G", "[Help]", "Help|help|F1",
                                 "About|about Byteloom|", "Web|open Byteloom web site|"}));

    open(Counting(100));
    open(Counting(200));
    ASSERT_EQ(form.FilePages->count(), 2);
    QAccessibleInterface* close = Find(bar, QAccessible::Button, "Close");
    ASSERT_NE(close, nullptr);
    close->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(form.FilePages->count(), 1);
}

// Every cursor move speaks the cursor's cell: address, hex and character in one line.
TEST_F(Accessibility, EveryCursorMoveFocusesTheCellThatSaysWhereItIsAndWhatItHolds)
{
    Bytes bytes = Counting(4096);
    bytes[0x4E] = 0x7F;
    bytes[0x800] = 0xDE;
    bytes[0x801] = 0xAD;
    TPageForm* page = open(bytes);
    showActive();
    ASSERT_TRUE(page->BinGrid->hasFocus());
    QAccessibleInterface* hex = QAccessible::queryAccessibleInterface(page->BinGrid);
    EXPECT_EQ(hex->text(QAccessible::Name), "Hex");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(page->TextGrid)->text(QAccessible::Name), "Text");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(page->ScrollBar1)->text(QAccessible::Name), "Position in file");
    ASSERT_NE(hex->tableInterface(), nullptr);
    EXPECT_EQ(hex->tableInterface()->rowCount(), page->BinGrid->rowCount());
    EXPECT_EQ(hex->tableInterface()->cellAt(0, 0)->text(QAccessible::Name).toStdString(), "00000000 00000000");
    EXPECT_EQ(hex->tableInterface()->cellAt(0, 2)->text(QAccessible::Name).toStdString(), "00000001: 01, character SOH");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(page->TextGrid)->focusChild(), nullptr); // not the keyboard's

    const int perRow = static_cast<int>(page->BytesPerRow());
    heard.clear();
    QTest::keyClick(page->BinGrid, Qt::Key_Down);
    EXPECT_EQ(FocusedCell(page->BinGrid), Spoken(perRow, static_cast<uint8_t>(perRow)));
    EXPECT_TRUE(HeardCurrent(page->BinGrid));
    EXPECT_FALSE(HeardCurrent(page->TextGrid));

    heard.clear();
    gotoAddress("4E", [&] { form.CategoryButtons1Categories2Items2Click(); });
    settle();
    EXPECT_EQ(page->cursorAddress, 0x4E);
    EXPECT_EQ(FocusedCell(page->BinGrid), "0000004E: 7F, character DEL");
    EXPECT_TRUE(HeardCurrent(page->BinGrid));

    heard.clear();
    QTimer::singleShot(0, [] {
        Clear(search::FindForm().HexEdit);
        Type(search::FindForm().HexEdit, "de ad");
        search::FindForm().SearchBtn->click();
    });
    form.CategoryButtons1Categories2Items0Click();
    settle();
    EXPECT_EQ(page->cursorAddress, 0x800);
    EXPECT_EQ(FocusedCell(page->BinGrid), "00000800: DE, no character");
    EXPECT_TRUE(HeardCurrent(page->BinGrid));

    heard.clear();
    page->MoveToAddress(0x41);
    EXPECT_EQ(FocusedCell(page->BinGrid), "00000041: 41, character A");
    EXPECT_TRUE(HeardCurrent(page->BinGrid));

    // A click on the text grid gives it the keyboard and the focus event.
    heard.clear();
    const QRect cell = page->TextGrid->cellRect(3, 1);
    QTest::mouseClick(page->TextGrid, Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(page->cursorAddress, 0x41 + perRow + 2);
    EXPECT_TRUE(HeardCurrent(page->TextGrid));
    EXPECT_EQ(FocusedCell(page->TextGrid), Spoken(page->cursorAddress, static_cast<uint8_t>(page->cursorAddress)));
}

// The context menu opens at the mouse after the cursor moved, or at the cursor's cell by
// key; its entries are the registry's menu commands and leave the keyboard with the page.
TEST_F(Accessibility, TheContextMenuOpensByMouseAndByKeyAndItsEntriesRunTheirCommands)
{
    TPageForm* page = open(Counting(40));
    showActive();
    QStringList entries;
    for (QAction* a : form.PageMenu->actions())
        entries << a->text() + "\t" + a->shortcut().toString();
    EXPECT_EQ(entries, QStringList({"Find\tCtrl+F", "Next\tF3", "Goto\tCtrl+G", "Find Previous\tShift+F3", "Find All\tCtrl+Shift+F",
                                    "Copy Address\tCtrl+Shift+A", "Copy Bytes...\tCtrl+Shift+C", "Copy Value\t", "Compare With\t",
                                    "Next Difference\tF6", "Previous Difference\tShift+F6", "Count Differences\t", "Stop Comparing\t"}));

    // A right click moves the cursor first.
    const QRect cell = page->BinGrid->cellRect(3, 1);
    const QPoint inWindow = page->BinGrid->mapTo(&form, cell.center());
    QTest::mouseClick(form.windowHandle(), Qt::RightButton, {}, inWindow);
    ASSERT_TRUE(WaitUntil([&] { return form.PageMenu->isVisible(); }));
    EXPECT_EQ(page->cursorAddress, page->CellAddress(1, 3));
    form.PageMenu->hide();

    // Past the last byte the cursor stays and the menu still opens.
    const int64_t before = page->cursorAddress;
    const QRect past = page->BinGrid->cellRect(page->BinGrid->columnCount() - 1, page->BinGrid->rowCount() - 1);
    QTest::mouseClick(form.windowHandle(), Qt::RightButton, {}, page->BinGrid->mapTo(&form, past.center()));
    ASSERT_TRUE(WaitUntil([&] { return form.PageMenu->isVisible(); }));
    EXPECT_EQ(page->cursorAddress, before);
    form.PageMenu->hide();

    // The Menu key becomes a context-menu event of the window: it opens at the cursor's cell.
    QApplication::setActiveWindow(&form);
    page->BinGrid->setFocus();
    const QPoint cursorCell = page->BinGrid->mapToGlobal(page->BinGrid->cellRect(3, 1).center());
    // The window gets it at the mouse; the grid with the keyboard places it.
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(1, 1), form.mapToGlobal(QPoint(1, 1)));
    QCoreApplication::sendEvent(form.windowHandle(), &menuKey);
    ASSERT_TRUE(WaitUntil([&] { return form.PageMenu->isVisible(); }));
    EXPECT_EQ(form.PageMenu->pos(), cursorCell);
    form.PageMenu->hide();

    // Shift+F10 as well, from the text grid.
    page->TextGrid->setFocus();
    QTest::keyClick(page->TextGrid, Qt::Key_F10, Qt::ShiftModifier);
    ASSERT_TRUE(WaitUntil([&] { return form.PageMenu->isVisible(); }));
    EXPECT_EQ(form.PageMenu->pos(), page->TextGrid->mapToGlobal(page->TextGrid->cellRect(3, 1).center()))
        << form.PageMenu->pos().x() << "," << form.PageMenu->pos().y() << " " << page->TextGrid->hasFocus();

    // Goto from the menu moves the cursor; the keyboard goes back to the page.
    QTimer::singleShot(0, [] {
        Clear(search::GTForm().HexEdit);
        Type(search::GTForm().HexEdit, "20");
        QTest::keyClick(search::GTForm().HexEdit, Qt::Key_Return);
    });
    form.PageMenu->hide();
    form.PageMenu->actions()[2]->trigger();
    settle();
    EXPECT_EQ(page->cursorAddress, 0x20);
    EXPECT_TRUE(page->BinGrid->hasFocus());

    // Find from the menu, left by Enter on its focused Cancel button.
    QTimer::singleShot(0, [] {
        search::FindForm().CancelBtn->setFocus();
        QTest::keyClick(search::FindForm().CancelBtn, Qt::Key_Return);
    });
    form.PageMenu->actions()[0]->trigger();
    settle();
    EXPECT_FALSE(search::FindForm().isVisible());
    EXPECT_EQ(page->cursorAddress, 0x20);
    EXPECT_TRUE(page->BinGrid->hasFocus());
}

// Enter on the find dialog's focused Search button searches; in a field it does nothing.
TEST_F(Accessibility, EnterOnTheFocusedSearchButtonPressesIt)
{
    Bytes bytes(300, 0);
    bytes[200] = 0xAB;
    TPageForm* page = open(bytes);
    bool stillOpen = false;
    QTimer::singleShot(0, [&] {
        Clear(search::FindForm().HexEdit);
        Type(search::FindForm().HexEdit, "ab");
        QTest::keyClick(search::FindForm().HexEdit, Qt::Key_Return);
        stillOpen = search::FindForm().isVisible();
        search::FindForm().SearchBtn->setFocus();
        QTest::keyClick(search::FindForm().SearchBtn, Qt::Key_Return);
    });
    form.CategoryButtons1Categories2Items0Click();
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(page->cursorAddress, 200);
}

// A value wider than its column is read whole in its tooltip and by a screen reader.
TEST_F(Accessibility, InspectorValuesReadWholeInTooltipAndAccessibleText)
{
    TPageForm* page = open(Counting(64));
    ASSERT_EQ(page->DataSG->rowCount(), 22);
    for (int row = 1; row < 22; ++row) {
        const QTableWidgetItem* value = page->DataSG->item(row, 1);
        EXPECT_EQ(value->data(Qt::ToolTipRole).toString(), value->text()) << row;
        EXPECT_EQ(value->data(Qt::AccessibleTextRole).toString(), value->text()) << row;
        EXPECT_FALSE(page->DataSG->item(row, 0)->text().isEmpty());
    }
}

struct SpokenCase {
    const char* name;
    int64_t address;
    uint8_t byte;
    const char16_t* spoken;
};

class SpokenByteTest : public testing::TestWithParam<SpokenCase> {};

TEST_P(SpokenByteTest, SaysAddressHexAndCharacterInOneLine)
{
    EXPECT_EQ(page::SpokenByte(GetParam().address, GetParam().byte), GetParam().spoken);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpokenByteTest,
    testing::Values(SpokenCase{"Delete", 0x4E, 0x7F, u"0000004E: 7F, character DEL"},
                    SpokenCase{"Null", 0, 0x00, u"00000000: 00, character NUL"},
                    SpokenCase{"Unit", 0x1F, 0x1F, u"0000001F: 1F, character US"},
                    SpokenCase{"Space", 1, 0x20, u"00000001: 20, character space"},
                    SpokenCase{"Letter", 2, 'A', u"00000002: 41, character A"},
                    SpokenCase{"Last32", 0xFFFFFFFFLL, 'z', u"FFFFFFFF: 7A, character z"},
                    SpokenCase{"First33", 0x100000000LL, '0', u"00000001 00000000: 30, character 0"},
                    SpokenCase{"Largest", INT64_MAX, 0xFF, u"7FFFFFFF FFFFFFFF: FF, no character"}),
    [](const testing::TestParamInfo<SpokenCase>& param) { return std::string(param.param.name); });

namespace {

// Every object in a window that a user acts on or types into, by role, and whether a
// screen reader has a name to say for it.
void UnnamedControls(QAccessibleInterface* node, const QString& path, QStringList& unnamed, int& controls)
{
    if (!node)
        return;
    static const QList<QAccessible::Role> acting{QAccessible::PushButton, QAccessible::CheckBox,
                                                 QAccessible::RadioButton, QAccessible::EditableText,
                                                 QAccessible::ComboBox, QAccessible::SpinBox,
                                                 QAccessible::List, QAccessible::Dialog,
                                                 QAccessible::AlertMessage};
    const QString name = node->text(QAccessible::Name).trimmed();
    const QString here = path + "/" + QString::number(int(node->role()), 16) + "'" + name + "'";
    if (acting.contains(node->role()) && !node->state().invisible) {
        ++controls;
        if (name.isEmpty())
            unnamed << here;
    }
    for (int i = 0; i < node->childCount(); ++i)
        UnnamedControls(node->child(i), here, unnamed, controls);
}

// Every name a screen reader can say in a window, in tree order.
void Names(QAccessibleInterface* node, QStringList& names)
{
    if (!node)
        return;
    names << node->text(QAccessible::Name);
    for (int i = 0; i < node->childCount(); ++i)
        Names(node->child(i), names);
}

// The names missing in a window, or "" when every field, button and list has one.
std::string MissingNames(QWidget* window, int& controls)
{
    QStringList unnamed;
    controls = 0;
    UnnamedControls(QAccessible::queryAccessibleInterface(window), "", unnamed, controls);
    return unnamed.join("\n").toStdString();
}

} // namespace

// Each dialog the commands show names its fields, buttons and lists for a screen reader.
TEST_F(Accessibility, EveryDialogNamesItsFieldsAndButtons)
{
    QAccessible::setActive(true);
    TPageForm* page = open(Counting(4096));
    ASSERT_NE(page, nullptr);
    struct Shown {
        std::string dialog;
        std::string missing;
        int controls = -1;
    };
    std::vector<Shown> shown;
    // Reads the modal dialog a command shows, then closes it as Esc does.
    auto readModal = [&](const std::string& dialog, const std::function<void()>& command) {
        QTimer::singleShot(0, [&, dialog] {
            QWidget* modal = QApplication::activeModalWidget();
            Shown s{dialog, "<no dialog shown>"};
            if (modal) {
                s.missing = MissingNames(modal, s.controls);
                modal->close();
            }
            shown.push_back(s);
        });
        command();
        settle();
    };
    readModal("Goto", [&] { form.CategoryButtons1Categories2Items2Click(); });
    readModal("Find", [&] { form.CategoryButtons1Categories2Items0Click(); });
    readModal("About", [&] { form.CategoryButtons1Categories3Items1Click(); });
    readModal("Copy Bytes", [&] { form.CopyBytesClick(); });
    open(Counting(16));
    readModal("Compare With", [&] { form.compareWithListCommand(); });

    for (const Shown& s : shown) {
        EXPECT_EQ(s.missing, "") << s.dialog;
        EXPECT_GE(s.controls, 2) << s.dialog; // the dialog and at least one button
    }
    EXPECT_EQ(shown.size(), 5u);
    QAccessible::setActive(false);
}

// The message box every command's message goes through names its text and its button.
TEST(MessageBoxAccessibility, NamesItsButtonAndReadsItsText)
{
    QAccessible::setActive(true);
    std::string missing = "<no box shown>";
    int controls = 0;
    QStringList read;
    QTimer::singleShot(0, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return;
        missing = MissingNames(box, controls);
        Names(QAccessible::queryAccessibleInterface(box), read);
        box->close();
    });
    util::ShowMessage(nullptr, util::Message{"Byteloom", "Search string is not found.", util::BoxIcon::Information});
    EXPECT_EQ(missing, "");
    EXPECT_GE(controls, 2);
    EXPECT_TRUE(read.contains("Search string is not found.")) << read.join("|").toStdString();
    EXPECT_TRUE(read.contains("OK")) << read.join("|").toStdString();
    QAccessible::setActive(false);
}
