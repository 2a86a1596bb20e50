// The view and its render child: what the window shows comes only from the child's
// answer; a child that hangs, crashes, lies or floods is killed and reaped, and the
// item shows nothing while the view keeps what it had.

#include "banner/BannerContent.h"
#include "banner/BannerStrip.h"
#include "banner/BannerView.h"
#include "banner/RenderClient.h"
#include "support/TempFiles.h"
#include "support/Wait.h"
#include "util/Shell.h"

#include <QAccessible>
#include <QFile>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sched.h>

using namespace banner;
using testing_support::TempDir;
using testing_support::WaitUntil;

namespace {

long OpenDescriptors()
{
    long n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++n;
    return n;
}

// A stand-in for the child: a shell script.
RenderCommand Script(const std::string& script) { return {"/bin/sh", {"-c", QString::fromStdString(script)}}; }

class BannerRenderTest : public ::testing::Test {
protected:
    std::vector<QUrl> opened;
    decltype(util::ShellOpenSeam)::Override shell{util::ShellOpenSeam, [this](const QUrl& url) {
        opened.push_back(url);
        return true;
    }};
    std::chrono::steady_clock::time_point now = std::chrono::steady_clock::now();
    decltype(RenderClockSeam)::Override clock{RenderClockSeam, [this] { return now; }};
    BannerView view;
    std::vector<bool> finished; // each item's end: shown or not

