// The copy commands through the real window: Ctrl+Shift+A and Ctrl+Shift+C by the
// keyboard, the copy dialog's fields as the user types, and what lands on the
// clipboard (or does not). Dialogs are answered from a zero-delay queued call while
// they are open; each step activates the window first, as a window manager would.

#include "app/Mainform.h"
#include "banner/DefaultSeams.h"
#include "output/CopyCommands.h"
#include "output/CopyForm.h"
#include "page/Page_form.h"
#include "search/FindCommands.h"
#include "support/TempFiles.h"
#include "support/Wait.h"
#include "util/Messages.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>
#include <limits>

using testing_support::TempDir;
using testing_support::WaitUntil;
using output::TCopyForm;
using Bytes = std::vector<uint8_t>;

namespace {

bool IsRed(const QLineEdit* edit) { return edit->palette().color(QPalette::Text) == TCopyForm::RejectedColour(); }

void Retype(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

Bytes Counting(size_t n)
{
    Bytes bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + 1);
    return bytes;
}

class CopyDialog : public testing::Test {
protected:
    TCopyForm form;
};

class CopyCommands : public testing::Test {
protected:
    CopyCommands()
    {
        search::SetSearchDialogOwner(&window);
        window.resize(792, 666);
        window.show();
        activate();
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    }

    void activate()
    {
        window.activateWindow();
        ASSERT_TRUE(WaitUntil([this] { return window.isActiveWindow(); }));
    }

    TPageForm* open(const Bytes& bytes)
    {
        path = dir.write("data.bin", bytes);
        chosen = {QString::fromStdString(path)};
        window.CategoryButtons1Categories0Items1Click();
        activate();
        return window.activePage();
    }

    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(window.focusWidget(), k, modifiers); }
    static void WhileOpen(std::function<void()> part) { QTimer::singleShot(0, std::move(part)); }
    TCopyForm& dialog() { return output::CopyForm(&window); }
    static std::string Clipboard() { return QGuiApplication::clipboard()->text().toStdString(); }

    TempDir dir;
    std::string path;
    std::vector<util::Message> boxes;
    decltype(util::ShowMessageSeam)::Override seam{util::ShowMessageSeam, [this](QWidget*, const util::Message& m) { boxes.push_back(m); }};
    decltype(util::BeepSeam)::Override silent{util::BeepSeam, [] {}};
    banner::ScopedSeams offline{[] { return banner::Seams{}; }}; // no network in tests
    TBEForm window;
    QStringList chosen;
    decltype(TBEForm::OpenDialog1)::Override openDialog{window.OpenDialog1, [this] { return chosen; }};
};

} // namespace

TEST_F(CopyDialog, FieldsThatCannotBeTakenTurnRedAndDisableOk)
{
    form.Prepare(4096, 0x10, 16);
    EXPECT_EQ(form.StartEdit->text(), QStringLiteral("10"));
    EXPECT_EQ(form.CountEdit->text(), QStringLiteral("16"));
    EXPECT_TRUE(form.BitBtn1->isEnabled());
    EXPECT_EQ(form.AmountLabel->text(), QStringLiteral("16 bytes will be copied"));

    struct Case {
        const char* start;
        const char* count;
        bool startRed, countRed;
    };
    for (const Case c : {Case{"xyz", "16", true, false}, Case{"0x10", "16", true, false},
                         Case{"1000", "16", true, false}, Case{"FFF", "16", false, false},
                         Case{"10", "0", false, true}, Case{"10", "16777217", false, true},
                         Case{"10", "16777216", false, false}, Case{"10", "-5", false, true},
                         Case{"8000000000000000", "1,000", true, true}, Case{"", "1", false, false}}) {
        Retype(form.StartEdit, QString::fromLatin1(c.start));
        Retype(form.CountEdit, QString::fromLatin1(c.count));
        EXPECT_EQ(IsRed(form.StartEdit), c.startRed) << c.start << " / " << c.count;
        EXPECT_EQ(IsRed(form.CountEdit), c.countRed) << c.start << " / " << c.count;
        EXPECT_EQ(form.BitBtn1->isEnabled(), !c.startRed && !c.countRed) << c.start << " / " << c.count;
    }
}

TEST_F(CopyDialog, TheAmountLineSaysWhatACountCutAtTheEndTakes)
{
    form.Prepare(4096, 4000, 16);
    Retype(form.CountEdit, QStringLiteral("200"));
    EXPECT_EQ(form.Count(), 96);
    EXPECT_EQ(form.AmountLabel->text(), QStringLiteral("96 bytes will be copied (to the end of the file)"));
    Retype(form.StartEdit, QStringLiteral("FFF"));
    EXPECT_EQ(form.AmountLabel->text(), QStringLiteral("1 byte will be copied (to the end of the file)"));
    Retype(form.StartEdit, QStringLiteral("1000"));
    EXPECT_EQ(form.Count(), 0);
    EXPECT_EQ(form.AmountLabel->text(), QStringLiteral("Nothing will be copied"));

    const int64_t largest = std::numeric_limits<int64_t>::max();
    form.Prepare(largest, largest - 1, 16);
    EXPECT_EQ(form.StartEdit->text(), QStringLiteral("7FFFFFFFFFFFFFFE"));
    EXPECT_TRUE(form.BitBtn1->isEnabled());
    EXPECT_EQ(form.Count(), 1);
    Retype(form.StartEdit, QStringLiteral("7FFFFFFFFFFFFFFF"));
    EXPECT_FALSE(form.BitBtn1->isEnabled());
}

