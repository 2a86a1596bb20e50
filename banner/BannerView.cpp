#include "banner/BannerView.h"

#include "banner/HttpDownloader.h"
#include "util/Shell.h"

#include <QNetworkReply>
#include <QStringConverter>

namespace banner {

namespace {

// The page's own charset when it names one, else UTF-8, else Latin-1 (8-bit text).
QString DecodeHtml(const QByteArray& bytes)
{
    if (const auto encoding = QStringConverter::encodingForHtml(bytes)) {
        QStringDecoder decoder(*encoding);
        QString text = decoder(bytes);
        if (!decoder.hasError())
            return text;
    }
    return QString::fromLatin1(bytes);
}

} // namespace

BannerView::BannerView(QWidget* parent) : QTextBrowser(parent)
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
    if (QNetworkReply* r = pending.data()) {
        pending = nullptr;
        r->disconnect(this);
        r->abort();
        r->deleteLater();
    }
}

void BannerView::navigate(const std::string& address)
{
    abortNavigation();
    QNetworkReply* r = GetWithDeadline(manager, QUrl(QString::fromStdString(address)), NavigateLimit);
    pending = r;

    connect(r, &QNetworkReply::downloadProgress, this, [r](qint64 received, qint64) {
        if (received > MaxPageBytes)
            r->abort();
    });
    connect(r, &QNetworkReply::finished, this, [this, r] {
        r->deleteLater();
        if (pending != r)
            return;
        pending = nullptr;
        const bool ok = Succeeded(*r);
        if (ok)
            display(r->read(MaxPageBytes), r->url());
        emit navigationFinished(ok);
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
    setHtml(DecodeHtml(bytes));
}

QVariant BannerView::loadResource(int type, const QUrl& name)
{
    // A null answer lets the document decode a data: address itself, but for any
    // other address it would fall back to reading a local file; an empty answer stops it.
    Q_UNUSED(type);
    if (name.scheme().compare(QLatin1String("data"), Qt::CaseInsensitive) == 0)
        return {};
    return QVariant(QByteArray());
}

void BannerView::openLink(const QUrl& link)
{
    const QUrl target = base.isEmpty() ? link : base.resolved(link);
    const QString scheme = target.scheme();
    if (scheme == QLatin1String("https") || scheme == QLatin1String("http"))
        util::ShellOpen(target);
}

} // namespace banner