    void SetUp() override
    {
        view.resize(600, BannerView::StripHeight);
        view.show();
        QObject::connect(&view, &BannerView::itemFinished, &view, [this](bool shown) { finished.push_back(shown); });
    }
    // Shows the bytes through whatever child is in place and waits for its end.
    bool show(const QByteArray& html)
    {
        const std::size_t before = finished.size();
        view.loadHtml(html);
        return WaitUntil([&] { return finished.size() > before; }) && finished.back();
    }
    QString text() const { return view.plainText().trimmed(); }
};

pid_t ReadPid(const std::string& file)
{
    if (!WaitUntil([&] { return std::filesystem::exists(file) && std::filesystem::file_size(file) > 0; }))
        return 0;
    std::ifstream in(file);
    pid_t pid = 0;
    in >> pid;
    return pid;
}

TEST_F(BannerRenderTest, AChildThatNeverAnswersIsKilledOnceItsDeadlineHasPassed)
{
    ASSERT_TRUE(show("<p>before</p>"));
    TempDir temp;
    const std::string pidFile = temp.file("pid");
    // Says it is ready, then reads nothing: an item larger than a pipe holds would
    // block a writer that waits.
    decltype(RenderCommandSeam)::Override silent(RenderCommandSeam, [&] { return Script("printf BLr1; echo $$ > " + pidFile + "; exec sleep 600"); });
    view.renderer().restart();
    view.loadHtml("<p>" + QByteArray(static_cast<qsizetype>(MaxItemBytes) - 8, 'x') + "</p>");
    // Back from the call with the child started and the item not yet written: nothing waited.
    EXPECT_TRUE(view.rendering());
    const pid_t pid = ReadPid(pidFile);
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(WaitUntil([&] { return view.renderer().childReady(); }));

    now += RenderClient::Deadline - std::chrono::milliseconds(1);
    view.renderer().checkDeadline();
    testing_support::RunEventsFor(std::chrono::milliseconds(100));
    EXPECT_TRUE(view.rendering()) << "the deadline has not passed yet";
    EXPECT_EQ(::kill(pid, 0), 0);

    now += std::chrono::milliseconds(1);
    view.renderer().checkDeadline();
    ASSERT_TRUE(WaitUntil([&] { return view.livingChildren() == 0; }));
    EXPECT_FALSE(view.rendering());
    EXPECT_EQ(::kill(pid, 0), -1) << "killed and reaped";
    EXPECT_EQ(errno, ESRCH);
    ASSERT_EQ(finished.size(), 2u);
    EXPECT_FALSE(finished.back());
    EXPECT_EQ(text(), "before") << "the item shows nothing";
}

TEST_F(BannerRenderTest, AChildThatNeverSaysItIsReadyIsKilledAtTheStartUpDeadline)
{
    TempDir temp;
    const std::string pidFile = temp.file("pid");
    decltype(RenderCommandSeam)::Override silent(RenderCommandSeam, [&] { return Script("echo $$ > " + pidFile + "; exec sleep 600"); });
    view.loadHtml("<p>item</p>");
    const pid_t pid = ReadPid(pidFile);
    ASSERT_GT(pid, 0);
    now += RenderClient::StartupDeadline - std::chrono::milliseconds(1);
    view.renderer().checkDeadline();
    testing_support::RunEventsFor(std::chrono::milliseconds(100));
    EXPECT_TRUE(view.rendering()) << "a new child has longer than an item";
    now += std::chrono::milliseconds(1);
    view.renderer().checkDeadline();
    ASSERT_TRUE(WaitUntil([&] { return view.livingChildren() == 0; }));
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(finished, std::vector<bool>{false});
}

struct BadChild {
    const char* name;
    std::string script;
};

void PrintTo(const BadChild& c, std::ostream* os) { *os << c.name; }

class BannerBadChildTest : public BannerRenderTest, public ::testing::WithParamInterface<BadChild> {};

TEST_P(BannerBadChildTest, IsReapedAndTheItemShowsNothing)
{
    ASSERT_TRUE(show("<p>before</p>"));
    view.renderer().restart();
    ASSERT_TRUE(WaitUntil([&] { return view.livingChildren() == 0; }));
    const long descriptors = OpenDescriptors();
    {
        decltype(RenderCommandSeam)::Override bad(RenderCommandSeam, [] { return Script(GetParam().script); });
        view.renderer().restart();
        for (int i = 0; i < 3; ++i) {
            EXPECT_FALSE(show("<p>after</p>"));
            EXPECT_EQ(text(), "before");
        }
        EXPECT_TRUE(WaitUntil([&] { return view.livingChildren() == 0; }));
    }
    EXPECT_EQ(OpenDescriptors(), descriptors);
    view.renderer().restart();
    EXPECT_TRUE(show("<p>after</p>")) << "the next child is a good one";
    EXPECT_EQ(text(), "after");
}

INSTANTIATE_TEST_SUITE_P(
    Children, BannerBadChildTest,
    ::testing::Values(
        BadChild{"Crashes", "kill -SEGV $$"},
        BadChild{"ExitsAtOnce", "exit 0"},
        BadChild{"WritesGarbage", "printf BLr1; printf 'garbage, and more garbage'; exec sleep 600"},
        BadChild{"AnnouncesAnAnswerOverTheCap", "printf BLr1; printf 'BLa1\\377\\377\\377\\177'; exec sleep 600"},
        BadChild{"AnnouncesAnAnswerJustOverTheCap", "printf BLr1; printf 'BLa1\\000\\000\\160\\000'; exec sleep 600"},
        BadChild{"FloodsWithoutEnd", "exec cat /dev/zero"},
        BadChild{"AnswersWithAnEmptyBody", "printf BLr1; printf 'BLa1\\000\\000\\000\\000'; exec sleep 600"},
        BadChild{"FloodsAfterAGoodHeader", "printf BLr1; printf 'BLa1\\000\\000\\100\\000'; exec cat /dev/zero"},
        BadChild{"StopsHalfWay", "printf BLr1; printf 'BLa1\\100\\000\\000\\000\\001\\000'; exit 0"},
        BadChild{"IsNotThere", "exec /nonexistent/byteloom_banner_render"}),
    [](const ::testing::TestParamInfo<BadChild>& p) { return std::string(p.param.name); });

TEST_F(BannerRenderTest, AMissingChildLeavesTheStripEmptyAndTheWindowFine)
{
    decltype(RenderCommandSeam)::Override missing(RenderCommandSeam, [] { return RenderCommand{"/nonexistent/byteloom_banner_render", {}}; });
    BannerStrip strip;
    strip.resize(600, 300);
    strip.show();
    const QImage empty = strip.grab().toImage();
    strip.loadHtml("<p>never shown</p>");
    ASSERT_NE(strip.view(), nullptr);
    ASSERT_TRUE(WaitUntil([&] { return !strip.view()->rendering(); }));
    EXPECT_EQ(strip.view()->plainText(), QString());
    EXPECT_EQ(strip.grab().toImage(), empty) << "no box, no text";
}

TEST_F(BannerRenderTest, ClosingTheWindowWhileAChildWorksKillsAndReapsIt)
{
    TempDir temp;
    const std::string pidFile = temp.file("pid");
    decltype(RenderCommandSeam)::Override silent(RenderCommandSeam, [&] { return Script("printf BLr1; echo $$ > " + pidFile + "; exec sleep 600"); });
    pid_t pid = 0;
    {
        BannerView closing;
        closing.loadHtml("<p>item</p>");
        pid = ReadPid(pidFile);
        ASSERT_GT(pid, 0);
        EXPECT_EQ(::kill(pid, 0), 0);
    }
    EXPECT_EQ(::kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH) << "no zombie left behind";
}

TEST_F(BannerRenderTest, ManyItemsInARowLeaveNoChildrenOrDescriptorsBehind)
{
    ASSERT_TRUE(show("<p>warm</p>"));
    const long descriptors = OpenDescriptors();
    for (int i = 0; i < 40; ++i) {
        // Every third item is replaced before its answer, killing the child under it.
        if (i % 3 == 0)
            view.loadHtml("<p>replaced " + QByteArray::number(i) + "</p>");
        ASSERT_TRUE(show("<p>item " + QByteArray::number(i) + "</p>"));
    }
    EXPECT_EQ(text(), "item 39");
    EXPECT_TRUE(WaitUntil([&] { return view.livingChildren() == 1; })) << "one warm child";
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

// However many strips render at once, their children never take every processor:
// with all of them busy, a sleeping window wakes up to 100 ms late.
TEST_F(BannerRenderTest, TheChildLeavesOneProcessorToTheWindow)
{
    ASSERT_TRUE(show("<p>x</p>"));
    const auto processors = [](pid_t pid) {
        cpu_set_t set;
        CPU_ZERO(&set);
        return sched_getaffinity(pid, sizeof set, &set) == 0 ? CPU_COUNT(&set) : -1;
    };
    const int ours = processors(0);
    ASSERT_GT(ours, 0);
    const pid_t child = static_cast<pid_t>(view.renderer().childProcessId());
    ASSERT_GT(child, 0);
    EXPECT_EQ(processors(child), ours > 1 ? ours - 1 : 1);
}

// The pixels the strip draws are those a text view of the same size would show.
TEST_F(BannerRenderTest, ShowsTheSamePixelsAsATextViewOfTheSameSize)
{
    const QByteArray item = "<table width=\"100%\" bgcolor=\"#1d3557\"><tr><td>"
                            "<font color=\"#f1faee\" size=\"5\"><b>Byteloom 2.0</b></font><br>"
                            "<font color=\"#a8dadc\">Bytes of files of any size, read-only.</font>"
                            "</td></tr></table><p>Plain text and <a href=\"https://www.byteloom.example/\">a link</a>"
                            " <i>in italics</i>, long enough to wrap once the line is full of words.</p>";
    const QByteArray tall = item + QByteArray("<p>more</p>").repeated(8);
    for (const QByteArray& html : {item, tall}) {
        ASSERT_TRUE(show(html));
        QTextBrowser browser;
        browser.resize(view.size());
        browser.setHtml(DecodeContent(html));
        browser.show();
        QApplication::processEvents();
        ASSERT_EQ(browser.verticalScrollBar()->isVisible(), view.verticalScrollBar()->isVisible());
        const QImage ours = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QImage theirs = browser.grab().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(ours.size(), theirs.size());
        long differing = 0;
        for (int y = 0; y < ours.height(); ++y)
            for (int x = 0; x < ours.width(); ++x) {
                const QColor a = ours.pixelColor(x, y), b = theirs.pixelColor(x, y);
                if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) > 24)
                    ++differing;
            }
        EXPECT_LT(differing, ours.width() * ours.height() / 200) << "pixels of " << ours.width() * ours.height();
        if (const QByteArray out = qgetenv("BANNER_RENDER_SHOT"); !out.isEmpty()) {
            ours.save(QString::fromLocal8Bit(out) + "-ours.png");
            theirs.save(QString::fromLocal8Bit(out) + "-theirs.png");
        }
    }
}

