#include "page/Page_form.h"

#include "page/CellTiles.h"
#include "util/DeferredError.h"
#include "util/Product.h"
#include "page/InspectorView.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QScrollBar>
#include <QSplitter>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <array>

using page::ScrollAction;

namespace {

constexpr int ScrollBarWidth = 17;
constexpr int MinimumPanelWidth = 400; // the grid area's, at the usual font
constexpr int LabelPanelHeight = 21;
const QColor AddressBackground = QColor::fromRgb(util::AddressBackgroundRgb);
const QColor AddressForeground = QColor::fromRgb(util::AddressTextRgb);
const QColor LabelColour(128, 0, 0);
// The text of a byte that differs from the partner's byte at the same address.
const QColor DifferenceText = QColor::fromRgb(0xC00000);

QString ToQString(const page::CellText& text)
{
    return QString::fromLatin1(text.chars.data(), text.length);
}

void ZeroMargins(QLayout* layout)
{
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

} // namespace

TPageForm::TPageForm(QWidget* tabSheet, const std::string& path, const DllLoader& library)
    : QWidget(tabSheet), PageState(path, library)
{
    QFont base(QStringLiteral("Tahoma"));
    base.setPixelSize(11);
    setFont(base);

    BuildPanels();
    BuildInspectorTab();
    BuildScrollBar();
    BuildLabels(base);
    BuildGrids();
    AttachTo(tabSheet);
    Panel3Resize();

    page::SetUpInspector(*DataSG);
    RefreshInspector(*this, 0);
}

TPageForm::~TPageForm() { StopComparing(); }

TPageForm* TPageForm::PartnerPage() const { return dynamic_cast<TPageForm*>(Partner()); }

void TPageForm::CompareWith(TPageForm& other)
{
    if (&other == this || PartnerPage() == &other)
        return;
    StopComparing();
    other.StopComparing();
    Pair(*this, other);
    RedrawGrids();
    other.ShowChange(other.Follow(*this), false);
    other.RedrawGrids();
}

void TPageForm::StopComparing()
{
    TPageForm* other = PartnerPage();
    Unpair();
    if (other)
        other->RedrawGrids();
    RedrawGrids();
}

// Panel1 holds a splitter: the grid area Panel3 on the left, the inspector Panel2 on the right.
void TPageForm::BuildPanels()
{
    auto* formLayout = new QVBoxLayout(this);
    ZeroMargins(formLayout);
    Panel1 = new QWidget(this);
    formLayout->addWidget(Panel1);
    auto* panel1Layout = new QHBoxLayout(Panel1);
    ZeroMargins(panel1Layout);
    Splitter3 = new QSplitter(Qt::Horizontal, Panel1);
    Splitter3->setHandleWidth(3);
    Splitter3->setOpaqueResize(true);
    Splitter3->setChildrenCollapsible(false);
    Splitter3->setAccessibleName(QStringLiteral("Bytes and inspector"));
    panel1Layout->addWidget(Splitter3);

    Panel3 = new QWidget;
    Panel3->setMinimumSize(MinimumPanelWidth, 300);
    Panel2 = new QWidget;
    Panel2->setMinimumWidth(200);
    Panel2->setMaximumWidth(400);
    Splitter3->addWidget(Panel3);
    Splitter3->addWidget(Panel2);
    Splitter3->setStretchFactor(0, 1);
    Splitter3->setStretchFactor(1, 0);
    Splitter3->setSizes({546, 254});
}

void TPageForm::BuildInspectorTab()
{
    auto* panel2Layout = new QVBoxLayout(Panel2);
    ZeroMargins(panel2Layout);
    PageControl2 = new QTabWidget(Panel2);
    QFont boldTabs = PageControl2->tabBar()->font();
    boldTabs.setBold(true);
    PageControl2->tabBar()->setFont(boldTabs);
    PageControl2->tabBar()->setExpanding(false);
    panel2Layout->addWidget(PageControl2);
    TabSheet1 = new QWidget;
    PageControl2->addTab(TabSheet1, QStringLiteral("Common Types"));
    auto* sheetLayout = new QVBoxLayout(TabSheet1);
    ZeroMargins(sheetLayout);
    DataSG = new QTableWidget(TabSheet1);
    sheetLayout->addWidget(DataSG);
}

void TPageForm::BuildScrollBar()
{
    ScrollBar1 = new QScrollBar(Qt::Vertical, Panel3);
    ScrollBar1->setRange(0, page::ScrollMax);
    ScrollBar1->setFocusPolicy(Qt::NoFocus);
    ScrollBar1->setAccessibleName(QStringLiteral("Position in file"));
    ScrollBar1->installEventFilter(this);
    connect(ScrollBar1, &QAbstractSlider::actionTriggered, this, &TPageForm::ScrollBarAction);
    connect(ScrollBar1, &QAbstractSlider::sliderPressed, this, [this] { thumbDragged = false; });
    connect(ScrollBar1, &QAbstractSlider::sliderReleased, this, [this] {
        // A click on the thumb that did not drag it leaves the view where it is.
        if (thumbDragged)
            ScrollBarMoved(ScrollAction::ThumbPosition, lastThumbPosition);
    });
    // Moves the scroll bar makes by value alone ("Scroll here" in its menu).
    connect(ScrollBar1, &QAbstractSlider::valueChanged, this, [this](int value) {
        if (!syncingScrollBar && !ScrollBar1->isSliderDown())
            ScrollBarMoved(ScrollAction::ThumbPosition, value);
    });
}

void TPageForm::BuildLabels(const QFont& base)
{
    Panel5 = new QWidget(Panel3);
    QFont labelFont = base;
    labelFont.setBold(true);
    QPalette labelPalette = palette();
    labelPalette.setColor(QPalette::WindowText, LabelColour);
    auto makeLabel = [&](const char* text) {
        auto* label = new QLabel(QString::fromLatin1(text), Panel5);
        label->setFont(labelFont);
        label->setPalette(labelPalette);
        label->adjustSize();
        label->move(32, 2);
        return label;
    };
    AddressLabel = makeLabel("ADDRESS");
    HexLabel = makeLabel("HEX");
    TextLabel = makeLabel("TEXT");
}

void TPageForm::BuildGrids()
{
    Panel6 = new QWidget(Panel3);
    BinGrid = new page::Grid(Panel6);
    TextGrid = new page::Grid(Panel6);
    for (page::Grid* grid : {BinGrid, TextGrid}) {
        grid->onDrawCell = [this, grid](QPainter& canvas, int col, int row, const QRect& rect, page::CellState state) {
            BinGridDrawCell(grid, canvas, col, row, rect, state);
        };
        grid->onSelectCell = [this, grid](int col, int row) { return BinGridSelectCell(grid, col, row); };
        grid->onKeyDown = [this, grid](int key, Qt::KeyboardModifiers shift) { BinGridKeyDown(grid, key, shift); };
        grid->onWheel = [this](int notches) { GridWheel(notches); };
        grid->onPaintDone = [this] { PaintDone(); };
        grid->onCellText = [this, grid](int col, int row) { return SpokenCell(grid, col, row); };
        grid->onCursorCell = [this](int& col, int& row) {
            // Far from the view, the offset would not fit a cell number.
            if (cursorAddress < topAddress || (cursorAddress - topAddress) / BytesPerRow() >= BinGrid->rowCount())
                return false;
            const page::PageShape::Cell cell = Shape().CellOfAddress(topAddress, cursorAddress);
            col = cell.col;
            row = cell.row;
            return true;
        };
    }
    BinGrid->setAccessibleName(QStringLiteral("Hex"));
    TextGrid->setAccessibleName(QStringLiteral("Text"));
    Panel3->installEventFilter(this);
}

void TPageForm::AttachTo(QWidget* tabSheet)
{
    if (tabSheet) {
        QLayout* sheet = tabSheet->layout();
        if (!sheet) {
            sheet = new QVBoxLayout(tabSheet);
            ZeroMargins(sheet);
        }
        sheet->addWidget(this);
    }
    setVisible(true);
}

void RefreshInspector(TPageForm& page, int64_t address) { page::FillInspector(*page.DataSG, page.InspectorRowsAt(address)); }

void TPageForm::PlaceChildren()
{
    const int w = Panel3->width();
    const int h = Panel3->height();
    Panel5->setGeometry(0, 0, w, LabelPanelHeight);
    ScrollBar1->setGeometry(w - ScrollBarWidth, LabelPanelHeight, ScrollBarWidth, h - LabelPanelHeight);
    Panel6->setGeometry(0, LabelPanelHeight, w - ScrollBarWidth, h - LabelPanelHeight);
}

void TPageForm::LayoutGrids()
{
    QFont gridFont = QApplication::font();
    gridFont.setFamily(QStringLiteral("Courier New"));
    gridFont.setBold(true);
    BinGrid->setFont(gridFont);
    TextGrid->setFont(gridFont);
    const QFontMetrics metrics(gridFont);
    const int W = metrics.horizontalAdvance(QLatin1Char('W'));
    const int H = metrics.height();
    // A large grid font needs a wider panel than the usual minimum to fit two byte columns.
    const int minimumWidth = std::max(MinimumPanelWidth, page::MinimumAreaWidth(W) + ScrollBarWidth);
    if (Panel3->minimumWidth() != minimumWidth)
        Panel3->setMinimumWidth(minimumWidth);

    const int areaWidth = Panel6->width();
    const int areaHeight = Panel6->height();
    const page::GridLayout layout = page::LayoutGrids(W, H, areaWidth, areaHeight);
    SetGridShape(layout.bytesPerRow, layout.rows);
    const auto columns = static_cast<size_t>(layout.bytesPerRow);

    std::vector<int> hexWidths(columns + 1, layout.hexWidth);
    hexWidths[0] = layout.addressWidth;
    BinGrid->setShape(layout.rows, std::move(hexWidths), layout.rowHeight);
    BinGrid->setGeometry(0, 0, layout.binGridWidth, areaHeight);

    std::vector<int> textWidths(columns + 1, layout.textWidth);
    textWidths[0] = layout.textFixedWidth;
    TextGrid->setShape(layout.rows, std::move(textWidths), layout.rowHeight);
    TextGrid->setGeometry(layout.binGridWidth, 0, std::max(0, areaWidth - layout.binGridWidth), areaHeight);

    HexLabel->move(page::HexLabelLeft(BinGrid->x(), BinGrid->width()), HexLabel->y());
    TextLabel->move(page::TextLabelLeft(TextGrid->x(), TextGrid->width(), TextLabel->width()), TextLabel->y());
}

void TPageForm::SyncScrollBar()
{
    const page::ScrollBarState state = ReckonScrollBar();
    syncingScrollBar = true;
    ScrollBar1->setSingleStep(state.lineStep);
    // The thumb keeps its small fixed size: every step is the page's own, never the bar's.
    ScrollBar1->setPageStep(0);
    ScrollBar1->setValue(state.position);
    syncingScrollBar = false;
}

void TPageForm::ShowChange(Change change, bool partnerFollows)
{
    if (change.view)
        SyncScrollBar();
    if (change.gridCells) {
        // The grids' own current cells follow the cursor, row and column at once: moved
        // step by step, an intermediate cell past the end would be refused.
        const page::PageShape::Cell cell = Shape().CellOfAddress(topAddress, cursorAddress);
        for (page::Grid* grid : {TextGrid, BinGrid})
            grid->placeCurrent(cell.col, cell.row);
    }
    if (change.cursor || change.gridCells)
        for (page::Grid* grid : {TextGrid, BinGrid})
            grid->announceCurrent();
    if (change.Any())
        RedrawGrids();
    if (change.cursor)
        RefreshInspector(*this, cursorAddress);
    if (change.Any() && partnerFollows)
        if (TPageForm* other = PartnerPage())
            other->ShowChange(other->Follow(*this), false);
}

void TPageForm::Panel3Resize()
{
    PlaceChildren();
    LayoutGrids();
    SyncScrollBar();
}

void TPageForm::RedrawGrids()
{
    BinGrid->update();
    TextGrid->update();
}

void TPageForm::ScrollBar1Scroll(ScrollAction code, int position) { ShowChange(ApplyScroll(code, position)); }

// The scroll bar's own actions; its thumb then stays where SyncScrollBar put it.
void TPageForm::ScrollBarAction(int action)
{
    ScrollAction code;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub: code = ScrollAction::LineUp; break;
    case QAbstractSlider::SliderSingleStepAdd: code = ScrollAction::LineDown; break;
    case QAbstractSlider::SliderPageStepSub: code = ScrollAction::PageUp; break;
    case QAbstractSlider::SliderPageStepAdd: code = ScrollAction::PageDown; break;
    case QAbstractSlider::SliderToMinimum: code = ScrollAction::Top; break;
    case QAbstractSlider::SliderToMaximum: code = ScrollAction::Bottom; break;
    case QAbstractSlider::SliderMove:
        code = ScrollAction::ThumbTrack;
        lastThumbPosition = ScrollBar1->sliderPosition();
        thumbDragged = true;
        break;
    default: return;
    }
    ScrollBarMoved(code, lastThumbPosition);
}

