#pragma once

// The banner strip's place in the main window: as high as the view and looking like
// an empty one from the start, while the view itself, which takes a while to make and
// needs the fonts, is made when the first page arrives.

#include "banner/BannerSeams.h"

#include <QFrame>

namespace banner {

class BannerView;

class BannerStrip final : public QFrame, public HtmlView {
public:
    explicit BannerStrip(QWidget* parent = nullptr);

    void navigate(const std::string& address) override;
    void loadHtml(const QByteArray& bytes) override;

    // The view, made by the first page; null until then.
    BannerView* view() const { return browser; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    BannerView& made();
    BannerView* browser = nullptr;
};

} // namespace banner
