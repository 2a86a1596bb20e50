#include "page/CellTiles.h"

#include "page/PageView.h"

#include <QPainter>

#include <array>
#include <deque>

namespace page {

namespace {

struct TileSet {
    QString fontKey;
    QSize size;
    qreal pixelRatio;
    QRgb background;
    QRgb text;
    bool hexGrid;
    std::array<QImage, 256> tiles;
};

// Few sets are ever alive: plain and cursor colours of both grids, and a printing font.
constexpr size_t MaxSets = 16;
std::deque<TileSet> sets;

QString TextOf(uint8_t byte, bool hexGrid)
{
    const page::CellText cell = page::ByteText(byte, hexGrid);
    QString text;
    for (int i = 0; i < cell.length; ++i)
        text += QChar(page::GlyphOf(static_cast<uint8_t>(cell.chars[static_cast<size_t>(i)])));
    return text;
}

} // namespace

const QImage& CellTiles::Tile(QPainter& canvas, const QString& fontKey, qreal ratio, QSize size, QColor background,
                              QColor text, bool hexGrid, uint8_t byte)
{
    TileSet* set = nullptr;
    for (TileSet& candidate : sets) {
        if (candidate.hexGrid == hexGrid && candidate.background == background.rgb() &&
            candidate.text == text.rgb() && candidate.size == size && candidate.pixelRatio == ratio &&
            candidate.fontKey == fontKey) {
            set = &candidate;
            break;
        }
    }
    if (!set) {
        if (sets.size() == MaxSets)
            sets.pop_front();
        sets.push_back({fontKey, size, ratio, background.rgb(), text.rgb(), hexGrid, {}});
        set = &sets.back();
    }
    QImage& tile = set->tiles[byte];
    if (tile.isNull()) {
        tile = QImage(size * ratio, QImage::Format_RGB32);
        tile.setDevicePixelRatio(ratio);
        tile.fill(background);
        QPainter painter(&tile);
        painter.setFont(canvas.font());
        painter.setPen(text);
        painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                         TextOf(byte, hexGrid));
    }
    return tile;
}

} // namespace page
