// Banner content from the network that tries to read local files, freeze the
// window or flood memory, shown in the real view.

#include "LocalHttpServer.h"
#include "banner/BannerView.h"
#include "banner/RenderClient.h"
#include "banner/RenderDocument.h"
#include "util/Shell.h"
#include "support/TempFiles.h"
#include "support/Wait.h"

#include <QBuffer>
#include <QImage>
#include <QPixmap>
#include <QTextDocument>
#include <QtEndian>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace banner;
using testing_support::LocalHttpServer;
using testing_support::TempDir;
using testing_support::WaitUntil;

namespace {

quint32 Crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<quint8>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray Chunk(const char* kind, const QByteArray& data)
{
    QByteArray length(4, '\0');
    qToBigEndian(static_cast<quint32>(data.size()), length.data());
    const QByteArray body = QByteArray(kind) + data;
    QByteArray crc(4, '\0');
    qToBigEndian(Crc32(body), crc.data());
    return length + body + crc;
}

// A black 1-bit PNG: a few bytes on the wire, width x height pixels once decoded.
QByteArray BlackPng(int width, int height)
{
    QByteArray header(13, '\0');
    qToBigEndian(static_cast<quint32>(width), header.data());
    qToBigEndian(static_cast<quint32>(height), header.data() + 4);
    header[8] = 1; // bit depth; grey, no interlace
    const QByteArray row(1 + (width + 7) / 8, '\0');
    const QByteArray pixels = qCompress(row.repeated(height), 9).mid(4); // the zlib stream
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", header) + Chunk("IDAT", pixels) + Chunk("IEND", {});
}

QByteArray DataUrl(const QByteArray& png) { return "data:image/png;base64," + png.toBase64(); }

// The size of the picture the document holds for an address.
QSize ImageSize(const QTextDocument& document, const QByteArray& address)
{
    const QVariant resource = document.resource(QTextDocument::ImageResource, QUrl(QString::fromLatin1(address)));
    if (resource.userType() == QMetaType::QPixmap)
        return resource.value<QPixmap>().size();
    return resource.value<QImage>().size();
}

class BannerHostileTest : public ::testing::Test {
protected:
    decltype(util::ShellOpenSeam)::Override shell{util::ShellOpenSeam, [](const QUrl&) { return true; }};
    BannerView view;

    void SetUp() override
    {
        view.resize(640, BannerView::StripHeight);
        view.show();
    }
    // Has the render child lay the page out to its end and draw it, and paints the answer.
    void showFully(const QByteArray& html)
    {
        view.loadHtml(html);
        ASSERT_TRUE(WaitUntil([&] { return !view.rendering(); }));
        view.viewport()->repaint();
        (void)view.grab();
    }
    QString text() const { return view.plainText().trimmed(); }
};

// Works in a folder for the test's length, so relative names point into it.
class ScopedWorkingFolder {
public:
    explicit ScopedWorkingFolder(const std::string& folder) : previous(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~ScopedWorkingFolder() { std::filesystem::current_path(previous); }

private:
    std::filesystem::path previous;
};

// Opens the FIFO for writing after a while, so that a reader stuck in its open
// gets an end of file instead of hanging the test.
class FifoWatchdog {
public:
    explicit FifoWatchdog(std::string fifo) : path(std::move(fifo)), thread([this] { run(); }) {}
    ~FifoWatchdog()
    {
        done = true;
        thread.join();
    }
    bool rescued() const { return freed; }

private:
    void run()
    {
        const auto start = std::chrono::steady_clock::now();
        while (!done) {
            if (std::chrono::steady_clock::now() - start > std::chrono::seconds(3)) {
                const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0) {
                    freed = true;
                    ::close(fd);
                }
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    std::string path;
    std::atomic<bool> done{false};
    std::atomic<bool> freed{false};
    std::thread thread;
};

// The render child, started from the test's working folder, reads the items.
TEST_F(BannerHostileTest, NoContentOpensALocalFile)
{
    TempDir temp;
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(QString::fromStdString(temp.file("secret.png"))));
    temp.write("secret.css", {'p', '{', '}'});
    temp.write("secret.html", {'<', 'p', '>'});
    const std::string fifo = temp.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const QByteArray folder = QByteArray::fromStdString(temp.path());

    const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, folder.constData(), IN_OPEN), 0);
    ASSERT_GE(inotify_add_watch(watch, fifo.c_str(), IN_OPEN), 0);
    ScopedWorkingFolder here(temp.path());
    FifoWatchdog watchdog(fifo);

