#include "banner/BannerView.h"

#include "banner/NetworkModule.h"
#include "util/Shell.h"

#include <QImage>
#include <QImageReader>
#include <QTextDocument>

namespace banner {

namespace {

// What a picture that may not be shown becomes: one transparent pixel. Anything
// that does not decode would make the document try the address as a local file.
QImage BlankPixel()
{
    QImage pixel(1, 1, QImage::Format_ARGB32_Premultiplied);
    pixel.fill(Qt::transparent);
    return pixel;
}

// A picture carried in a data: address, decoded only when its size, read from its
// header first, fits in the budget. Formats that draw (SVG) are not decoded.
QImage DecodePicture(const QUrl& address, PixelBudget& budget)
{
    const std::optional<QByteArray> bytes = DataUrlPayload(address.toEncoded());
    if (!bytes)
        return BlankPixel();
    QBuffer buffer;
    buffer.setData(*bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    if (format != "png" && format != "jpeg" && format != "gif" && format != "bmp")
        return BlankPixel();
    reader.setAllocationLimit(static_cast<int>(PixelBudget::PerPage * 8 / (1024 * 1024)) + 1);
    const QSize size = reader.size();
    if (!size.isValid() || !budget.take(size.width(), size.height()))
        return BlankPixel();
    const QImage picture = reader.read();
    return picture.isNull() ? BlankPixel() : picture;
}

} // namespace

BannerView::BannerView(QWidget* parent) : QTextBrowser(parent), fetcher(ModuleDownloader())
{
    setObjectName(QStringLiteral("Browser1"));
    setFixedHeight(StripHeight);
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
    connect(this, &QTextBrowser::anchorClicked, this, &BannerView::openLink);
}

BannerView::~BannerView() { abortNavigation(); }

void BannerView::abortNavigation()
{
    if (pending) {
        pending = false;
        fetcher->cancel();
    }
}

void BannerView::navigate(const std::string& address)
{
    abortNavigation();
    page.close();
    page.setData(QByteArray());
    page.open(QIODevice::ReadWrite);
    pending = true;
    fetcher->fetch({address, NavigateLimit, MaxPageBytes}, page, [this](bool ok) {
        pending = false;
        const QByteArray bytes = page.data();
        const bool shown = ok && displayPage(bytes, QUrl::fromEncoded(QByteArray::fromStdString(fetcher->finalAddress())));
        emit navigationFinished(shown);
    });
}

void BannerView::loadHtml(const QByteArray& bytes)
{
    abortNavigation();
    display(bytes, QUrl());
}

void BannerView::display(const QByteArray& bytes, const QUrl& baseUrl)
{
    base = baseUrl;
    pixels.refill();
    setHtml(DecodeContent(bytes));
}

bool BannerView::displayPage(const QByteArray& bytes, const QUrl& baseUrl)
{
    // A fetched page is judged as a whole, never cut: over a cap, the view keeps what it shows.
    if (bytes.size() > MaxPageBytes || JudgeContent(std::string_view(bytes.constData(), bytes.size())) != Refusal::None)
        return false;
    display(bytes, baseUrl);
    return true;
}

QVariant BannerView::loadResource(int type, const QUrl& name)
{
    // Every request gets an answer that decodes: for a null one, or a picture that
    // does not decode, the document would read the address from the local disk.
    if (type == QTextDocument::ImageResource)
        return DecodePicture(name, pixels);
    return QString();
}

void BannerView::openLink(const QUrl& link)
{
    const QUrl target = base.isEmpty() ? link : base.resolved(link);
    const QString scheme = target.scheme();
    if (scheme == QLatin1String("https") || scheme == QLatin1String("http"))
        util::ShellOpen(target);
}

} // namespace banner
