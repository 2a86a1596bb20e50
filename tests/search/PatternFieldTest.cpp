// The find dialog's text field: the editing keys of a line edit, every way of input
// held to the limit, the view following the cursor through a long text, mouse,
// context menu, undo, and edit keys kept from the window's shortcuts.

#include "search/PatternField.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QMenu>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

using search::PatternField;

namespace {

class PatternFieldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* layout = new QVBoxLayout(&window);
        field = new PatternField(&window);
        layout->addWidget(field);
        window.resize(300, 40);
        window.show();
        window.activateWindow();
        field->setFocus();
    }

    void type(const QString& text)
    {
        for (const QChar c : text)
            QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }

    QWidget window;
    PatternField* field = nullptr;
};

struct Key {
    Qt::Key key;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};

struct KeyCase {
    const char* name;
    const char16_t* text;
    int anchor; // the selection before the keys: from anchor to cursor
    int cursor;
    std::vector<Key> keys;
    const char16_t* typed; // typed after the keys, or null
    const char16_t* expectedText;
    int expectedCursor;
    const char16_t* expectedSelection;
};

void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.name; }

class PatternFieldKeys : public PatternFieldTest, public ::testing::WithParamInterface<KeyCase> {};

} // namespace

TEST_P(PatternFieldKeys, EditAsALineEditDoes)
{
    const KeyCase& c = GetParam();
    // As on the desktops the program runs on (the headless platform keeps other conventions).
    const util::Seam<bool()>::Override x11(search::X11KeysSeam, [] { return true; });
    field->setText(QString::fromUtf16(c.text));
    field->setCursorPosition(c.anchor);
    if (c.cursor != c.anchor) {
        // Select by keys, as the user does.
        const Qt::Key step = c.cursor > c.anchor ? Qt::Key_Right : Qt::Key_Left;
        for (int i = 0; i < std::abs(c.cursor - c.anchor); ++i)
            QTest::keyClick(field, step, Qt::ShiftModifier);
    }
    for (const Key& key : c.keys)
        QTest::keyClick(field, key.key, key.modifiers);
    if (c.typed)
        type(QString::fromUtf16(c.typed));
    EXPECT_EQ(field->text(), QString::fromUtf16(c.expectedText));
    EXPECT_EQ(field->cursorPosition(), c.expectedCursor);
    EXPECT_EQ(field->selectedText(), QString::fromUtf16(c.expectedSelection));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, PatternFieldKeys,
    ::testing::Values(
        KeyCase{"TypeAtTheCursor", u"4142", 2, 2, {}, u" ", u"41 42", 3, u""},
        KeyCase{"TypingReplacesTheSelection", u"41 42 43", 3, 5, {}, u"FF", u"41 FF 43", 5, u""},
        KeyCase{"Backspace", u"4142", 4, 4, {{Qt::Key_Backspace}}, nullptr, u"414", 3, u""},
        KeyCase{"BackspaceAtTheStart", u"41", 0, 0, {{Qt::Key_Backspace}}, nullptr, u"41", 0, u""},
        KeyCase{"DeleteTheSelection", u"41 42", 0, 3, {{Qt::Key_Delete}}, nullptr, u"42", 0, u""},
        KeyCase{"DeleteAtTheEnd", u"41", 2, 2, {{Qt::Key_Delete}}, nullptr, u"41", 2, u""},
        KeyCase{"RightEndsTheSelectionAtItsEnd", u"414243", 4, 2, {{Qt::Key_Right}}, nullptr, u"414243", 4, u""},
        KeyCase{"LeftEndsTheSelectionAtItsStart", u"414243", 2, 4, {{Qt::Key_Left}}, nullptr, u"414243", 2, u""},
        KeyCase{"HomeAndShiftEnd", u"41 42", 2, 2, {{Qt::Key_Home}, {Qt::Key_End, Qt::ShiftModifier}}, nullptr, u"41 42", 5, u"41 42"},
        KeyCase{"WordRight", u"41 42 43", 0, 0, {{Qt::Key_Right, Qt::ControlModifier}}, nullptr, u"41 42 43", 3, u""},
        KeyCase{"WordLeft", u"41 42 43", 8, 8, {{Qt::Key_Left, Qt::ControlModifier}}, nullptr, u"41 42 43", 6, u""},
        KeyCase{"DeleteTheWordBefore", u"41 42 43", 5, 5, {{Qt::Key_Backspace, Qt::ControlModifier}}, nullptr, u"41  43", 3, u""},
        KeyCase{"SelectAll", u"41 42", 1, 1, {{Qt::Key_A, Qt::ControlModifier}}, nullptr, u"41 42", 5, u"41 42"},
        KeyCase{"UndoABackspace", u"41", 2, 2, {{Qt::Key_Backspace}, {Qt::Key_Z, Qt::ControlModifier}}, nullptr, u"41", 2, u""},
        KeyCase{"RedoAfterUndo", u"41", 2, 2,
                {{Qt::Key_Backspace}, {Qt::Key_Z, Qt::ControlModifier}, {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier}},
                nullptr, u"4", 1, u""},
        KeyCase{"UndoRestoresTheSelection", u"41 42", 0, 2, {{Qt::Key_Delete}, {Qt::Key_Z, Qt::ControlModifier}}, nullptr, u"41 42", 2, u"41"},
        KeyCase{"BackspaceTakesAWholeSurrogatePair", u"A\U0001F600", 3, 3, {{Qt::Key_Backspace}}, nullptr, u"A", 1, u""},
        KeyCase{"EnterAndEscAreNotText", u"41", 2, 2, {{Qt::Key_Return}, {Qt::Key_Escape}}, nullptr, u"41", 2, u""}),
    [](const ::testing::TestParamInfo<KeyCase>& each) { return std::string(each.param.name); });