TEST_F(BannerRenderTest, AWiderStripIsDrawnAgainAtItsNewWidth)
{
    const QColor fill("#1d3557");
    ASSERT_TRUE(show("<table width=\"100%\" bgcolor=\"#1d3557\"><tr><td>wide</td></tr></table>"));
    const auto paintedAt = [&](int x) { return view.viewport()->grab().toImage().pixelColor(x, 8) == fill; };
    EXPECT_TRUE(paintedAt(590));
    EXPECT_FALSE(paintedAt(800)) << "the viewport is not that wide yet";
    const std::size_t before = finished.size();
    view.resize(900, BannerView::StripHeight);
    ASSERT_TRUE(WaitUntil([&] { return finished.size() > before; }));
    EXPECT_TRUE(finished.back());
    EXPECT_TRUE(paintedAt(800)) << "the table fills the new width";
    EXPECT_EQ(text(), "wide");
}

TEST_F(BannerRenderTest, LinkAreasTakeClicksShowTheirAddressAndAPointingCursor)
{
    ASSERT_TRUE(show("<p>Plain words first, then <a href=\"https://www.byteloom.example/offer\">the offer</a> and "
                     "<a href=\"file:///etc/passwd\">a file</a>.</p>"));
    ASSERT_EQ(view.links().size(), 2u);
    const LinkArea& offer = view.links()[0];
    EXPECT_EQ(offer.address, "https://www.byteloom.example/offer");
    EXPECT_EQ(offer.text, "the offer");
    const QPoint onOffer(offer.x + offer.width / 2, offer.y + offer.height / 2);
    const QPoint onFile(view.links()[1].x + 2, view.links()[1].y + 2);
    const QPoint onText(6, onOffer.y());
    EXPECT_EQ(view.linkAt(onOffer), QUrl("https://www.byteloom.example/offer"));
    EXPECT_TRUE(view.linkAt(onText).isEmpty());

    QTest::mouseMove(view.viewport(), onOffer);
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseMove(view.viewport(), onText);
    EXPECT_EQ(view.viewport()->cursor().shape(), Qt::ArrowCursor);

    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, onText);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, onFile);
    EXPECT_TRUE(opened.empty()) << "plain text and file links open nothing";
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, onOffer);
    EXPECT_EQ(opened, std::vector<QUrl>{QUrl("https://www.byteloom.example/offer")});
}

