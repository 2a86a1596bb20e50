#include "app/CategoryButtons.h"
#include "app/Mainform.h"
#include "banner/BannerView.h"
#include "banner/DefaultSeams.h"
#include "page/Page_form.h"
#include "search/FindCommands.h"
#include "search/Fform.h"
#include "search/PatternField.h"
#include "search/Gotoform.h"
#include "support/TempFiles.h"
#include "support/Wait.h"
#include "util/Error.h"
#include "util/Messages.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

using testing_support::RandomBytes;
using testing_support::TempDir;

namespace {

// A main window whose open dialog answers with the given paths, and the boxes it shows.
class MainWindow : public testing::Test {
protected:
    MainWindow()
    {
    }

    void open(const QStringList& paths)
    {
        chosen = paths;
        form.CategoryButtons1Categories0Items1Click();
    }

    QString file(const std::string& name, size_t size)
    {
        return QString::fromStdString(dir.write(name, RandomBytes(size, static_cast<uint32_t>(size))));
    }

    QStringList tabCaptions() const
    {
        QStringList captions;
        for (int i = 0; i < form.FilePages->count(); ++i)
            captions << form.FilePages->tabText(i);
        return captions;
    }

    QString panel(int i) const { return form.StatusPanels[static_cast<size_t>(i)]->text(); }

    TempDir dir;
    std::vector<util::Message> boxes;
    int beeps = 0;
    decltype(util::ShowMessageSeam)::Override seam{util::ShowMessageSeam, [this](QWidget*, const util::Message& m) { boxes.push_back(m); }};
    decltype(util::BeepSeam)::Override beep{util::BeepSeam, [this] { ++beeps; }};
    banner::ScopedSeams offline{[] { return banner::Seams{}; }}; // no network in tests
    TBEForm form;
    QStringList chosen;
    int dialogRuns = 0;
    decltype(TBEForm::OpenDialog1)::Override openDialog{form.OpenDialog1, [this] {
                      ++dialogRuns;
                      return chosen;
                  }};
};

TEST_F(MainWindow, LaysOutCaptionSizesAndStatusPanels)
{
    EXPECT_EQ(form.windowTitle(), "Byteloom 2.0");
    EXPECT_EQ(form.Timer1->interval(), 200);
    EXPECT_EQ(form.Timer2->interval(), 20108);
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_TRUE(form.Timer2->isActive());
    EXPECT_EQ(form.Browser1->height(), 128);
    EXPECT_EQ(form.StatusPanels[0]->width(), 120);
    EXPECT_EQ(form.StatusPanels[1]->width(), 400);
    EXPECT_EQ(form.StatusPanels[2]->width(), 150);
    EXPECT_EQ(form.StatusPanels[3]->maximumWidth(), 0);
    EXPECT_FALSE(panel(4).isEmpty());
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(panel(i).isEmpty());
    EXPECT_EQ(form.activePage(), nullptr);
}

TEST_F(MainWindow, TakesTheDesignedSizeWithinTheScreenAndNeverLessThanItsMinimum)
{
    const QRect available = form.screen()->availableGeometry();
    EXPECT_GE(form.minimumWidth(), 540);
    EXPECT_GE(form.minimumHeight(), 400);
    EXPECT_EQ(form.width(), std::max(form.minimumWidth(), std::min(792, available.width())));
    EXPECT_EQ(form.height(), std::max(form.minimumHeight(), std::min(666, available.height())));
    if (form.width() <= available.width() && form.height() <= available.height()) {
        EXPECT_TRUE(available.contains(form.geometry())) << form.geometry().x() << "," << form.geometry().y();
    }
}

// At the smallest size the window allows, with a page open, no part is cut.
TEST_F(MainWindow, AtItsSmallestSizeEveryPartIsWhole)
{
    open({file("a.bin", 5000)});
    form.show();
    form.resize(1, 1);
    QApplication::processEvents();
    TPageForm& page = *form.activePage();
    // The page's panels lie wholly inside the tab area, above the status bar.
    const auto inForm = [&](QWidget* w) { return QRect(w->mapTo(&form, QPoint(0, 0)), w->size()); };
    for (QWidget* part : {page.Panel3, page.Panel2, static_cast<QWidget*>(page.DataSG)}) {
        EXPECT_TRUE(inForm(form.FilePages).contains(inForm(part))) << part->metaObject()->className();
        EXPECT_LE(inForm(part).bottom(), form.StatusBar1->y());
    }
    EXPECT_GE(page.Panel3->width(), 400);
    EXPECT_GE(page.Panel3->height(), 300);
    EXPECT_GE(page.Panel2->width(), 200);
    EXPECT_EQ(page.DataSG->columnWidth(0), 64);
    EXPECT_GE(page.DataSG->viewport()->width(), 64 + 64);
    EXPECT_LE(page.TextLabel->geometry().right(), page.ScrollBar1->x());
    EXPECT_GE(page.TextLabel->x(), page.TextGrid->x());
    for (QLabel* label : form.StatusPanels)
        if (label->isVisible()) {
            EXPECT_GE(label->width(), label->minimumSizeHint().width()) << label->text().toStdString();
        }
    EXPECT_EQ(form.Browser1->height(), 128);
    EXPECT_GE(form.CategoryButtons1->height(), 60);
}

TEST_F(MainWindow, CommandBarHasFourCategoriesOfButtonsWithHintsAndImages)
{
    struct Expected {
        int category;
        int item;
        const char* caption;
        const char* hint;
        int image;
    };
    const Expected buttons[] = {
        {0, 0, "Open", "open file", 0},       {0, 1, "Close", "close file", 1},
        {0, 2, "Exit", "exit Byteloom", 2},   {1, 0, "Print", "print current view", 4},
        {2, 0, "Find", "find first", 5},      {2, 1, "Next", "find next", 6},
        {2, 2, "Goto", "go to address", 7},   {3, 0, "Help", "help", 8},
        {3, 1, "About", "about Byteloom", 9}, {3, 2, "Web", "open Byteloom web site", 10},
    };
    CategoryButtons& bar = *form.CategoryButtons1;
    ASSERT_EQ(bar.categoryCount(), 4);
    EXPECT_EQ(bar.buttonCount(0), 3);
    EXPECT_EQ(bar.buttonCount(1), 1);
    EXPECT_EQ(bar.buttonCount(2), 3);
    EXPECT_EQ(bar.buttonCount(3), 3);
    for (const Expected& b : buttons) {
        SCOPED_TRACE(b.caption);
        EXPECT_EQ(bar.caption(b.category, b.item), b.caption);
        EXPECT_EQ(bar.hint(b.category, b.item), b.hint);
        EXPECT_EQ(bar.image(b.category, b.item), b.image);
    }
}

// The bar's pictures are the drawings in app/images, drawn beforehand at the size a
// button shows them; a drawing changed without drawing its picture again fails here.
TEST_F(MainWindow, CommandPicturesAreTheirDrawingsAtTheSizeShown)
{
    const QDir drawings(QStringLiteral(COMMAND_DRAWINGS));
    for (int i = 0; i < 11; ++i) {
        const QStringList svg = drawings.entryList({QString::number(i) + QStringLiteral("-*.svg")});
        ASSERT_EQ(svg.size(), 1) << i;
        SCOPED_TRACE(svg[0].toStdString());
        const QPixmap picture = form.CategoryButtons1->picture(i);
        ASSERT_EQ(picture.size(), QSize(CategoryButtons::ImageSize, CategoryButtons::ImageSize));
        QImage drawn(picture.size(), QImage::Format_ARGB32_Premultiplied);
        drawn.fill(Qt::transparent);
        QSvgRenderer renderer(drawings.filePath(svg[0]));
        ASSERT_TRUE(renderer.isValid());
        QPainter painter(&drawn);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        renderer.render(&painter);
        painter.end();
        EXPECT_EQ(picture.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied), drawn)
            << "draw it again with scripts/render-command-images";
    }
    EXPECT_TRUE(form.CategoryButtons1->picture(11).isNull());
}