TEST_F(PatternFieldTest, UndoIsAnEditAndSetTextIsNot)
{
    QSignalSpy changed(field, &PatternField::textChanged);
    QSignalSpy edited(field, &PatternField::textEdited);
    field->setText(QStringLiteral("41"));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(edited.count(), 0);
    EXPECT_FALSE(field->isUndoAvailable()); // a new text starts a new history
    EXPECT_EQ(field->cursorPosition(), 2);

    type(QStringLiteral("42"));
    EXPECT_EQ(edited.count(), 2);
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(field->text(), QStringLiteral("41")); // the typing is one step, as in a line edit
    EXPECT_EQ(edited.count(), 3);
    EXPECT_EQ(changed.count(), 4);
    field->setText(QStringLiteral("41"));
    EXPECT_FALSE(field->isUndoAvailable());
    EXPECT_FALSE(field->isRedoAvailable());
}

// Every way text comes in is held to the limit: past it, the text stays as it was
// and the field says it refused; within it, the text is taken.
TEST_F(PatternFieldTest, EveryInputPastTheLimitLeavesTheText)
{
    int refusals = 0;
    field->setLimit(6, [&refusals] { ++refusals; });
    const std::vector<std::pair<const char*, std::function<void(const QString&)>>> ways = {
        {"typed", [this](const QString& text) { type(text); }},
        {"Ctrl+V",
         [this](const QString& text) {
             QGuiApplication::clipboard()->setText(text);
             QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
         }},
        {"context menu",
         [this](const QString& text) {
             QGuiApplication::clipboard()->setText(text);
             const std::unique_ptr<QMenu> menu(field->createContextMenu());
             for (QAction* action : menu->actions())
                 if (action->text().startsWith(QStringLiteral("&Paste")))
                     action->trigger();
         }},
        {"drop",
         [this](const QString& text) {
             QMimeData data;
             data.setText(text);
             const QPoint at(field->width() - 4, field->height() / 2);
             QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(field, &enter);
             QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(field, &drop);
         }},
        {"input method",
         [this](const QString& text) {
             QInputMethodEvent event;
             event.setCommitString(text);
             QApplication::sendEvent(field, &event);
         }},
    };
    for (const auto& [way, input] : ways) {
        SCOPED_TRACE(way);
        field->setText(QStringLiteral("414243"));
        refusals = 0;
        input(QStringLiteral("4"));
        EXPECT_EQ(field->text(), QStringLiteral("414243"));
        EXPECT_EQ(refusals, 1);
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClick(field, Qt::Key_Backspace);
        input(QStringLiteral("4"));
        EXPECT_EQ(field->text(), QStringLiteral("41424"));
        EXPECT_EQ(refusals, 1);
    }
    // An edit that shortens a text is always taken.
    field->selectAll();
    type(QStringLiteral("4"));
    EXPECT_EQ(field->text(), QStringLiteral("4"));
}

// The view follows the cursor through a text far wider than the field: a click
// lands on the characters in view, at whichever end the cursor went.
TEST_F(PatternFieldTest, TheViewFollowsTheCursorThroughALongText)
{
    QString text;
    for (int i = 0; i < 65536; ++i)
        text += QString::asprintf(i ? " %02X" : "%02X", i & 0xFF);
    field->setText(text);
    const QPoint middle(field->width() / 2, field->height() / 2);

    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, middle);
    EXPECT_GT(field->cursorPosition(), text.size() - 200); // setText left the cursor at the end
    QTest::keyClick(field, Qt::Key_Home);
    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, middle);
    EXPECT_GT(field->cursorPosition(), 0);
    EXPECT_LT(field->cursorPosition(), 200);

    // A step past the right edge brings one more character into view.
    QTest::keyClick(field, Qt::Key_End);
    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(field->width() - 3, middle.y()));
    EXPECT_EQ(field->cursorPosition(), text.size());
}

