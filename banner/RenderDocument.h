#pragma once

// The render child's work: an item's HTML parsed and laid out by Qt into a document
// that reads nothing from disk or the network, then drawn into pixels with the areas
// of its links. Only the child runs this on items; the window never parses them.

#include "banner/BannerContent.h"
#include "banner/RenderAnswer.h"

#include <QTextDocument>

namespace banner {

class RenderDocument final : public QTextDocument {
public:
    RenderDocument() = default;

    // Pictures inside the page (data: addresses) within the page's pixel budget, a
    // blank pixel for any other picture, an empty text for anything else: never a
    // file or the network.
    QVariant loadResource(int type, const QUrl& name) override;

private:
    PixelBudget pixels;
};

// Parses, lays out and draws the item as a view of the request's size, font and
// colours would show it, within the pixel cap.
Rendering RenderItem(const RenderRequest& request);

} // namespace banner