TEST_F(BannerRenderTest, TellsAScreenReaderTheItemsText)
{
    ASSERT_TRUE(show("<h3>Welcome</h3><p>to <a href=\"https://x.example/\">Byteloom</a></p>"));
    QAccessibleInterface* strip = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(strip, nullptr);
    EXPECT_TRUE(strip->text(QAccessible::Description).contains("Welcome"));
    EXPECT_TRUE(strip->text(QAccessible::Description).contains("to Byteloom"));
    ASSERT_EQ(strip->childCount(), 1);
    QAccessibleInterface* link = strip->child(0);
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->role(), QAccessible::Link);
    EXPECT_EQ(link->text(QAccessible::Name), "Byteloom");
    EXPECT_EQ(link->text(QAccessible::Description), "https://x.example/");
    EXPECT_EQ(link->parent(), strip);
    EXPECT_TRUE(view.viewport()->rect().contains(view.viewport()->mapFromGlobal(link->rect().center())));
    ASSERT_NE(link->actionInterface(), nullptr);
    link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(opened, std::vector<QUrl>{QUrl("https://x.example/")});

    ASSERT_TRUE(show("<p>no links</p>"));
    EXPECT_EQ(strip->childCount(), 0);
    EXPECT_FALSE(link->isValid()) << "the old item's link is gone";
}

} // namespace