// A signal must not carry an error through the scroll bar's code.
void TPageForm::ScrollBarMoved(ScrollAction code, int position)
{
    try {
        ScrollBar1Scroll(code, position);
    } catch (const std::exception& e) {
        util::ShowErrorLater(QString::fromLocal8Bit(e.what()));
    }
}

void TPageForm::GridWheel(int notchesUp) { ShowChange(ApplyWheel(notchesUp)); }

void TPageForm::BinGridKeyDown(page::Grid*, int key, Qt::KeyboardModifiers shift)
{
    using page::NavKey;
    NavKey nav = NavKey::Other;
    switch (key) {
    case Qt::Key_PageUp: nav = NavKey::PageUp; break;
    case Qt::Key_PageDown: nav = NavKey::PageDown; break;
    case Qt::Key_Home: nav = NavKey::Home; break;
    case Qt::Key_End: nav = NavKey::End; break;
    case Qt::Key_Left: nav = NavKey::Left; break;
    case Qt::Key_Right: nav = NavKey::Right; break;
    case Qt::Key_Up: nav = NavKey::Up; break;
    case Qt::Key_Down: nav = NavKey::Down; break;
    default: return;
    }
    ShowChange(ApplyKey(nav, shift.testFlag(Qt::ControlModifier)));
}