TEST_F(MainWindow, ClickingOpenRunsTheDialogAndCollapsingHidesButtons)
{
    form.show();
    CategoryButtons& bar = *form.CategoryButtons1;
    const QRect open = bar.buttonRect(0, 0);
    ASSERT_FALSE(open.isEmpty());
    EXPECT_EQ(open.size(), QSize(75, 32));
    QTest::mouseClick(bar.viewport(), Qt::LeftButton, {}, open.center());
    EXPECT_EQ(dialogRuns, 1);
    EXPECT_EQ(bar.selectedCategory(), 0);
    EXPECT_EQ(bar.selectedItem(), 0);

    QTest::mouseClick(bar.viewport(), Qt::LeftButton, {}, bar.markRect(0).center());
    EXPECT_TRUE(bar.collapsed(0));
    EXPECT_TRUE(bar.buttonRect(0, 0).isEmpty());
    QTest::mouseClick(bar.viewport(), Qt::LeftButton, {}, bar.markRect(0).center());
    EXPECT_FALSE(bar.collapsed(0));
}

TEST_F(MainWindow, AFailingCommandShowsItsTextOnceTheClickIsOver)
{
    form.show();
    decltype(TBEForm::OpenDialog1)::Override failing{form.OpenDialog1, []() -> QStringList { throw util::Error("dialog failed"); }};
    QTest::mouseClick(form.CategoryButtons1->viewport(), Qt::LeftButton, {},
                      form.CategoryButtons1->buttonRect(0, 0).center());
    EXPECT_TRUE(boxes.empty());
    QApplication::processEvents();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "dialog failed");
    EXPECT_EQ(boxes[0].icon, util::BoxIcon::Error);
}

