// The pattern field's editing model without widgets: word and surrogate motion, the
// limit on every edit, undo grouped into steps, and the caps on what undo keeps.

#include "search/PatternLine.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

using search::PatternLine;

namespace {

struct WordCase {
    const char* name;
    const char16_t* text;
    int from;
    int next;
    int previous;
};

void PrintTo(const WordCase& c, std::ostream* os) { *os << c.name; }

class PatternLineWords : public ::testing::TestWithParam<WordCase> {};

} // namespace

TEST_P(PatternLineWords, MoveByWords)
{
    const WordCase& c = GetParam();
    PatternLine line;
    line.setText(QString::fromUtf16(c.text));
    EXPECT_EQ(line.nextWord(c.from), c.next);
    EXPECT_EQ(line.previousWord(c.from), c.previous);
}

INSTANTIATE_TEST_SUITE_P(
    Words, PatternLineWords,
    ::testing::Values(WordCase{"SpacedHex", u"41 42 43", 3, 6, 0},
                      WordCase{"FromInsideAWord", u"41 42 43", 4, 6, 3},
                      WordCase{"PunctuationIsAWordOfItsOwn", u"ab.cd", 0, 2, 0},
                      WordCase{"RunOfPunctuation", u"ab..,cd", 2, 5, 0},
                      WordCase{"PunctuationThenSpaces", u"ab.  cd", 2, 5, 0},
                      WordCase{"NoBreakSpaceIsASpace", u"ab\u00A0cd", 0, 3, 0},
                      WordCase{"TabIsASpace", u"ab\tcd", 5, 5, 3},
                      WordCase{"AtTheEnds", u"ab", 2, 2, 0}),
    [](const ::testing::TestParamInfo<WordCase>& each) { return std::string(each.param.name); });

TEST(PatternLine, ASurrogatePairIsOneCharacter)
{
    PatternLine line;
    line.setText(QString::fromUtf16(u"A\U0001F600B"));
    EXPECT_EQ(line.nextChar(1), 3);
    EXPECT_EQ(line.previousChar(3), 1);
    line.moveCursor(3, false);
    line.backspace();
    EXPECT_EQ(line.text(), QStringLiteral("AB"));
    line.undo();
    EXPECT_EQ(line.text(), QString::fromUtf16(u"A\U0001F600B"));
    line.moveCursor(1, false);
    line.del();
    EXPECT_EQ(line.text(), QStringLiteral("AB"));
}

// An edit past the limit changes nothing, not even the selection; one that
// shortens the text is always taken, whatever the limit.
TEST(PatternLine, TheLimitHoldsForEveryEdit)
{
    PatternLine line;
    line.setText(QStringLiteral("4142"));
    line.setLimit(5);
    EXPECT_EQ(line.insert(QStringLiteral("4")), PatternLine::Edit::Changed);
    EXPECT_EQ(line.insert(QStringLiteral("3")), PatternLine::Edit::Refused);
    EXPECT_EQ(line.paste(QStringLiteral("33")), PatternLine::Edit::Refused);
    EXPECT_EQ(line.text(), QStringLiteral("41424"));
    line.setSelection(0, 2);
    EXPECT_EQ(line.insert(QStringLiteral("ABC")), PatternLine::Edit::Refused);
    EXPECT_EQ(line.selectedText(), QStringLiteral("41"));
    EXPECT_EQ(line.insert(QStringLiteral("AB")), PatternLine::Edit::Changed);
    EXPECT_EQ(line.text(), QStringLiteral("AB424"));
    line.setLimit(2);
    line.selectAll();
    EXPECT_EQ(line.insert(QStringLiteral("FFF")), PatternLine::Edit::Changed); // shorter than before
    EXPECT_EQ(line.text(), QStringLiteral("FFF"));
}

// Undo takes back a run of typing at once; a cursor move, a change of the kind of
// edit, and a paste each start a new step.
TEST(PatternLine, UndoStepsAreRunsOfOneKindOfEdit)
{
    PatternLine line;
    line.setText(QString());
    for (const QChar c : QStringLiteral("41 42"))
        line.insert(QString(c));
    line.backspace();
    line.backspace();
    line.moveCursor(0, false);
    line.insert(QStringLiteral("F"));
    line.paste(QStringLiteral("00"));
    line.insert(QStringLiteral("E"));
    EXPECT_EQ(line.text(), QStringLiteral("F00E41 "));

    const std::vector<std::pair<QString, int>> steps = {
        {QStringLiteral("F0041 "), 3}, {QStringLiteral("F41 "), 1}, {QStringLiteral("41 "), 0},
        {QStringLiteral("41 42"), 5}, {QString(), 0}};
    for (const auto& [text, cursor] : steps) {
        ASSERT_TRUE(line.isUndoAvailable());
        line.undo();
        EXPECT_EQ(line.text(), text);
        EXPECT_EQ(line.cursor(), cursor);
    }
    EXPECT_FALSE(line.isUndoAvailable());
    while (line.isRedoAvailable())
        line.redo();
    EXPECT_EQ(line.text(), QStringLiteral("F00E41 "));
    line.undo();
    line.insert(QStringLiteral("x")); // a new edit drops what could be redone
    EXPECT_FALSE(line.isRedoAvailable());
}

