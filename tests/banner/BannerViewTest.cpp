#include "LocalHttpServer.h"
#include "banner/BannerList.h"
#include "banner/BannerPane.h"
#include "banner/BannerStrip.h"
#include "banner/BannerView.h"
#include "banner/DefaultSeams.h"
#include "banner/RenderClient.h"
#include "banner/RenderDocument.h"
#include "util/Shell.h"
#include "banner/Cryptapi.h"
#include "support/TempFiles.h"
#include "support/Wait.h"

#include <QBuffer>
#include <QImage>
#include <QLayout>
#include <QScrollBar>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <malloc.h>
#include <sys/resource.h>

using namespace banner;
using testing_support::LocalHttpServer;
using testing_support::TempDir;
using testing_support::RunEventsFor;
using testing_support::WaitUntil;

namespace {

class BannerViewTest : public ::testing::Test {
protected:
    std::vector<QUrl> opened;
    decltype(util::ShellOpenSeam)::Override shell{util::ShellOpenSeam, [this](const QUrl& url) {
        opened.push_back(url);
        return true;
    }};
    BannerView view;

    void SetUp() override
    {
        view.resize(600, BannerView::StripHeight);
    }
    // Shows the bytes and waits for the render child's answer.
    void show(const QByteArray& html)
    {
        view.loadHtml(html);
        ASSERT_TRUE(WaitUntil([&] { return !view.rendering(); }));
    }
    QString text() const { return view.plainText().trimmed(); }
};

TEST_F(BannerViewTest, IsAFixedStripThatNeverFollowsLinksItself)
{
    EXPECT_EQ(view.objectName(), "Browser1");
    EXPECT_EQ(view.minimumHeight(), 128);
    EXPECT_EQ(view.maximumHeight(), 128);
    // Only the render child reads an item; the view holds pixels, never a document.
    EXPECT_TRUE(view.findChildren<QTextDocument*>().isEmpty());
}

// Page faults taken by this thread so far.
long ThreadFaults()
{
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt + usage.ru_majflt;
}

TEST_F(BannerViewTest, PutsEachNewPictureInMemoryItAlreadyHas)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer's heap and shadow memory fault afresh after every fork; the count says nothing here";
#endif
    // Pictures near the pixel cap, each of another size. Fresh megabytes would cost the
    // window's thread a fault for every 4 KiB page, thousands an item.
    const auto tall = [](int lines) { return QByteArray("<p>line</p>").repeated(lines); };
    show(tall(200));
    const long before = ThreadFaults();
    int lastMaximum = -1;
    for (const int lines : {90, 60, 100, 70}) {
        // As in a long run: the heap gives what is free back to the system, and a failed
        // item has a new child started (a fork, after which every written page faults).
        malloc_trim(0);
        view.renderer().restart();
        show(tall(lines));
        const int maximum = view.verticalScrollBar()->maximum();
        ASSERT_GT(maximum, 600);
        ASSERT_NE(maximum, lastMaximum) << "each item is shown";
        lastMaximum = maximum;
    }
    const long faults = ThreadFaults() - before;
    EXPECT_LT(faults, 200) << "each picture here is 500-1000 pages";
}

TEST_F(BannerViewTest, ReadsEveryPageAsUtf8WhateverItDeclares)
{
    show("<html><body>\r\n<b>Caf\xC3\xA9</b>\r\n</body></html>\r\n");
    EXPECT_EQ(text(), QString::fromUtf8("Caf\xC3\xA9"));

    show("<p>Caf\xE9 and Caf\xC3\xA9</p>");
    EXPECT_EQ(text(), QString::fromUtf8("Caf\xEF\xBF\xBD and Caf\xC3\xA9"))
        << "a bad byte becomes one replacement character; the rest stays UTF-8";

    show("<html><head><meta charset=\"iso-8859-1\"></head><body>\xC3\xA9</body></html>");
    EXPECT_EQ(text(), QString::fromUtf8("\xC3\xA9")) << "a charset named inside is ignored";
    show("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-16\"><p>\xC3\xA9 ok</p>");
    EXPECT_EQ(text(), QString::fromUtf8("\xC3\xA9 ok"));
}

TEST_F(BannerViewTest, NavigateShowsWhatTheServerAnswersAndKeepsTheOldPageOnFailure)
{
    LocalHttpServer server;
    server.set("/zero.html", {200, "<html><body><p>Item zero page</p></body></html>", "text/html", false});
    show("<p>before</p>");

    view.navigate(server.url("/zero.html"));
    EXPECT_TRUE(view.navigating());
    EXPECT_EQ(text(), "before") << "navigating must not block";
    ASSERT_TRUE(WaitUntil([&] { return !view.navigating(); }));
    EXPECT_EQ(text(), "Item zero page");

    view.navigate(server.url("/missing.html"));
    ASSERT_TRUE(WaitUntil([&] { return !view.navigating(); }));
    EXPECT_EQ(text(), "Item zero page");
}

TEST_F(BannerViewTest, ALaterItemWinsOverANavigationStillUnderway)
{
    LocalHttpServer server;
    server.set("/slow.html", {200, {}, "text/html", true});
    view.navigate(server.url("/slow.html"));
    ASSERT_TRUE(WaitUntil([&] { return server.hits("/slow.html") == 1; }));
    view.loadHtml("<p>newer item</p>");
    EXPECT_FALSE(view.navigating());
    ASSERT_TRUE(WaitUntil([&] { return !view.rendering(); }));
    RunEventsFor(std::chrono::milliseconds(200));
    EXPECT_EQ(text(), "newer item");
}

