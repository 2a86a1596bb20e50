#include "banner/RenderDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFont>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPalette>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <cstring>

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

QPalette PaletteOf(const RenderRequest& request)
{
    QPalette palette;
    for (std::size_t role = 0; role < Colours; ++role)
        palette.setColor(static_cast<QPalette::ColorRole>(role), QColor::fromRgba(request.palette[role]));
    return palette;
}

// The areas of the document's links, line by line, in document coordinates.
std::vector<LinkArea> LinkAreas(const QTextDocument& document)
{
    std::vector<LinkArea> areas;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        if (!layout)
            continue;
        // Blocks inside table cells are placed relative to the document, as all others.
        const QPointF origin = layout->position();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (!format.isAnchor() || format.anchorHref().isEmpty())
                continue;
            const int start = fragment.position() - block.position();
            const int end = start + fragment.length();
            for (int i = 0; i < layout->lineCount(); ++i) {
                const QTextLine line = layout->lineAt(i);
                const int from = std::max(start, line.textStart());
                const int to = std::min(end, line.textStart() + line.textLength());
                if (from >= to)
                    continue;
                const qreal x1 = line.cursorToX(from);
                const qreal x2 = line.cursorToX(to);
                const QRect area = QRectF(origin.x() + std::min(x1, x2), origin.y() + line.y(), std::abs(x2 - x1), line.height())
                                       .toAlignedRect()
                                       .intersected(QRect(-MaxSide, -MaxSide, 2 * MaxSide, 2 * MaxSide));
                if (area.isEmpty())
                    continue;
                if (areas.size() == MaxLinks)
                    return areas;
                areas.push_back({area.x(), area.y(), area.width(), area.height(),
                                 format.anchorHref().left(static_cast<qsizetype>(MaxAddressBytes) / 4).toStdString(),
                                 fragment.text().left(static_cast<qsizetype>(MaxAddressBytes) / 4).toStdString()});
            }
        }
    }
    return areas;
}

} // namespace

QVariant RenderDocument::loadResource(int type, const QUrl& name)
{
    // Every request gets an answer that decodes: for a null one, or a picture that
    // does not decode, the document would read the address from the local disk.
    // Kept, so that the layout and the painting ask once and spend the budget once.
    const QVariant answer = type == QTextDocument::ImageResource ? QVariant(DecodePicture(name, pixels)) : QVariant(QString());
    addResource(type, name, answer);
    return answer;
}

Rendering RenderItem(const RenderRequest& request)
{
    RenderDocument document;
    document.setUndoRedoEnabled(false);
    QFont font;
    if (!request.font.isEmpty())
        font.fromString(QString::fromUtf8(request.font));
    document.setDefaultFont(font);
    document.setHtml(DecodeContent(request.html));

    // As a text view does: laid out at its width, and again beside the scroll bar
    // when the text is taller than the view.
    document.setTextWidth(request.width);
    bool scrollBar = document.size().height() > request.height;
    if (scrollBar)
        document.setTextWidth(request.widthWithBar);
    const QSizeF size = document.size();
    const int layoutWidth = scrollBar ? request.widthWithBar : request.width;

    Rendering out;
    out.dprMilli = request.dprMilli;
    out.scrollBar = scrollBar;
    out.documentWidth = static_cast<int>(std::min<double>(std::ceil(size.width()), MaxExtent));
    out.documentHeight = static_cast<int>(std::min<double>(std::ceil(size.height()), MaxExtent));
    out.text = document.toPlainText().left(static_cast<qsizetype>(MaxTextBytes) / 4).toStdString();
    out.links = LinkAreas(document);

    // The picture covers what the view may scroll to, as far as the pixel cap allows.
    const double ratio = request.dprMilli / 1000.0;
    const int width = std::clamp(static_cast<int>(std::ceil(std::max(out.documentWidth, layoutWidth) * ratio)), 1, MaxSide);
    const int maxRows = static_cast<int>(MaxPixelBytes / 4 / static_cast<std::size_t>(width));
    const int height = std::clamp(static_cast<int>(std::ceil(std::max(out.documentHeight, request.height) * ratio)), 1,
                                  std::min(maxRows, MaxSide));
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    const QPalette palette = PaletteOf(request);
    image.fill(palette.color(QPalette::Base));
    {
        QPainter painter(&image);
        QAbstractTextDocumentLayout::PaintContext context;
        context.palette = palette;
        context.cursorPosition = -1;
        context.clip = QRectF(0, 0, width / ratio, height / ratio);
        painter.setClipRect(context.clip);
        document.documentLayout()->draw(&painter, context);
    }
    out.pixelWidth = width;
    out.pixelHeight = height;
    out.pixels = QByteArray(reinterpret_cast<const char*>(image.constBits()), static_cast<qsizetype>(width) * height * 4);
    if (image.bytesPerLine() != width * 4)
        for (int y = 0; y < height; ++y)
            std::memcpy(out.pixels.data() + static_cast<qsizetype>(y) * width * 4, image.constScanLine(y),
                        static_cast<std::size_t>(width) * 4);
    return out;
}

} // namespace banner
