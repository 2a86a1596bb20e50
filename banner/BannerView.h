#pragma once

// Browser1: the banner strip above the tabs. It shows HTML given as bytes and
// "navigates" by fetching an address in the background and showing the answer.
// Nothing in it runs script or loads outside resources; a clicked web link opens
// in the user's own browser through the shell.

#include "banner/BannerContent.h"
#include "banner/BannerSeams.h"

#include <QBuffer>
#include <QTextBrowser>
#include <QUrl>

#include <chrono>
#include <memory>

namespace banner {

class BannerView final : public QTextBrowser, public HtmlView {
    Q_OBJECT
public:
    static constexpr int StripHeight = 128;
    static constexpr std::chrono::milliseconds NavigateLimit{15000};
    static constexpr qint64 MaxPageBytes = ItemCaps.bytes;

    explicit BannerView(QWidget* parent = nullptr);
    ~BannerView() override;

    void navigate(const std::string& address) override;
    void loadHtml(const QByteArray& bytes) override;

    bool navigating() const { return pending; }

    // Pictures inside the page (data: addresses) within the page's pixel budget, a
    // blank pixel for any other picture, an empty text for anything else: never a
    // file or the network.
    QVariant loadResource(int type, const QUrl& name) override;

signals:
    // A navigation ended, shown or not.
    void navigationFinished(bool shown);

private:
    void abortNavigation();
    void display(const QByteArray& bytes, const QUrl& base);
    bool displayPage(const QByteArray& bytes, const QUrl& base);
    void openLink(const QUrl& link);

    std::unique_ptr<Downloader> fetcher; // through the network module, loaded at the first navigation
    QBuffer page;                        // the navigation's answer as it arrives
    bool pending = false;
    QUrl base;
    PixelBudget pixels;
};

} // namespace banner
