#pragma once

// One open file's page: the hex grid, the character grid, the scroll bar and the
// inspector table. The arithmetic lives in PageView; this form keeps the state and
// wires the widgets' events to it.

#include "file/File64.h"
#include "page/Grid.h"
#include "page/PageView.h"

#include <QFont>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>

class QLabel;
class QScrollBar;
class QSplitter;
class QTabWidget;
class QTableWidget;

class TPageForm : public QWidget {
    Q_OBJECT
public:
    // Opens path read-only inside tabSheet and fills it. Throws util::Error from the
    // paged file ("Can't open file"), or util::Reported when the user was already told.
    TPageForm(QWidget* tabSheet, const std::string& path, const DllLoader& library = Zere100());
    ~TPageForm() override;

    std::string fileName;
    std::unique_ptr<util::File64> file;
    int64_t topAddress = 0;
    int64_t fileSize = 0;
    int64_t cursorAddress = 0;
    double bytesPerUnit = 0;

    // Brings the row of address to the top and puts the cursor on it.
    void MoveToAddress(int64_t address);
    int BytesPerRow() const;
    int Rows() const;
    int64_t BytesPerScreen() const { return Shape().BytesPerScreen(); }
    int64_t CellAddress(int row, int col) const { return Shape().CellAddress(topAddress, row, col); }
    // The byte of a byte cell; column 0 is refused with "assertion failure".
    uint8_t CellByte(int row, int col) const;
    int64_t RowOfAddress(int64_t address) const { return Shape().RowOfAddress(address); }

    // Paints one cell of the hex grid (hexGrid) or the character grid into any canvas,
    // in the canvas's current font. Throws the paged file's error before painting anything.
    void DrawGridCell(QPainter& canvas, int col, int row, const QRect& rect, CellState state, bool hexGrid);
    pageview::CellText CellText(int row, int col, bool hexGrid) const;

    Grid* BinGrid = nullptr;
    Grid* TextGrid = nullptr;
    QTableWidget* DataSG = nullptr;
    QScrollBar* ScrollBar1 = nullptr;
    QWidget* Panel1 = nullptr;
    QWidget* Panel2 = nullptr;
    QWidget* Panel3 = nullptr;
    QWidget* Panel5 = nullptr;
    QWidget* Panel6 = nullptr;
    QSplitter* Splitter3 = nullptr;
    QTabWidget* PageControl2 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QLabel* AddressLabel = nullptr;
    QLabel* HexLabel = nullptr;
    QLabel* TextLabel = nullptr;

    void LayoutGrids();
    void SyncScrollBar();
    void Panel3Resize();
    void ScrollBar1Scroll(pageview::ScrollAction code, int position);
    void BinGridKeyDown(Grid* sender, int key, Qt::KeyboardModifiers shift);
    bool BinGridSelectCell(Grid* sender, int col, int row);
    void BinGridDrawCell(Grid* sender, QPainter& canvas, int col, int row, const QRect& rect, CellState state);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    pageview::PageShape Shape() const;
    void RedrawGrids();
    void ScrollBarAction(int action);
    void GridWheel(int notchesUp);
    void PaintDone();
    void PlaceChildren();

    pageview::GridLayout layout;
    // The font the byte tiles were last asked for, and its key.
    QFont tileFont;
    QString tileFontKey;
    qreal tileRatio = 1.0;
    int scrollWheelAngle = 0;
    int lastThumbPosition = 0;
    // A byte that failed while painting: its text is shown once after the paint, and
    // again only after a paint that succeeded.
    std::string paintFailure;
    bool paintFailureShown = false;
};

// The byte at offset; "assertion failure" at or past the file's size.
uint8_t ReadByte(const TPageForm& page, int64_t offset);