TEST_F(CopyCommands, CopyAddressPutsTheCursorsAddressInHex)
{
    TPageForm* page = open(Counting(5000));
    ASSERT_NE(page, nullptr);
    page->MoveToAddress(0xABC);
    activate();
    key(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Clipboard(), "ABC");
    EXPECT_EQ(page->cursorAddress, 0xABC);
    EXPECT_EQ(window.focusWidget(), page->BinGrid);
}

// Ctrl+Shift+C opens the dialog at the cursor with one row's count; Enter copies, the
// format chosen stays for the next opening, and the page and its window stay put.
TEST_F(CopyCommands, CopyBytesByKeysPutsTheRangeOnTheClipboard)
{
    const Bytes bytes = Counting(300000);
    TPageForm* page = open(bytes);
    ASSERT_NE(page, nullptr);
    page->MoveToAddress(0x20);
    activate();
    const util::File64::WindowBytes before = page->file->window();

    QString shownStart, shownCount;
    bool typedInStart = false;
    WhileOpen([&] {
        typedInStart = dialog().focusWidget() == dialog().StartEdit;
        shownStart = dialog().StartEdit->text();
        shownCount = dialog().CountEdit->text();
        QTest::keyClick(dialog().StartEdit, Qt::Key_Return);
    });
    key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(typedInStart);
    EXPECT_EQ(shownStart, QStringLiteral("20"));
    EXPECT_EQ(shownCount, QString::number(page->BytesPerRow()));
    QString expected;
    for (int i = 0; i < page->BytesPerRow(); ++i)
        expected += (i ? QStringLiteral(" ") : QString()) + QStringLiteral("%1").arg(bytes[0x20 + i], 2, 16, QLatin1Char('0')).toUpper();
    EXPECT_EQ(Clipboard(), expected.toStdString());
    EXPECT_EQ(window.focusWidget(), page->BinGrid);

    // Base64 over a range that crosses the page's window, typed by keys alone.
    activate();
    bool countByTab = false;
    WhileOpen([&] {
        QTest::keyClicks(dialog().StartEdit, QStringLiteral("FFF0"));
        QTest::keyClick(dialog().StartEdit, Qt::Key_Tab); // to Cancel
        QTest::keyClick(dialog().focusWidget(), Qt::Key_Tab); // to Count
        countByTab = dialog().focusWidget() == dialog().CountEdit;
        QTest::keyClick(dialog().focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(dialog().focusWidget(), QStringLiteral("70000"));
        dialog().FormatItems[3]->setFocus();
        QTest::keyClick(dialog().FormatItems[3], Qt::Key_Space);
        QTest::keyClick(dialog().focusWidget(), Qt::Key_Return);
    });
    key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    const QByteArray range(reinterpret_cast<const char*>(bytes.data()) + 0xFFF0, 70000);
    EXPECT_TRUE(countByTab);
    EXPECT_EQ(Clipboard().size(), static_cast<size_t>(range.toBase64().size()));
    EXPECT_EQ(Clipboard(), range.toBase64().toStdString());
    EXPECT_EQ(page->cursorAddress, 0x20);
    EXPECT_EQ(page->file->window().start, before.start);
    EXPECT_EQ(page->file->window().length, before.length);
    EXPECT_EQ(window.focusWidget(), page->BinGrid);

    // The format is kept; Esc leaves the clipboard as it was.
    activate();
    bool keptBase64 = false;
    WhileOpen([&] {
        keptBase64 = dialog().Format() == output::CopyFormat::Base64;
        QTest::keyClick(dialog().focusWidget(), Qt::Key_Escape);
    });
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(keptBase64);
    EXPECT_EQ(Clipboard(), "kept");
    EXPECT_EQ(window.focusWidget(), page->BinGrid);
    EXPECT_TRUE(boxes.empty());
}

// A file that shrank under its page: one box with the read error, and nothing copied.
TEST_F(CopyCommands, AReadFailurePutsNothingOnTheClipboardAndShowsOneBox)
{
    TPageForm* page = open(Counting(3 << 20));
    ASSERT_NE(page, nullptr);
    ASSERT_EQ(truncate(path.c_str(), 1000), 0);
    WhileOpen([&] {
        Retype(dialog().StartEdit, QStringLiteral("100000"));
        Retype(dialog().CountEdit, QStringLiteral("1000"));
        QTest::keyClick(dialog().CountEdit, Qt::Key_Return);
    });
    key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(WaitUntil([this] { return !boxes.empty(); }));
    QApplication::processEvents();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("file read error"));
    EXPECT_EQ(Clipboard(), "before");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// Copying reads only: the viewed file keeps its bytes and its time of change.
TEST_F(CopyCommands, NothingIsWrittenToTheViewedFile)
{
    const Bytes bytes = Counting(70000);
    TPageForm* page = open(bytes);
    ASSERT_NE(page, nullptr);
    const QDateTime modified = QFileInfo(QString::fromStdString(path)).lastModified();
    for (int format = 0; format < output::CopyFormatCount; ++format) {
        activate();
        WhileOpen([&] {
            Retype(dialog().CountEdit, QStringLiteral("70000"));
            dialog().FormatItems[static_cast<size_t>(format)]->click();
            dialog().BitBtn1->click();
        });
        key(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_FALSE(Clipboard().empty());
    }
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray after = file.readAll();
    EXPECT_EQ(after, QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
    EXPECT_EQ(QFileInfo(QString::fromStdString(path)).lastModified(), modified);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(CopyCommands, NothingHappensWithoutAPage)
{
    window.CopyAddressClick();
    window.CopyBytesClick();
    EXPECT_EQ(Clipboard(), "before");
    EXPECT_EQ(window.findChild<TCopyForm*>(), nullptr);
}