TEST_F(MainWindow, WorkWaitingForTheFirstPaintRunsOnceAfterIt)
{
    int runs = 0;
    form.afterFirstPaint([&runs] { ++runs; });
    QApplication::processEvents();
    EXPECT_EQ(runs, 0);
    form.show();
    EXPECT_EVENTUALLY(runs == 1, std::chrono::seconds(10));
    form.repaint();
    QApplication::processEvents();
    EXPECT_EQ(runs, 1);
}

TEST_F(MainWindow, CancelledDialogOpensNothing)
{
    open({});
    EXPECT_EQ(form.FilePages->count(), 0);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(MainWindow, EmptySecondFileIsRefusedAndTheThirdStaysActive)
{
    const QString a = file("a.bin", 300);
    const QString empty = QString::fromStdString(dir.write("empty.bin", {}));
    const QString c = file("c.bin", 500);
    open({a, empty, c});
    EXPECT_EQ(tabCaptions(), QStringList({"a.bin", "c.bin"}));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Zero file size: empty.bin");
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].icon, util::BoxIcon::Error);
    ASSERT_NE(form.activePage(), nullptr);
    EXPECT_EQ(form.FilePages->currentIndex(), 1);
    EXPECT_EQ(form.activePage()->fileName, c.toStdString());
    EXPECT_EQ(form.activePage()->fileSize, 500);
}

TEST_F(MainWindow, SameFileTwiceGivesTwoTabsWithTheirOwnFiles)
{
    const QString a = file("same.bin", 64);
    open({a});
    open({a});
    EXPECT_EQ(tabCaptions(), QStringList({"same.bin", "same.bin"}));
    auto* first = dynamic_cast<QWidget*>(form.FilePages->widget(0))->findChild<TPageForm*>();
    auto* second = form.activePage();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_NE(first->file.get(), second->file.get());
}

TEST_F(MainWindow, UnopenableFileShowsTheTextAndLeavesNoTab)
{
    const std::string fifo = dir.file("pipe");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const QString b = file("b.bin", 10);
    open({QString::fromStdString(fifo), b});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Can't open file");
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(tabCaptions(), QStringList({"b.bin"}));
    ASSERT_NE(form.activePage(), nullptr);
}

TEST_F(MainWindow, NamesOutsideAsciiReachTheTabAndTheStatusBarIntact)
{
    const QString path = QString::fromStdString(dir.write("d\xC3\xA4ten-\xE2\x82\xAC.bin", {1, 2, 3}));
    open({path});
    EXPECT_EQ(tabCaptions(), QStringList({QString::fromUtf8("d\xC3\xA4ten-\xE2\x82\xAC.bin")}));
    ASSERT_NE(form.activePage(), nullptr);
    EXPECT_EQ(form.activePage()->fileSize, 3);
    form.Timer1Timer();
    EXPECT_EQ(panel(1), path);
}

struct CloseCase {
    const char* name;
    int active;
    QStringList left;
    int activeAfter;
};

void PrintTo(const CloseCase& c, std::ostream* out) { *out << c.name; }

class CloseTabs : public MainWindow, public testing::WithParamInterface<CloseCase> {};

TEST_P(CloseTabs, ActivatesTheRightNeighbourOrElseTheLeft)
{
    const CloseCase& c = GetParam();
    open({file("A", 10), file("B", 11), file("C", 12)});
    form.FilePages->setCurrentIndex(c.active);
    form.CategoryButtons1Categories0Items0Click();
    EXPECT_EQ(tabCaptions(), c.left);
    EXPECT_EQ(form.FilePages->currentIndex(), c.activeAfter);
    ASSERT_NE(form.activePage(), nullptr);
    EXPECT_EQ(form.FilePages->tabText(form.FilePages->currentIndex()),
              QString::fromStdString(form.activePage()->fileName).section('/', -1));
}

std::string CloseName(const testing::TestParamInfo<CloseCase>& param) { return param.param.name; }

INSTANTIATE_TEST_SUITE_P(Positions, CloseTabs,
                         testing::Values(CloseCase{"First", 0, {"B", "C"}, 0}, CloseCase{"Middle", 1, {"A", "C"}, 1},
                                         CloseCase{"Last", 2, {"A", "B"}, 1}),
                         CloseName);

