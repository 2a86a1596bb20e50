// The find dialog: its two fields following each other as the user types, the
// judging of the hex text, and the keys that must not close it.

#include "search/Fform.h"
#include "search/PatternField.h"
#include "search/RadioGroup.h"
#include "Shots.h"
#include "Typing.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// One user action: type into a field, or select its whole text and delete it.
struct Step {
    enum Field { Hex, Text } field;
    const char16_t* typed; // null: clear the field
};

struct FollowCase {
    const char* name;
    std::vector<Step> steps;
    const char16_t* hex;
    const char16_t* text;
    bool searchEnabled;
};

void PrintTo(const FollowCase& c, std::ostream* os) { *os << c.name; }


class FindFormTest : public ::testing::Test {
protected:
    void SetUp() override { form.show(); }
    TFindForm form;
};

class FindFormFollowing : public FindFormTest, public ::testing::WithParamInterface<FollowCase> {};

} // namespace

TEST_P(FindFormFollowing, ShowsTheSameBytesInBothFields)
{
    for (const Step& step : GetParam().steps) {
        search::PatternField* edit = step.field == Step::Hex ? form.HexEdit : form.TextEdit;
        if (step.typed)
            Type(edit, QString::fromUtf16(step.typed));
        else
            Clear(edit);
    }
    EXPECT_EQ(form.HexEdit->text(), QString::fromUtf16(GetParam().hex));
    EXPECT_EQ(form.TextEdit->text(), QString::fromUtf16(GetParam().text));
    EXPECT_EQ(form.SearchBtn->isEnabled(), GetParam().searchEnabled);
    const QColor expected = GetParam().searchEnabled ? TFindForm::WindowTextColour() : QColor(255, 0, 0);
    EXPECT_EQ(TextColour(form.HexEdit), expected);
    EXPECT_EQ(TextColour(form.TextEdit), expected);
    EXPECT_FALSE(form.UpdatingHex);
    EXPECT_FALSE(form.UpdatingText);
}

INSTANTIATE_TEST_SUITE_P(
    Typing, FindFormFollowing,
    ::testing::Values(
        FollowCase{"HexShowsText", {{Step::Hex, u"41 42 43"}}, u"41 42 43", u"ABC", true},
        FollowCase{"TextShowsUpperHex", {{Step::Text, u"ABC"}}, u"414243", u"ABC", true},
        FollowCase{"LowerCaseText", {{Step::Text, u"abc"}}, u"616263", u"abc", true},
        FollowCase{"OneDigitShowsDot", {{Step::Hex, u"4"}}, u"4", u".", true},
        FollowCase{"ThreeDigitsShowTwoDots", {{Step::Hex, u"41 0"}}, u"41 0", u"..", true},
        FollowCase{"PrefixTurnsRed", {{Step::Hex, u"0x41"}}, u"0x41", u"", false},
        FollowCase{"CommaTurnsRed", {{Step::Hex, u"41,42"}}, u"41,42", u"", false},
        FollowCase{"SpacesOnlyTurnRed", {{Step::Hex, u"   "}}, u"   ", u"", false},
        FollowCase{"ClearingHexIsValid", {{Step::Hex, u"0x41"}, {Step::Hex, nullptr}}, u"", u"", true},
        FollowCase{"DotOfAHiddenByteBecomes2E", {{Step::Hex, u"41 00 42"}, {Step::Text, u"C"}}, u"412E4243",
                   u"A.BC", true},
        FollowCase{"E9IsShownAsThePageDrawsIt", {{Step::Hex, u"E9"}}, u"E9", u"\u0398", true},
        FollowCase{"B5IsADot", {{Step::Hex, u"B5"}}, u"B5", u".", true},
        // The text field is never rewritten by the hex field's handler.
        FollowCase{"TypedTextStaysAsTyped", {{Step::Text, u"\u00B5\u00E9"}}, u"E682", u"\u00B5\u00E9", true},
        FollowCase{"TextAfterRejectedHexRestoresSearch", {{Step::Hex, u"zz"}, {Step::Text, u"A"}}, u"41", u"A",
                   true},
        FollowCase{"CharacterAboveFFIsNoByte", {{Step::Text, u"A\u20AC"}}, u"", u"A\u20AC", false},
        FollowCase{"DeletingTheNonByteRestores", {{Step::Text, u"A\u20AC"}, {Step::Text, nullptr}, {Step::Text, u"B"}},
                   u"42", u"B", true}),
    [](const ::testing::TestParamInfo<FollowCase>& p) { return std::string(p.param.name); });