TEST_F(PatternFieldTest, MouseSelects)
{
    field->setText(QStringLiteral("41 42 43"));
    field->setCursorPosition(0);
    const int y = field->height() / 2;
    QTest::mouseClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(4, y));
    EXPECT_EQ(field->cursorPosition(), 0);
    QTest::mouseClick(field, Qt::LeftButton, Qt::ShiftModifier, QPoint(field->width() - 4, y));
    EXPECT_EQ(field->selectedText(), QStringLiteral("41 42 43"));

    QTest::mouseDClick(field, Qt::LeftButton, Qt::NoModifier, QPoint(6, y));
    EXPECT_EQ(field->selectedText(), QStringLiteral("41"));

    QTest::mousePress(field, Qt::LeftButton, Qt::NoModifier, QPoint(field->width() - 4, y));
    QMouseEvent drag(QEvent::MouseMove, QPointF(2, y), field->mapToGlobal(QPointF(2, y)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(field, &drag);
    QTest::mouseRelease(field, Qt::LeftButton, Qt::NoModifier, QPoint(2, y));
    EXPECT_EQ(field->selectedText(), QStringLiteral("41 42 43"));
    EXPECT_EQ(field->cursorPosition(), 0);
}

TEST_F(PatternFieldTest, TheContextMenuOffersWhatCanBeDone)
{
    const auto actions = [this] {
        std::map<QString, QAction*> byCaption;
        QMenu* menu = field->createContextMenu();
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                byCaption[action->text().section(QLatin1Char('\t'), 0, 0)] = action;
        return byCaption;
    };
    QGuiApplication::clipboard()->clear();
    field->setText(QStringLiteral("41 42"));
    auto menu = actions();
    EXPECT_FALSE(menu[QStringLiteral("&Undo")]->isEnabled());
    EXPECT_FALSE(menu[QStringLiteral("&Copy")]->isEnabled());
    EXPECT_FALSE(menu[QStringLiteral("&Paste")]->isEnabled());
    EXPECT_TRUE(menu[QStringLiteral("Select All")]->isEnabled());

    menu[QStringLiteral("Select All")]->trigger();
    menu = actions();
    EXPECT_FALSE(menu[QStringLiteral("Select All")]->isEnabled());
    menu[QStringLiteral("&Copy")]->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("41 42"));
    menu[QStringLiteral("Cu&t")]->trigger();
    EXPECT_TRUE(field->text().isEmpty());

    menu = actions();
    EXPECT_TRUE(menu[QStringLiteral("&Undo")]->isEnabled());
    menu[QStringLiteral("&Paste")]->trigger();
    menu[QStringLiteral("&Paste")]->trigger();
    EXPECT_EQ(field->text(), QStringLiteral("41 4241 42"));
    field->setCursorPosition(0);
    QTest::keyClick(field, Qt::Key_Right, Qt::ShiftModifier);
    actions()[QStringLiteral("Delete")]->trigger();
    EXPECT_EQ(field->text(), QStringLiteral("1 4241 42"));
}

// The window's shortcuts never take a key the field edits with.
TEST_F(PatternFieldTest, EditKeysAreNotTheWindowsShortcuts)
{
    int fired = 0;
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_A), QKeySequence(Qt::CTRL | Qt::Key_V),
                                      QKeySequence(Qt::Key_Home), QKeySequence(Qt::Key_4), QKeySequence(Qt::Key_F3)}) {
        auto* action = new QAction(&window);
        action->setShortcut(keys);
        QObject::connect(action, &QAction::triggered, [&fired] { ++fired; });
        window.addAction(action);
    }
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    // A key the field does not edit with still reaches the window.
    QTest::keyClick(field, Qt::Key_F3);
    ASSERT_EQ(fired, 1);
    fired = 0;
    field->setText(QStringLiteral("41"));
    QGuiApplication::clipboard()->setText(QStringLiteral(" 42"));
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_4);
    QTest::keyClick(field, Qt::Key_Home);
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(field->text(), QStringLiteral("41 424"));
    EXPECT_EQ(field->selectedText(), field->text());
}

// What is selected is drawn in the selection's colour, and only then.
TEST_F(PatternFieldTest, DrawsTheSelection)
{
    const QColor highlight = field->palette().color(QPalette::Active, QPalette::Highlight);
    const auto highlighted = [&] {
        const QImage image = field->grab().toImage();
        int count = 0;
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, image.height() / 2) == highlight;
        return count;
    };
    field->setText(QStringLiteral("WWWWWWWW"));
    EXPECT_EQ(highlighted(), 0);
    field->selectAll();
    EXPECT_GT(highlighted(), 20);
    field->deselect();
    EXPECT_EQ(highlighted(), 0);
}