TEST_F(BannerViewTest, OnlyWebLinksGoToTheUsersBrowserResolvedAgainstThePage)
{
    LocalHttpServer server;
    server.set("/dir/page.html", {200, "<a href=\"more.html\">more</a>", "text/html", false});
    view.navigate(server.url("/dir/page.html"));
    ASSERT_TRUE(WaitUntil([&] { return !view.navigating(); }));

    emit view.anchorClicked(QUrl("more.html"));
    emit view.anchorClicked(QUrl("https://www.byteloom.example/offer"));
    emit view.anchorClicked(QUrl("file:///etc/passwd"));
    emit view.anchorClicked(QUrl("javascript:alert(1)"));
    const std::vector<QUrl> expected{QUrl(QString::fromStdString(server.url("/dir/more.html"))),
                                     QUrl("https://www.byteloom.example/offer")};
    EXPECT_EQ(opened, expected);
}

// The document the render child builds: no picture or sheet it names comes from disk.
TEST(RenderDocument, PagesCannotPullInLocalFiles)
{
    TempDir temp;
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString path = QString::fromStdString(temp.file("p.png"));
    ASSERT_TRUE(picture.save(path));
    const QUrl local = QUrl::fromLocalFile(path);

    RenderDocument document;
    document.setHtml("<img src=\"" + local.toEncoded() + "\"><img src=\"p.png\">");
    for (const QUrl& url : {local, QUrl("p.png")}) {
        const QVariant resource = document.resource(QTextDocument::ImageResource, url);
        EXPECT_TRUE(resource.toByteArray().isEmpty()) << url.toString().toStdString();
        EXPECT_TRUE(QImage::fromData(resource.toByteArray()).isNull());
        EXPECT_EQ(resource.value<QImage>().size(), QSize(1, 1)) << "a blank pixel stands in";
    }

    // A picture carried inside the page itself is shown.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    const QUrl inline_("data:image/png;base64," + QString::fromLatin1(png.toBase64()));
    RenderDocument second;
    second.setHtml("<img src=\"" + inline_.toEncoded() + "\">");
    EXPECT_EQ(second.resource(QTextDocument::ImageResource, inline_).value<QImage>().size(), QSize(8, 8));
}

// The strip as the user sees it: an item fetched from a local server through the
// pane and shown in the view. Set BANNER_SHOT to a PNG path to keep the picture.
TEST(BannerStrip, ShowsAnItemDownloadedFromALocalServer)
{
    LocalHttpServer server;
    const std::string item = "<table width=\"100%\" bgcolor=\"#1d3557\"><tr><td>"
                             "<font color=\"#f1faee\" size=\"5\"><b>Byteloom 2.0</b></font><br>\r\n"
                             "<font color=\"#a8dadc\">Bytes of files of any size, read-only.</font>"
                             "</td></tr></table>\n<p><a href=\"https://www.byteloom.example/\">Learn more</a></p>";
    server.set("/list.txt", {200, QByteArray::fromStdString(StartDelimiter() + "zero" + StartDelimiter() + item),
                             "text/plain", false});
    BannerView view;
    view.resize(640, BannerView::StripHeight);
    TempDir temp;
    Seams seams = DefaultSeams();
    seams.listAddress = [&] { return server.url("/list.txt"); };
    seams.tempFolder = QString::fromStdString(temp.path());
    BannerPane pane(std::move(seams), &view);
    pane.downloadBannerList();
    ASSERT_TRUE(WaitUntil([&] { return !pane.downloading(); }));
    view.show();
    pane.showBannerItem(1);
    ASSERT_TRUE(WaitUntil([&] { return !view.rendering(); }));

    EXPECT_TRUE(view.plainText().contains("Byteloom 2.0"));
    const QImage shot = view.grab().toImage();
    EXPECT_EQ(shot.height(), BannerView::StripHeight * shot.devicePixelRatio());
    bool painted = false;
    for (int y = 0; y < shot.height() && !painted; ++y)
        painted = shot.pixelColor(shot.width() / 2, y) == QColor("#1d3557");
    EXPECT_TRUE(painted) << "the item's table colour is on screen";
    if (const QByteArray out = qgetenv("BANNER_SHOT"); !out.isEmpty())
        shot.save(QString::fromLocal8Bit(out));
}

// The main window's strip: drawn as an empty view from the first paint, so nothing
// moves or changes when the first page makes the real one inside it.
TEST(BannerStrip, LooksLikeAnEmptyViewUntilTheFirstPageMakesOne)
{
    BannerStrip strip;
    strip.resize(600, 300);
    EXPECT_EQ(strip.height(), BannerView::StripHeight);
    EXPECT_EQ(strip.view(), nullptr);
    BannerView empty;
    empty.resize(strip.size());
    EXPECT_EQ(strip.grab().toImage(), empty.grab().toImage());

    strip.loadHtml("<p>first page</p>");
    ASSERT_NE(strip.view(), nullptr);
    BannerView* made = strip.view();
    ASSERT_TRUE(WaitUntil([&] { return !made->rendering(); }));
    EXPECT_EQ(made->plainText().trimmed(), "first page");
    strip.navigate("http://127.0.0.1:1/none");
    EXPECT_EQ(strip.view(), made) << "one view for the strip's life";
    strip.layout()->activate();
    EXPECT_EQ(made->geometry(), strip.rect());
    EXPECT_EQ(strip.height(), BannerView::StripHeight);
}

} // namespace
