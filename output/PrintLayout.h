#pragma once

// Where the parts of the printed sheet go, in printer device pixels.

#include <QPoint>
#include <QRect>

namespace output {

struct PrintLayout {
    // Printer pixels per image pixel: the image fills 90 percent of the limiting
    // page dimension, its aspect ratio kept.
    double scale = 0;
    // The image, centred on the page.
    QRect image;
    // The top twentieth of the page, for the file's path.
    QRect header;
    // The bottom 3 percent of the page, for the product line.
    QRect footer;
};

// pageWidth x pageHeight is the printable area, imageWidth x imageHeight the view
// image. An image or page without area gives a scale of 0 and an empty image rect.
PrintLayout ComputePrintLayout(int pageWidth, int pageHeight, int imageWidth, int imageHeight);

// Top-left corner of a text of textWidth x textHeight centred in a band that spans
// the page's width. A text wider than the page starts left of it.
QPoint CentredTextPos(const QRect& band, int pageWidth, int textWidth, int textHeight);

} // namespace output