TEST_F(MainWindow, ClosingTheOnlyTabLeavesNoneAndTheStatusKeepsItsTexts)
{
    open({file("only.bin", 33)});
    form.Timer1Timer();
    form.CategoryButtons1Categories0Items0Click();
    EXPECT_EQ(form.FilePages->count(), 0);
    EXPECT_EQ(form.FilePages->currentIndex(), -1);
    EXPECT_EQ(form.activePage(), nullptr);
    form.CategoryButtons1Categories0Items0Click(); // no tab: nothing happens
    form.Timer1Timer();
    EXPECT_TRUE(panel(1).endsWith("/only.bin"));
    EXPECT_EQ(panel(2), "33 bytes");
}

TEST_F(MainWindow, StatusPanelsShowTheActivePageOfAFourGibibyteFile)
{
    const int64_t size = int64_t{1} << 32;
    const QString big = QString::fromStdString(dir.sparse("big.bin", size, size - 1, {0x5A}));
    open({big});
    ASSERT_NE(form.activePage(), nullptr);
    form.activePage()->cursorAddress = 4294967312;
    form.Timer1Timer();
    EXPECT_EQ(panel(0), "00000001 00000010");
    EXPECT_EQ(panel(1), big);
    EXPECT_EQ(panel(2), "4294967296 bytes");
    EXPECT_EQ(form.StatusPanels[3]->text(), "read only");
}

TEST_F(MainWindow, TimerRefreshesTheStatusOnItsOwn)
{
    open({file("timed.bin", 99)});
    EXPECT_EVENTUALLY(panel(2) == QString("99 bytes"), std::chrono::seconds(10));
    EXPECT_EQ(panel(0), "00000000 00000000");
}

// The modal dialog that the action opened (closed again at once), or null. The
// window is made active again afterwards, as a window manager would.
QWidget* ModalOpenedBy(QWidget& window, const std::function<void()>& action)
{
    QWidget* opened = nullptr;
    QTimer::singleShot(0, [&opened] {
        opened = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<QDialog*>(opened))
            dialog->reject();
    });
    action();
    QApplication::processEvents();
    QApplication::setActiveWindow(&window);
    return opened;
}

TEST_F(MainWindow, ShortcutsWorkWhileAGridHasTheFocus)
{
    search::SetSearchDialogOwner(&form);
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    chosen = {file("k1", 40), file("k2", 50)};
    QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(dialogRuns, 1);
    ASSERT_EQ(form.FilePages->count(), 2);
    TPageForm* page = form.activePage();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->BinGrid->hasFocus()); // a new page takes the keys at once
    QTest::keyClick(page->BinGrid, Qt::Key_Right);
    EXPECT_EQ(page->cursorAddress, 1);
    chosen = {};
    QTest::keyClick(page->BinGrid, Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(dialogRuns, 2);
    QTest::keyClick(page->BinGrid, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(form.FilePages->count(), 1);
    // Find, Goto and Next reach their commands from the grid too.
    TPageForm* remaining = form.activePage();
    ASSERT_NE(remaining, nullptr);
    EXPECT_EQ(ModalOpenedBy(form, [&] { QTest::keyClick(remaining->BinGrid, Qt::Key_G, Qt::ControlModifier); }), &search::GTForm());
    EXPECT_EQ(ModalOpenedBy(form, [&] { QTest::keyClick(remaining->BinGrid, Qt::Key_F, Qt::ControlModifier); }), &search::FindForm());
    const uint8_t sought = remaining->file->getByte(remaining->fileSize - 1);
    int64_t expected = remaining->cursorAddress + 1;
    while (remaining->file->getByte(expected) != sought)
        ++expected;
    search::FindForm().HexEdit->setText(QString::number(sought, 16).rightJustified(2, QLatin1Char('0')));
    ASSERT_TRUE(search::FindForm().SearchBtn->isEnabled());
    QTest::keyClick(remaining->BinGrid, Qt::Key_F3);
    EXPECT_EQ(remaining->cursorAddress, expected);
    EXPECT_EQ(form.FilePages->count(), 1);
    QTest::keyClick(remaining->BinGrid, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(form.isVisible());
}

// Saves the window with two tabs on real binaries to $BYTELOOM_SCREENSHOT; run by hand.
TEST_F(MainWindow, DISABLED_Screenshot)
{
    const QString exe = QCoreApplication::applicationFilePath();
    const QString library = QCoreApplication::applicationDirPath() + "/libzere100.so";
    open({library, exe});
    form.show();
    TPageForm* page = form.activePage();
    ASSERT_NE(page, nullptr);
    page->MoveToAddress(0x1234);
    QTest::keyClick(page->BinGrid, Qt::Key_Down);
    form.Timer1Timer();
    QApplication::processEvents();
    const QString out = qEnvironmentVariable("BYTELOOM_SCREENSHOT", "/tmp/byteloom.png");
    EXPECT_TRUE(form.grab().save(out));
}

} // namespace