    const QByteArray items[] = {
        "<img src=\"" + folder + "/secret.png\">",
        "<img src=\"file://" + folder + "/secret.png\">",
        "<img src=\"secret.png\">",
        "<img src=\"./secret.png\" width=\"20\" height=\"20\">",
        "<img src=\"/dev/stdin\">",
        "<img src=\"" + folder + "/fifo\">",
        "<img src=\"fifo\">",
        "<img src=\"data:image/png;base64,AAAA\">",
        "<img src=\"data:text/plain,secret.png\">",
        "<link rel=\"stylesheet\" href=\"secret.css\"><p>styled</p>",
        "<link rel=\"stylesheet\" href=\"" + folder + "/fifo\"><p>styled</p>",
        "<table background=\"secret.png\"><tr><td>cell</td></tr></table>",
        "<body background=\"secret.png\"><p>body</p></body>",
        "<p style=\"background-image: url(secret.png)\">css</p>",
        "<style>p { background-image: url(fifo) }</style><p>sheet</p>",
        "<a href=\"secret.html\">link</a><img src=\"secret.html\">",
    };
    for (const QByteArray& item : items)
        showFully("<html><body>\r\n" + item + "\r\n</body></html>\r\n");

    EXPECT_FALSE(watchdog.rescued()) << "something read the FIFO and hung";
    std::vector<std::string> opened;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;)
        for (char* at = buffer; at < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(at);
            opened.push_back(event->len ? event->name : "fifo");
            at += sizeof(inotify_event) + event->len;
        }
    close(watch);
    EXPECT_TRUE(opened.empty()) << "opened: " << (opened.empty() ? "" : opened.front());
}

// In the document the render child builds for each page.
TEST(RenderDocumentPictures, DecodeWithinABudgetForThePage)
{
    ASSERT_EQ(PixelBudget::PerPage, 1000000) << "the sizes below are chosen around this budget";
    const QByteArray bomb = DataUrl(BlackPng(20000, 20000));
    const QByteArray first = DataUrl(BlackPng(700, 700));
    const QByteArray second = DataUrl(BlackPng(701, 700));
    const QByteArray third = DataUrl(BlackPng(702, 700));
    const QByteArray small = DataUrl(BlackPng(8, 8));
    QByteArray page;
    for (const QByteArray& address : {bomb, first, second, third, small})
        page += "<img src=\"" + address + "\">";
    RenderDocument document;
    document.setHtml(page);
    document.setTextWidth(640);
    (void)document.size();

    EXPECT_EQ(ImageSize(document, bomb), QSize(1, 1)) << "far over the budget on its own";
    EXPECT_EQ(ImageSize(document, first), QSize(700, 700));
    EXPECT_EQ(ImageSize(document, second), QSize(701, 700));
    EXPECT_EQ(ImageSize(document, third), QSize(1, 1)) << "the page's budget is spent";
    EXPECT_EQ(ImageSize(document, small), QSize(8, 8)) << "what is left still takes a small one";

    // The next page has a budget of its own.
    RenderDocument next;
    next.setHtml("<img src=\"" + third + "\">");
    EXPECT_EQ(ImageSize(next, third), QSize(702, 700));
}

TEST_F(BannerHostileTest, AFetchedPageOverItsCapOrFailingInTheChildIsRefusedAndTheViewKeepsItsContent)
{
    LocalHttpServer server;
    server.set("/big.html", {200, "<p>" + QByteArray("word ").repeated(300000) + "</p>", "text/html", false});
    server.set("/stall.html", {200, "<table><tr><td colspan=\"-2147483647\">stall</td></tr></table>", "text/html", false});
    server.set("/fine.html", {200, "<p>fine page</p>", "text/html", false});
    showFully("<p>before</p>");

    for (const char* path : {"/big.html", "/stall.html"}) {
        // The stalling page meets a child that never answers, and a deadline that has passed.
        auto now = std::chrono::steady_clock::now();
        decltype(RenderClockSeam)::Override clock(RenderClockSeam, [&] { return now; });
        decltype(RenderCommandSeam)::Override silent(RenderCommandSeam, [] { return RenderCommand{"/bin/sh", {"-c", "printf BLr1; exec sleep 600"}}; });
        view.renderer().restart();
        bool shown = true;
        QObject::connect(&view, &BannerView::navigationFinished, &view, [&](bool ok) { shown = ok; },
                         Qt::SingleShotConnection);
        view.navigate(server.url(QString::fromLatin1(path)));
        ASSERT_TRUE(WaitUntil([&] { return !view.navigating() || view.renderer().childReady(); }));
        now += RenderClient::Deadline + std::chrono::milliseconds(1);
        view.renderer().checkDeadline();
        ASSERT_TRUE(WaitUntil([&] { return !view.navigating(); }));
        EXPECT_FALSE(shown) << path;
        EXPECT_EQ(text().toStdString(), "before") << path;
    }
    view.renderer().restart();
    view.navigate(server.url("/fine.html"));
    ASSERT_TRUE(WaitUntil([&] { return !view.navigating(); }));
    EXPECT_EQ(text().toStdString(), "fine page");
    EXPECT_TRUE(WaitUntil([&] { return view.livingChildren() <= 1; })) << "the silent children were reaped";
}

} // namespace