bool TPageForm::BinGridSelectCell(page::Grid*, int col, int row)
{
    const Change change = ApplyClick(row, col);
    ShowChange(change);
    return change.cursor;
}

void TPageForm::MoveToAddress(int64_t address, bool partnerFollows)
{
    ShowChange(PageState::MoveToAddress(address), partnerFollows);
}

void TPageForm::DrawGridCell(QPainter& canvas, int col, int row, const QRect& rect, page::CellState state, bool hexGrid)
{
    const int64_t address = CellAddress(row, col);
    // The byte is read first: a failing read paints nothing of the cell.
    const bool byteCell = col > 0 && !Shape().PastEnd(address);
    const uint8_t byte = byteCell ? CellByte(row, col) : 0;
    // A partner's byte that cannot be read leaves the cell plain; its failure is told
    // as the page's own.
    bool differs = false;
    if (byteCell && Partner()) {
        try {
            differs = DiffersFromPartner(address, byte);
        } catch (const std::exception& e) {
            NotePaintFailure(e.what());
        }
    }

    const QPalette& colours = BinGrid->palette();
    QColor background, text;
    switch (page::ColourOf(state.fixed, hexGrid, !state.fixed && address == cursorAddress)) {
    case page::CellColour::Address:
        background = AddressBackground;
        text = AddressForeground;
        break;
    case page::CellColour::TextFixed:
        background = Qt::white;
        text = colours.color(QPalette::Active, QPalette::Text);
        break;
    case page::CellColour::Cursor:
        background = colours.color(QPalette::Active, QPalette::Highlight);
        text = colours.color(QPalette::Active, QPalette::HighlightedText);
        break;
    case page::CellColour::Plain:
        background = colours.color(QPalette::Active, QPalette::Base);
        text = differs ? DifferenceText : colours.color(QPalette::Active, QPalette::Text);
        break;
    }
    if (col == 0 || !byteCell)
        canvas.fillRect(rect, background);
    if (col == 0) {
        canvas.setPen(text);
        // Clipped to the cell by drawText itself when the font is too wide for it.
        if (hexGrid)
            canvas.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                            ToQString(page::AddressText(address)));
        return;
    }
    if (!byteCell)
        return;
    // Asked once per painter: its font is a new copy for each one.
    if (!canvas.font().isCopyOf(tileFont)) {
        tileFont = canvas.font();
        tileFontKey = tileFont.key();
        tileRatio = canvas.device() ? canvas.device()->devicePixelRatioF() : 1.0;
    }
    canvas.drawImage(rect.topLeft(),
                     page::CellTiles::Tile(canvas, tileFontKey, tileRatio, rect.size(), background, text, hexGrid, byte));
}