TEST_F(FindFormTest, StartsEmptyWithSearchEnabledAndFromTop)
{
    EXPECT_EQ(form.windowTitle(), "Find String");
    EXPECT_TRUE(form.HexEdit->text().isEmpty());
    EXPECT_TRUE(form.TextEdit->text().isEmpty());
    EXPECT_TRUE(form.SearchBtn->isEnabled());
    EXPECT_EQ(form.StartPositionRG->itemIndex(), 0);
    EXPECT_EQ(form.StartPositionRG->title(), "Start Position");
    EXPECT_EQ(form.StartPositionRG->item(0)->text(), "from top");
    EXPECT_EQ(form.StartPositionRG->item(1)->text(), "from current position");
    EXPECT_EQ(form.SearchBtn->text(), "Search");
    EXPECT_EQ(form.CancelBtn->text(), "Cancel");
    EXPECT_EQ(form.Label1->text(), "Hex");
    EXPECT_EQ(form.Label2->text(), "Text");
    EXPECT_FALSE(form.UpdatingHex);
    EXPECT_FALSE(form.UpdatingText);
}

TEST_F(FindFormTest, EnterAndEscInAFieldLeaveItOpen)
{
    Type(form.HexEdit, QStringLiteral("41"));
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(form.HexEdit, key);
        QTest::keyClick(form.TextEdit, key);
        EXPECT_TRUE(form.isVisible()) << key;
    }
    EXPECT_FALSE(form.SearchBtn->isDefault());
    EXPECT_FALSE(form.CancelBtn->isDefault());
}

TEST_F(FindFormTest, ButtonsAndCloseBoxGiveTheResult)
{
    form.SearchBtn->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    form.show();
    form.CancelBtn->click();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    form.show();
    form.close();
    EXPECT_EQ(form.result(), QDialog::Rejected);
}

TEST_F(FindFormTest, OnlyTheWidthChangesAndTheRightSideFollows)
{
    EXPECT_EQ(form.size(), QSize(474, 186));
    EXPECT_EQ(form.HexEdit->geometry(), QRect(61, 21, 387, 21));
    EXPECT_EQ(form.StartPositionRG->pos(), QPoint(61, 96));
    EXPECT_EQ(form.StartPositionRG->height(), 73);
    EXPECT_GE(form.StartPositionRG->width(), 145);
    EXPECT_GE(form.StartPositionRG->width(), form.StartPositionRG->sizeHint().width());
    EXPECT_EQ(form.minimumWidth(), 300);
    EXPECT_EQ(form.minimumHeight(), form.maximumHeight());

    form.resize(600, 400);
    EXPECT_EQ(form.height(), 186);
    EXPECT_EQ(form.TextEdit->width(), 387 + 126);
    EXPECT_EQ(form.width() - form.SearchBtn->geometry().right() - 1, 474 - 448);
    EXPECT_EQ(form.CancelBtn->x(), form.SearchBtn->x());
    form.resize(100, 100);
    EXPECT_EQ(form.width(), 300);
}

// 64 KiB of bytes as spaced hex, the form the dialog invites: "00 01 02 ...".
QString SpacedHex(int bytes)
{
    QString hex;
    for (int i = 0; i < bytes; ++i)
        hex += QString::asprintf(i ? " %02X" : "%02X", i & 0xFF);
    return hex;
}

