#include "banner/BannerStrip.h"

#include "banner/BannerView.h"

#include <QPainter>
#include <QVBoxLayout>

namespace banner {

BannerStrip::BannerStrip(QWidget* parent) : QFrame(parent)
{
    setFixedHeight(BannerView::StripHeight);
    // An empty view's frame around its base colour.
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

BannerView& BannerStrip::made()
{
    if (!browser) {
        setFrameStyle(QFrame::NoFrame);
        browser = new BannerView(this);
        layout()->addWidget(browser);
        browser->setVisible(true);
    }
    return *browser;
}

void BannerStrip::navigate(const std::string& address) { made().navigate(address); }

void BannerStrip::loadHtml(const QByteArray& bytes) { made().loadHtml(bytes); }

void BannerStrip::paintEvent(QPaintEvent* event)
{
    if (!browser) {
        QPainter painter(this);
        painter.fillRect(contentsRect(), palette().base());
    }
    QFrame::paintEvent(event);
}

} // namespace banner
