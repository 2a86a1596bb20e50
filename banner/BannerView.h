#pragma once

// Browser1: the banner strip above the tabs. It shows HTML given as bytes and
// "navigates" by fetching an address in the background and showing the answer.
// The window never parses an item: the render child does, and the view draws the
// pixels it returns, maps clicks, the mouse cursor and tooltips over the link areas,
// and tells a screen reader the item's text and links. Nothing runs script or loads
// outside resources; a clicked web link opens in the user's own browser through the shell.

#include "banner/BannerContent.h"
#include "banner/BannerSeams.h"
#include "banner/RenderAnswer.h"
#include "util/Room.h"

#include <QAbstractScrollArea>
#include <QBuffer>
#include <QImage>
#include <QUrl>

#include <chrono>
#include <memory>

namespace banner {

class RenderClient;

class BannerView final : public QAbstractScrollArea, public HtmlView {
    Q_OBJECT
public:
    static constexpr int StripHeight = 128;
    static constexpr std::chrono::milliseconds NavigateLimit{15000};
    static constexpr qint64 MaxPageBytes = MaxItemBytes;

    explicit BannerView(QWidget* parent = nullptr);
    ~BannerView() override;

    void navigate(const std::string& address) override;
    void loadHtml(const QByteArray& bytes) override;

    bool navigating() const { return pending; }
    // An item is with the render child.
    bool rendering() const;

    // What is shown: the item's plain text and its link areas, in the document.
    QString plainText() const { return QString::fromStdString(shown.text); }
    const std::vector<LinkArea>& links() const { return shown.links; }
    // Counts the items shown, so that what was said of an older one's links can tell.
    quint64 linksGeneration() const { return generation; }
    QPoint scrollOffset() const;
    // The address of the link under a point of the viewport, resolved; empty when none.
    QUrl linkAt(const QPoint& viewportPoint) const;
    // Children of the render client not yet reaped.
    int livingChildren() const;
    RenderClient& renderer() { return *client; }

signals:
    // A navigation ended, shown or not.
    void navigationFinished(bool shown);
    // An item's pixels were put on screen, or its rendering failed and the view kept what it showed.
    void itemFinished(bool shown);
    // A link was clicked; web links go on to the user's browser.
    void anchorClicked(const QUrl& link);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void abortNavigation();
    void display(const QByteArray& bytes, const QUrl& base);
    void requestRendering();
    void renderAgainIfChanged();
    void rendered(const Rendering& rendering);
    void renderFailed();
    void openLink(const QUrl& link);
    void updateScrollBars();

    std::unique_ptr<Downloader> fetcher; // through the network module, loaded at the first navigation
    std::unique_ptr<RenderClient> client;
    QBuffer page;                        // the navigation's answer as it arrives
    bool pending = false;
    bool navigationRendering = false;    // the item with the child is a fetched page
    QByteArray item;                     // the bytes being rendered or shown
    QUrl itemBase;
    QUrl base;                           // of what is shown
    Rendering shown;                     // its pixels are copied into picture
    // Taken with the first picture and kept: the picture is drawn over it, so a new
    // item's pixels go into pages already resident.
    std::unique_ptr<util::Room> pictureRoom;
    QImage picture;
    QSize renderedFor;                   // the full width and height the picture was made for
    qreal renderedRatio = 0;
    quint64 generation = 0;
};

} // namespace banner