void Paste(search::PatternField* edit, const QString& text)
{
    QGuiApplication::clipboard()->setText(text);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
}

TEST_F(FindFormTest, APatternOf64KiBIsTakenWholeInEitherField)
{
    const QString hex = SpacedHex(65536);
    Paste(form.HexEdit, hex);
    EXPECT_EQ(form.HexEdit->text(), hex);
    EXPECT_EQ(form.TextEdit->text().size(), 65536);
    EXPECT_TRUE(form.SearchBtn->isEnabled());
    EXPECT_FALSE(form.LimitNote->isVisible());

    Clear(form.HexEdit);
    const QString text(65536, u'z');
    Paste(form.TextEdit, text);
    EXPECT_EQ(form.TextEdit->text(), text);
    EXPECT_EQ(form.HexEdit->text().size(), 2 * 65536);
    EXPECT_FALSE(form.LimitNote->isVisible());
}

// Input past a field's limit, typed or pasted, leaves the text as it was and the
// dialog says why; the next edit that is taken clears the line.
TEST_F(FindFormTest, InputPastTheLimitLeavesTheTextAndSaysWhy)
{
    const QString full = SpacedHex(65536) + QLatin1Char(' ');
    ASSERT_EQ(full.size(), 3 * 65536);
    Paste(form.HexEdit, full);
    ASSERT_EQ(form.HexEdit->text(), full);
    Type(form.HexEdit, QStringLiteral("4"));
    EXPECT_EQ(form.HexEdit->text(), full);
    EXPECT_TRUE(form.LimitNote->isVisible());
    EXPECT_TRUE(form.LimitNote->text().contains(QStringLiteral("Hex"))) << form.LimitNote->text().toStdString();
    QTest::keyClick(form.HexEdit, Qt::Key_Backspace);
    EXPECT_FALSE(form.LimitNote->isVisible());

    Clear(form.HexEdit);
    Type(form.TextEdit, QStringLiteral("ab"));
    Paste(form.TextEdit, QString(3 * 65536, u'x'));
    EXPECT_EQ(form.TextEdit->text(), QStringLiteral("ab"));
    EXPECT_EQ(form.HexEdit->text(), QStringLiteral("6162"));
    EXPECT_TRUE(form.LimitNote->isVisible());
    EXPECT_TRUE(form.LimitNote->text().contains(QStringLiteral("Text"))) << form.LimitNote->text().toStdString();
}

// The dialog opens in the field last typed in, the hex field at first, its text selected.
TEST_F(FindFormTest, OpensReadyToTypeInTheFieldLastTypedIn)
{
    EXPECT_EQ(form.focusWidget(), form.HexEdit);
    Type(form.TextEdit, QStringLiteral("AB"));
    form.hide();
    form.SearchBtn->setFocus();
    form.show();
    EXPECT_EQ(form.focusWidget(), form.TextEdit);
    EXPECT_EQ(form.TextEdit->selectedText(), QStringLiteral("AB"));

    Type(form.HexEdit, QStringLiteral(" 43"));
    form.hide();
    form.CancelBtn->setFocus();
    form.show();
    EXPECT_EQ(form.focusWidget(), form.HexEdit);
    EXPECT_EQ(form.HexEdit->selectedText(), QStringLiteral("4142 43"));
}

// Pictures of the dialog for a person to look at, when a folder is given.
TEST_F(FindFormTest, Screenshots)
{
    if (!ShotsWanted())
        GTEST_SKIP() << "BYTELOOM_SHOT_DIR not set";
    Type(form.TextEdit, QStringLiteral("Hello"));
    form.StartPositionRG->setItemIndex(1);
    ASSERT_TRUE(SaveShot(form, "find-valid.png"));
    Clear(form.HexEdit);
    Type(form.HexEdit, QStringLiteral("48 65 6G"));
    ASSERT_TRUE(SaveShot(form, "find-rejected.png"));
}
