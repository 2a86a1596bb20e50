#pragma once

// One open file's page: the hex grid, the character grid, the scroll bar and the
// inspector table. The page's state and its moves live in PageState; this form owns
// the widgets and brings them up to date after each move.

#include "page/Grid.h"
#include "page/PageState.h"

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

class TPageForm : public QWidget, public page::PageState {
    Q_OBJECT
public:
    // Opens path read-only inside tabSheet and fills it. Throws util::Error from the
    // paged file ("Can't open file"), or util::Reported when the user was already told.
    TPageForm(QWidget* tabSheet, const std::string& path, const DllLoader& library = file::Zere100());
    ~TPageForm() override;

    // Brings the row of address to the top and puts the cursor on it; a partner
    // follows unless told not to.
    void MoveToAddress(int64_t address, bool partnerFollows = true);

    // Pairs this page with other for comparison, ending the old pairs of both, and
    // brings other's view to this one's; every page concerned redraws.
    void CompareWith(TPageForm& other);
    // Ends this page's pair; both pages redraw.
    void StopComparing();
    TPageForm* PartnerPage() const;

    // Paints one cell of the hex grid (hexGrid) or the character grid into any canvas,
    // in the canvas's current font. Throws the paged file's error before painting anything.
    void DrawGridCell(QPainter& canvas, int col, int row, const QRect& rect, page::CellState state, bool hexGrid);

    page::Grid* BinGrid = nullptr;
    page::Grid* TextGrid = nullptr;
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
    void ScrollBar1Scroll(page::ScrollAction code, int position);
    void BinGridKeyDown(page::Grid* sender, int key, Qt::KeyboardModifiers shift);
    bool BinGridSelectCell(page::Grid* sender, int col, int row);
    void BinGridDrawCell(page::Grid* sender, QPainter& canvas, int col, int row, const QRect& rect, page::CellState state);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildPanels();
    void BuildInspectorTab();
    void BuildScrollBar();
    void BuildLabels(const QFont& base);
    void BuildGrids();
    void AttachTo(QWidget* tabSheet);

    // Brings the scroll bar, the grids and the inspector up to date after a move; a
    // partner follows when partnerFollows.
    void ShowChange(Change change, bool partnerFollows = true);
    void RedrawGrids();
    void ScrollBarAction(int action);
    void ScrollBarMoved(page::ScrollAction code, int position);
    void GridWheel(int notchesUp);
    void PaintDone();
    void PlaceChildren();
    // What a screen reader reads for a cell of grid.
    QString SpokenCell(page::Grid* grid, int col, int row) const;

    // The font the byte tiles were last asked for, and its key.
    QFont tileFont;
    QString tileFontKey;
    qreal tileRatio = 1.0;
    int scrollWheelAngle = 0;
    int lastThumbPosition = 0;
    bool thumbDragged = false;     // the thumb moved since it was pressed
    bool syncingScrollBar = false; // the page itself is setting the bar's value
};

// Rewrites rows 1 to 21 of the page's DataSG for the bytes at address. Raises nothing.
void RefreshInspector(TPageForm& page, int64_t address);
