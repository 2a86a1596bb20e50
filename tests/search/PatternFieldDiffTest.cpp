// The pattern field against a line edit: the same seeded random keys go to both, and
// after every key the text, the cursor, the selection and what can be undone and
// redone must agree. The keys come
// from every binding a line edit reacts to on this desktop, and from the raw keys
// behind the bindings of the other Linux desktops, never from the field's own table.

#include "search/PatternField.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using search::PatternField;

namespace {

struct Press {
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
};

std::string Describe(const Press& press)
{
    QString name = QKeySequence(QKeyCombination(press.modifiers & ~Qt::KeypadModifier, Qt::Key(press.key))).toString();
    if (press.modifiers & Qt::KeypadModifier)
        name += QStringLiteral(" (keypad)");
    if (!press.text.isEmpty())
        name += QStringLiteral(" \"%1\"").arg(press.text);
    return name.toStdString();
}

// The standard keys a line edit tries, and those it keeps from the window's shortcuts.
const QKeySequence::StandardKey LineEditKeys[] = {
    QKeySequence::Undo, QKeySequence::Redo, QKeySequence::SelectAll, QKeySequence::Copy, QKeySequence::Paste,
    QKeySequence::Cut, QKeySequence::DeleteEndOfLine, QKeySequence::MoveToStartOfLine,
    QKeySequence::MoveToStartOfBlock, QKeySequence::MoveToEndOfLine, QKeySequence::MoveToEndOfBlock,
    QKeySequence::SelectStartOfLine, QKeySequence::SelectStartOfBlock, QKeySequence::SelectEndOfLine,
    QKeySequence::SelectEndOfBlock, QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar,
    QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, QKeySequence::MoveToNextWord,
    QKeySequence::MoveToPreviousWord, QKeySequence::SelectNextWord, QKeySequence::SelectPreviousWord,
    QKeySequence::Delete, QKeySequence::DeleteEndOfWord, QKeySequence::DeleteStartOfWord,
    QKeySequence::DeleteCompleteLine, QKeySequence::MoveToStartOfDocument, QKeySequence::MoveToEndOfDocument,
    QKeySequence::SelectStartOfDocument, QKeySequence::SelectEndOfDocument,
};

// Every key press to draw from (characters aside).
std::vector<Press> KeyPool()
{
    std::set<std::pair<int, int>> seen;
    std::vector<Press> pool;
    const auto add = [&](int key, Qt::KeyboardModifiers modifiers) {
        if (seen.insert({key, static_cast<int>(modifiers)}).second) {
            QString text;
            if (key >= Qt::Key_A && key <= Qt::Key_Z)
                text = QChar(key - Qt::Key_A + ((modifiers & Qt::ShiftModifier) ? 'A' : 'a'));
            pool.push_back(Press{key, modifiers, text});
        }
    };
    for (const QKeySequence::StandardKey standard : LineEditKeys)
        for (const QKeySequence& keys : QKeySequence::keyBindings(standard))
            if (!keys.isEmpty())
                add(keys[0].key(), keys[0].keyboardModifiers());
    // The raw keys behind the bindings of every Linux desktop, with each modifier.
    const Qt::KeyboardModifiers modifierSets[] = {
        Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::ControlModifier | Qt::ShiftModifier,
        Qt::AltModifier, Qt::AltModifier | Qt::ShiftModifier, Qt::MetaModifier, Qt::KeypadModifier,
    };
    for (const int key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End, Qt::Key_Delete, Qt::Key_Backspace,
                          Qt::Key_Insert, Qt::Key_Up, Qt::Key_Down})
        for (const Qt::KeyboardModifiers modifiers : modifierSets)
            add(key, modifiers);
    for (const int key : {Qt::Key_Z, Qt::Key_Y, Qt::Key_A, Qt::Key_C, Qt::Key_V, Qt::Key_X, Qt::Key_K, Qt::Key_U,
                          Qt::Key_E, Qt::Key_B, Qt::Key_F, Qt::Key_D, Qt::Key_H, Qt::Key_W})
        for (const Qt::KeyboardModifiers modifiers : {Qt::KeyboardModifiers(Qt::ControlModifier), Qt::ControlModifier | Qt::ShiftModifier})
            add(key, modifiers);
    for (const int key : {Qt::Key_F14, Qt::Key_F16, Qt::Key_F18, Qt::Key_F20, Qt::Key_Return, Qt::Key_Enter,
                          Qt::Key_Escape, Qt::Key_Copy, Qt::Key_Paste, Qt::Key_Cut})
        add(key, Qt::NoModifier);
    return pool;
}

// Characters to type: the 8-bit printable set, mostly hex digits, spaces and the
// punctuation that splits words.
QChar RandomChar(std::mt19937& random)
{
    static const QString common = QStringLiteral("0123456789abcdefABCDEF      .,-;:()[]/'\"+=*!?@#");
    std::uniform_int_distribution<int> pick(0, 99);
    const int roll = pick(random);
    if (roll < 80)
        return common[std::uniform_int_distribution<int>(0, static_cast<int>(common.size()) - 1)(random)];
    if (roll < 92)
        return QChar(std::uniform_int_distribution<int>(0x20, 0x7E)(random));
    return QChar(std::uniform_int_distribution<int>(0xA0, 0xFF)(random));
}

