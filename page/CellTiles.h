#pragma once

// Pre-drawn byte cells: a byte's text on its background, in one font, cell size and
// pair of colours. A repaint then copies each cell's pixels instead of laying out and
// blending its text again. Shared by every page; built cell by cell on first use.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QString>

#include <cstdint>

class QPainter;

namespace page {

class CellTiles {
public:
    // The tile of byte for a cell of the given size, drawn in the canvas's font, which
    // fontKey names (QFont::key of that font), at the canvas device's pixel ratio.
    static const QImage& Tile(QPainter& canvas, const QString& fontKey, qreal pixelRatio, QSize size,
                              QColor background, QColor text, bool hexGrid, uint8_t byte);
};

} // namespace page
