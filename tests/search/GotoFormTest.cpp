// The goto dialog: its two number fields following each other, the judging
// against MaxAddress (again at each showing), and its default and cancel keys.

#include "search/Gotoform.h"

#include "Shots.h"
#include "Typing.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Step {
    enum Field { Hex, Dec } field;
    const char16_t* typed; // null: clear the field
};

struct GotoCase {
    const char* name;
    int64_t maxAddress;
    std::vector<Step> steps;
    const char16_t* hex;
    const char16_t* dec;
    bool okEnabled;
};

void PrintTo(const GotoCase& c, std::ostream* os) { *os << c.name; }

class GotoFormTest : public ::testing::Test {
protected:
    void SetUp() override { form.show(); }
    void Expect(bool okEnabled)
    {
        EXPECT_EQ(form.BitBtn1->isEnabled(), okEnabled);
        const QColor colour = okEnabled ? QColor(0, 0, 0) : QColor(255, 0, 0);
        EXPECT_EQ(TextColour(form.HexEdit), colour);
        EXPECT_EQ(TextColour(form.DecEdit), colour);
    }
    TGTForm form;
};

class GotoFormFollowing : public GotoFormTest, public ::testing::WithParamInterface<GotoCase> {};

} // namespace

TEST_P(GotoFormFollowing, ShowsTheValueInBothFieldsAndJudgesIt)
{
    form.MaxAddress = GetParam().maxAddress;
    for (const Step& step : GetParam().steps) {
        QLineEdit* edit = step.field == Step::Hex ? form.HexEdit : form.DecEdit;
        if (step.typed)
            Type(edit, QString::fromUtf16(step.typed));
        else
            Clear(edit);
    }
    EXPECT_EQ(form.HexEdit->text(), QString::fromUtf16(GetParam().hex));
    EXPECT_EQ(form.DecEdit->text(), QString::fromUtf16(GetParam().dec));
    Expect(GetParam().okEnabled);
    EXPECT_FALSE(form.UpdatingDec);
    EXPECT_FALSE(form.UpdatingHex);
}

INSTANTIATE_TEST_SUITE_P(
    Typing, GotoFormFollowing,
    ::testing::Values(
        GotoCase{"Hex1F", 4095, {{Step::Hex, u"1F"}}, u"1F", u"31", true},
        GotoCase{"Dec255", 4095, {{Step::Dec, u"255"}}, u"FF", u"255", true},
        GotoCase{"LowerHexStaysAsTyped", 4095, {{Step::Hex, u"ff"}}, u"ff", u"255", true},
        GotoCase{"HexWithSpace", 4095, {{Step::Hex, u"1 0"}}, u"1 0", u"16", true},
        GotoCase{"HexLeadingZeros", 4095, {{Step::Hex, u"0010"}}, u"0010", u"16", true},
        GotoCase{"HexPrefixRejected", 4095, {{Step::Hex, u"0x10"}}, u"0x10", u"0", false},
        GotoCase{"DecSignRejected", 4095, {{Step::Dec, u"-5"}}, u"0", u"-5", false},
        GotoCase{"DecSeparatorRejected", 4095, {{Step::Dec, u"1,000"}}, u"0", u"1,000", false},
        GotoCase{"ClearedHexIsZero", 4095, {{Step::Hex, u"12"}, {Step::Hex, nullptr}}, u"", u"0", true},
        GotoCase{"LastByteOf4096", 4095, {{Step::Hex, u"FFF"}}, u"FFF", u"4095", true},
        GotoCase{"PastTheEndInRed", 4095, {{Step::Hex, u"1000"}}, u"1000", u"4096", false},
        GotoCase{"SignBitRejected", INT64_MAX, {{Step::Hex, u"8000000000000000"}}, u"8000000000000000", u"0", false},
        GotoCase{"TooLongDecRejected", INT64_MAX, {{Step::Dec, u"99999999999999999999"}}, u"0",
                 u"99999999999999999999", false},
        GotoCase{"BackToAcceptable", 4095, {{Step::Hex, u"0x"}, {Step::Hex, nullptr}, {Step::Dec, u"7"}}, u"7", u"07",
                 true}),
    [](const ::testing::TestParamInfo<GotoCase>& p) { return std::string(p.param.name); });