Press TypedChar(std::mt19937& random)
{
    const QChar c = RandomChar(random);
    const int key = c >= u'a' && c <= u'z' ? c.unicode() - 0x20 : c.unicode();
    static const Qt::KeyboardModifiers withText[] = {
        Qt::NoModifier, Qt::NoModifier, Qt::NoModifier, Qt::NoModifier, Qt::ShiftModifier,
        Qt::AltModifier, Qt::ControlModifier | Qt::AltModifier, Qt::MetaModifier, Qt::KeypadModifier,
        Qt::ControlModifier,
    };
    const Qt::KeyboardModifiers modifiers = withText[std::uniform_int_distribution<int>(0, 9)(random)];
    return Press{key, modifiers, QString(c)};
}

bool WordBackAtTheStart(const Press& press, const QLineEdit& edit)
{
    if (edit.cursorPosition() != 0 || edit.hasSelectedText() || edit.text().isEmpty())
        return false;
    QKeyEvent event(QEvent::KeyPress, press.key, press.modifiers, press.text);
    return event.matches(QKeySequence::DeleteStartOfWord)
           || (press.key == Qt::Key_Backspace && (press.modifiers & Qt::ControlModifier));
}

class PatternFieldVersusLineEdit : public ::testing::TestWithParam<unsigned> {
protected:
    void SetUp() override
    {
        edit.resize(300, 30);
        field.resize(300, 30);
        edit.show();
        field.show();
    }

    QLineEdit edit;
    PatternField field;
};

} // namespace

TEST_P(PatternFieldVersusLineEdit, EveryKeyLeavesTheSameTextCursorAndSelection)
{
    const std::vector<Press> pool = KeyPool();
    std::mt19937 random(GetParam());
    constexpr int Sequences = 12;
    constexpr int KeysPerSequence = 220;
    int compared = 0;
    int brokenSelections = 0;
    for (int sequence = 0; sequence < Sequences; ++sequence) {
        QString start;
        const int length = std::uniform_int_distribution<int>(0, 16)(random);
        for (int i = 0; i < length; ++i)
            start += RandomChar(random);
        edit.setText(start);
        field.setText(start);
        QGuiApplication::clipboard()->setText(QStringLiteral("4F 6B"));
        std::deque<Press> recent;
        for (int step = 0; step < KeysPerSequence; ++step) {
            const Press press = std::uniform_int_distribution<int>(0, 99)(random) < 45
                                    ? TypedChar(random)
                                    : pool[std::uniform_int_distribution<size_t>(0, pool.size() - 1)(random)];
            // Qt 6.4's line edit deletes the character after the cursor on Ctrl+Backspace
            // at the start of the text (later Qt deletes nothing, as the field does).
            if (WordBackAtTheStart(press, edit)) {
                --step;
                continue;
            }
            recent.push_back(press);
            if (recent.size() > 24)
                recent.pop_front();
            QTest::sendKeyEvent(QTest::Click, &edit, Qt::Key(press.key), press.text, press.modifiers);
            QTest::sendKeyEvent(QTest::Click, &field, Qt::Key(press.key), press.text, press.modifiers);
            ++compared;
            const bool brokenNow = edit.selectionStart() < 0 && edit.hasSelectedText();
            if (edit.text() != field.text() || edit.cursorPosition() != field.cursorPosition()
                || edit.isUndoAvailable() != field.isUndoAvailable()
                || edit.isRedoAvailable() != field.isRedoAvailable()
                || (!brokenNow
                    && (edit.selectedText() != field.selectedText() || edit.selectionStart() != field.selectionStart()))) {
                std::ostringstream keys;
                for (const Press& each : recent)
                    keys << "  " << Describe(each) << "\n";
                FAIL() << "sequence " << sequence << ", key " << step << ", from \"" << start.toStdString()
                       << "\", the last keys:\n"
                       << keys.str() << "line edit: \"" << edit.text().toStdString() << "\" cursor "
                       << edit.cursorPosition() << " selection " << edit.selectionStart() << " \""
                       << edit.selectedText().toStdString() << "\"\nfield:     \"" << field.text().toStdString()
                       << "\" cursor " << field.cursorPosition() << " selection " << field.selectionStart() << " \""
                       << field.selectedText().toStdString() << "\"\nundo/redo: line edit "
                       << edit.isUndoAvailable() << "/" << edit.isRedoAvailable() << ", field "
                       << field.isUndoAvailable() << "/" << field.isRedoAvailable();
            }
            // Qt 6.4's line edit, redoing the deletion of a one-character selection
            // made leftwards, is left with a selection starting before the text
            // (later Qt fixed it; the field selects nothing). Its state is then not
            // a line edit's any more: start again from the text both agree on.
            const bool brokenSelection = edit.selectionStart() < 0 && edit.hasSelectedText();
            // Texts stay short enough for a line edit.
            if (brokenSelection || edit.text().size() > 400) {
                if (brokenSelection)
                    ++brokenSelections;
                edit.setText(start);
                field.setText(start);
            }
        }
    }
    EXPECT_EQ(compared, Sequences * KeysPerSequence);
    EXPECT_LT(brokenSelections, Sequences * 2);
}

// Four seeds of 12 x 220 keys: over 10 000 keys in all.
INSTANTIATE_TEST_SUITE_P(Seeds, PatternFieldVersusLineEdit, ::testing::Values(1u, 2u, 3u, 20u),
                         [](const ::testing::TestParamInfo<unsigned>& each) {
                             return "Seed" + std::to_string(each.param);
                         });
