#include "output/PrintLayout.h"

#include <algorithm>

namespace output {

PrintLayout ComputePrintLayout(int pageWidth, int pageHeight, int imageWidth, int imageHeight)
{
    PrintLayout layout;
    layout.header = QRect(QPoint(0, 0), QPoint(pageWidth - 1, pageHeight / 20 - 1));
    const int footerTop = static_cast<int>(pageHeight * 0.97);
    layout.footer = QRect(QPoint(0, footerTop), QPoint(pageWidth - 1, pageHeight - 1));
    if (pageWidth <= 0 || pageHeight <= 0 || imageWidth <= 0 || imageHeight <= 0)
        return layout;

    layout.scale = std::min(pageHeight * 0.9 / imageHeight, pageWidth * 0.9 / imageWidth);
    // The scaled size never exceeds 90 percent of the page, so it fits an int.
    const int w = static_cast<int>(imageWidth * layout.scale);
    const int h = static_cast<int>(imageHeight * layout.scale);
    layout.image = QRect((pageWidth - w) / 2, (pageHeight - h) / 2, w, h);
    return layout;
}

QPoint CentredTextPos(const QRect& band, int pageWidth, int textWidth, int textHeight)
{
    // QRect's bottom() is inclusive; the band's exclusive bottom is one more.
    const int bandBottom = band.top() + band.height();
    return QPoint((pageWidth - textWidth) / 2, (band.top() + bandBottom - textHeight) / 2);
}

} // namespace output