TEST_F(GotoFormTest, StartsEmptyAndAcceptingAddressZero)
{
    EXPECT_EQ(form.windowTitle(), "Goto Address");
    EXPECT_EQ(form.size(), QSize(320, 113));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.MaxAddress, 0);
    EXPECT_TRUE(form.HexEdit->text().isEmpty());
    EXPECT_TRUE(form.DecEdit->text().isEmpty());
    EXPECT_EQ(form.BitBtn1->text(), "OK");
    EXPECT_EQ(form.BitBtn2->text(), "Cancel");
    EXPECT_EQ(form.Label1->text(), "Hex");
    EXPECT_EQ(form.Label2->text(), "Dec");
    EXPECT_TRUE(form.BitBtn1->isDefault());
    Expect(true);
    EXPECT_EQ(form.Address(), 0);
}

TEST_F(GotoFormTest, KeptTextIsJudgedAgainAtEachShowing)
{
    form.hide();
    form.MaxAddress = 0x1FFF;
    form.show();
    Type(form.HexEdit, QStringLiteral("1000"));
    Expect(true);

    // A smaller file: the kept address lies past its end.
    form.hide();
    form.MaxAddress = 0xFFF;
    form.show();
    Expect(false);
    EXPECT_EQ(form.HexEdit->text(), "1000");
    EXPECT_EQ(form.DecEdit->text(), "4096");

    // A larger file again accepts it.
    form.hide();
    form.MaxAddress = 0x1000;
    form.show();
    Expect(true);
    EXPECT_EQ(form.Address(), 0x1000);

    // A rejected decimal text stays rejected whatever the file.
    Clear(form.DecEdit);
    Type(form.DecEdit, QStringLiteral("-5"));
    form.hide();
    form.MaxAddress = INT64_MAX;
    form.show();
    Expect(false);
}

TEST_F(GotoFormTest, EnterGoesOnlyWhileOkIsEnabledAndEscCancels)
{
    form.MaxAddress = 100;
    Type(form.HexEdit, QStringLiteral("FFFF"));
    QTest::keyClick(form.HexEdit, Qt::Key_Return);
    EXPECT_TRUE(form.isVisible());

    Clear(form.HexEdit);
    Type(form.HexEdit, QStringLiteral("10"));
    QTest::keyClick(form.HexEdit, Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.Address(), 16);

    form.show();
    QTest::keyClick(form.DecEdit, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
}

// Typing an address right away replaces the kept one; Enter then goes there.
TEST_F(GotoFormTest, OpensWithTheHexFieldReadyToType)
{
    form.MaxAddress = 0xFFFF;
    EXPECT_EQ(form.focusWidget(), form.HexEdit);
    Type(form.HexEdit, QStringLiteral("1F"));
    form.hide();
    form.BitBtn1->setFocus();
    form.show();
    EXPECT_EQ(form.focusWidget(), form.HexEdit);
    EXPECT_EQ(form.HexEdit->selectedText(), QStringLiteral("1F"));
    QTest::keyClicks(form.HexEdit, QStringLiteral("20"));
    EXPECT_EQ(form.Address(), 0x20);
}

TEST_F(GotoFormTest, Screenshots)
{
    if (!ShotsWanted())
        GTEST_SKIP() << "BYTELOOM_SHOT_DIR not set";
    form.MaxAddress = 4095;
    Type(form.HexEdit, QStringLiteral("FFF"));
    ASSERT_TRUE(SaveShot(form, "goto-valid.png"));
    Type(form.HexEdit, QStringLiteral("0"));
    ASSERT_TRUE(SaveShot(form, "goto-rejected.png"));
}