TEST(PatternLine, UndoBringsBackAReplacedSelection)
{
    PatternLine line;
    line.setText(QStringLiteral("41 42 43"));
    line.setSelection(6, 3);
    line.insert(QStringLiteral("F"));
    EXPECT_EQ(line.text(), QStringLiteral("41 F43"));
    line.undo();
    EXPECT_EQ(line.text(), QStringLiteral("41 42 43"));
    EXPECT_EQ(line.selectedText(), QStringLiteral("42 "));
    EXPECT_EQ(line.cursor(), 3);
    EXPECT_EQ(line.anchor(), 6);
}

// A long paste into the middle of a long text is undone and redone whole.
TEST(PatternLine, UndoOfALongPasteRestoresTheText)
{
    PatternLine line;
    line.setLimit(1 << 22);
    QString text, pasted;
    for (int i = 0; i < 100000; ++i) {
        text += QChar(u'0' + i % 10);
        pasted += QChar(u'a' + i % 26);
    }
    line.setText(text);
    line.moveCursor(50000, false);
    line.paste(pasted);
    line.setSelection(10, 90010);
    line.del();
    const QString edited = line.text();
    line.undo();
    line.undo();
    EXPECT_EQ(line.text(), text);
    line.redo();
    line.redo();
    EXPECT_EQ(line.text(), edited);
}

// Undo keeps at most 1000 steps, and drops the oldest whole.
TEST(PatternLine, UndoKeepsItsCaps)
{
    PatternLine line;
    line.setText(QString());
    for (int i = 0; i < 1200; ++i) {
        line.moveCursor(0, false); // each edit its own step
        line.insert(QStringLiteral("ab"));
    }
    int steps = 0;
    while (line.isUndoAvailable()) {
        line.undo();
        ++steps;
    }
    EXPECT_EQ(steps, 1001);
    EXPECT_EQ(line.text().size(), 2 * (1200 - 1001));

    // Characters: a paste of two million is kept as one step while nothing older fits.
    line.setLimit(1 << 23);
    line.setText(QString());
    line.insert(QStringLiteral("x"));
    line.moveCursor(0, false);
    line.paste(QString(1 << 21, u'A'));
    line.undo();
    EXPECT_EQ(line.text(), QStringLiteral("x"));
    EXPECT_FALSE(line.isUndoAvailable()); // the older step gave way
}

TEST(PatternLine, TypingIsPrintableTextWithoutACommandKey)
{
    EXPECT_TRUE(PatternLine::isTyping(QStringLiteral("a"), Qt::NoModifier));
    EXPECT_TRUE(PatternLine::isTyping(QStringLiteral("A"), Qt::ShiftModifier));
    EXPECT_TRUE(PatternLine::isTyping(QStringLiteral("@"), Qt::ControlModifier | Qt::AltModifier));
    EXPECT_TRUE(PatternLine::isTyping(QString::fromUtf16(u"\u00AD"), Qt::ControlModifier)); // a format character
    EXPECT_FALSE(PatternLine::isTyping(QStringLiteral("a"), Qt::ControlModifier));
    EXPECT_FALSE(PatternLine::isTyping(QStringLiteral("\r"), Qt::NoModifier));
    EXPECT_FALSE(PatternLine::isTyping(QString(), Qt::NoModifier));
}

// Seeded random edits, moves and selections: the cursor and the selection stay in
// the text, undoing everything gives back the first text and redoing everything the
// last, whatever runs the undo steps were batched into.
TEST(PatternLine, UndoAndRedoRetraceRandomEdits)
{
    for (unsigned seed = 1; seed <= 20; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        const auto pick = [&random](int from, int to) { return std::uniform_int_distribution<int>(from, to)(random); };
        PatternLine line;
        const QString first = QStringLiteral("41 42-43.44");
        line.setText(first);
        for (int step = 0; step < 400; ++step) {
            const int size = static_cast<int>(line.text().size());
            switch (pick(0, 11)) {
            case 0: line.insert(QString(QChar(u"0aF .-\U0001F600"[pick(0, 6)]))); break;
            case 1: line.paste(QStringLiteral("de ad")); break;
            case 2: line.backspace(); break;
            case 3: line.del(); break;
            case 4: line.deleteWordBefore(); break;
            case 5: line.deleteWordAfter(); break;
            case 6: line.moveCursor(pick(-2, size + 2), pick(0, 1)); break;
            case 7: line.setSelection(pick(-2, size + 2), pick(-2, size + 2)); break;
            case 8: line.moveCursor(line.nextWord(line.cursor()), pick(0, 1)); break;
            case 9: line.moveCursor(line.previousWord(line.cursor()), pick(0, 1)); break;
            case 10: line.undo(); break;
            case 11: line.redo(); break;
            }
            const int now = static_cast<int>(line.text().size());
            ASSERT_GE(line.cursor(), 0);
            ASSERT_LE(line.cursor(), now);
            ASSERT_GE(line.selectionStart(), 0);
            ASSERT_LE(line.selectionEnd(), now);
        }
        while (line.isRedoAvailable())
            line.redo();
        const QString last = line.text();
        while (line.isUndoAvailable())
            line.undo();
        EXPECT_EQ(line.text(), first);
        while (line.isRedoAvailable())
            line.redo();
        EXPECT_EQ(line.text(), last);
    }
}
