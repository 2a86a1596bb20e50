#include "banner/BannerPane.h"

#include "banner/BannerContent.h"
#include "banner/BannerList.h"
#include "banner/RenderAnswer.h"
#include "banner/TempFiles.h"

#include <QBuffer>
#include <QFile>

#include <ctime>
#include <optional>
#include <utility>

namespace banner {

namespace {

std::optional<std::string> ReadBack(QFile& file)
{
    if (!file.flush() || !file.seek(0) || file.size() > BannerPane::MaxListBytes)
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes.toStdString();
}

} // namespace

BannerPane::BannerPane(Seams s, HtmlView* v) : seams(std::move(s)), view(v)
{
    if (!seams.clock)
        seams.clock = [] { return static_cast<std::int64_t>(std::time(nullptr)); };
    if (!seams.random)
        seams.random = std::make_unique<StdRandom>();
    if (seams.tempFolder.isEmpty())
        seams.tempFolder = TempFolder();
    if (!seams.tempFolder.endsWith(QLatin1Char('/')))
        seams.tempFolder += QLatin1Char('/');
}

BannerPane::~BannerPane()
{
    if (file) {
        seams.downloader->cancel();
        file->remove();
    }
}

void BannerPane::start()
{
    seams.random->seed(static_cast<std::uint32_t>(seams.clock()));
    // Files a killed run could not delete.
    RemoveStaleTempFiles(seams.tempFolder, seams.clock());
    downloadBannerList([this] { showBannerItem(0); });
}

bool BannerPane::downloadBannerList(std::function<void()> finished)
{
    if (file)
        return false;
    seams.random->seed(static_cast<std::uint32_t>(seams.clock()));
    file = seams.downloader ? CreateTempFile(seams.tempFolder) : nullptr;
    whenFinished = std::move(finished);
    if (!file) {
        downloadFinished(false);
        return true;
    }
    const DownloadRequest request{seams.listAddress(), DownloadLimit, MaxListBytes};
    seams.downloader->fetch(request, *file, [this](bool ok) { downloadFinished(ok); });
    return true;
}

void BannerPane::downloadFinished(bool ok)
{
    const std::unique_ptr<QFile> done = std::move(file);
    const std::function<void()> then = std::exchange(whenFinished, nullptr);
    if (done) {
        if (ok) {
            if (const std::optional<std::string> text = ReadBack(*done))
                list = ParseBannerList(*text, StartDelimiter(), EndMarker());
        }
        done->remove();
    }
    if (then)
        then();
}

void BannerPane::showBannerItem(std::uint32_t k)
{
    if (list.empty() || !view)
        return;
    const std::size_t i = k % list.size();
    if (i == 0) {
        view->navigate(seams.itemZeroAddress());
        return;
    }
    // An item over the byte cap keeps its place and shows nothing; any other goes to
    // the view, whose render child bounds what Qt may spend on it.
    if (list[i].size() > MaxItemBytes)
        return;
    QBuffer stream;
    stream.open(QIODevice::ReadWrite);
    const std::string page = BuildItemPage(list[i], PageHead(), PageTail());
    stream.write(page.data(), static_cast<qint64>(page.size()));
    loadHtmlIntoBrowser(view, &stream);
}

void BannerPane::tick(bool windowShown)
{
    if (!windowShown)
        return;
    ++ticks;
    if (ticks % DownloadEveryTicks == 0)
        downloadBannerList();
    showBannerItem(seams.random->next());
}

void loadHtmlIntoBrowser(HtmlView* view, QIODevice* stream)
{
    if (!view || !stream || !stream->seek(0))
        return;
    view->loadHtml(stream->readAll());
}

} // namespace banner