QString TPageForm::SpokenCell(page::Grid* grid, int col, int row) const
{
    try {
        const int64_t address = CellAddress(row, col);
        if (col == 0)
            return grid == BinGrid ? ToQString(page::AddressText(address)) : QString();
        if (Shape().PastEnd(address))
            return {};
        return QString::fromStdU16String(page::SpokenByte(address, CellByte(row, col)));
    } catch (const std::exception& e) {
        // A failing read is spoken, not shown: a client may ask at any time.
        return QString::fromLocal8Bit(e.what());
    }
}

void TPageForm::BinGridDrawCell(page::Grid* sender, QPainter& canvas, int col, int row, const QRect& rect, page::CellState state)
{
    try {
        DrawGridCell(canvas, col, row, rect, state, sender == BinGrid);
    } catch (const std::exception& e) {
        // No box may open inside a paint: the cell stays blank and the text waits.
        canvas.fillRect(rect, BinGrid->palette().color(QPalette::Active, QPalette::Base));
        NotePaintFailure(e.what());
    }
}

void TPageForm::PaintDone()
{
    if (const std::optional<std::string> text = PaintFinished())
        util::ShowErrorLater(QString::fromLocal8Bit(text->c_str()));
}

bool TPageForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Panel3 && event->type() == QEvent::Resize) {
        Panel3Resize();
    } else if (watched == ScrollBar1 && event->type() == QEvent::Wheel) {
        // The wheel over the scroll bar scrolls as it does over the grids.
        auto* wheel = static_cast<QWheelEvent*>(event);
        scrollWheelAngle += wheel->angleDelta().y();
        const int notches = scrollWheelAngle / QWheelEvent::DefaultDeltasPerStep;
        scrollWheelAngle -= notches * QWheelEvent::DefaultDeltasPerStep;
        if (notches != 0)
            GridWheel(notches);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
