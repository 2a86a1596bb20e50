#include "app/CategoryButtons.h"

#include "app/CategoryButtonsAccessible.h"

#include <QAction>
#include <QHelpEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int Margin = 2;     // around all blocks
constexpr int Gap = 3;        // between two blocks
constexpr int Padding = 2;    // inside a block
constexpr int HeaderHeight = 16;
constexpr int MarkSize = 9;

} // namespace

CategoryButtons::CategoryButtons(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    // A click on a command leaves the keyboard with the page.
    setFocusPolicy(Qt::NoFocus);
    viewport()->setFocusPolicy(Qt::NoFocus);
    verticalScrollBar()->setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(true);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
    connect(this, &CategoryButtons::buttonClicked, this, [this](int category, int item) {
        if (QAction* command = action(category, item))
            command->trigger();
    });
    InstallCategoryButtonsAccessible();
}

void CategoryButtons::setImages(std::vector<QPixmap> images_)
{
    images = std::move(images_);
    viewport()->update();
}

int CategoryButtons::addCategory(const QString& caption_, const QColor& colour)
{
    categories.push_back({caption_, colour, false, {}, {}, {}});
    relayout();
    return categoryCount() - 1;
}

void CategoryButtons::addButton(int category, const QString& caption_, const QString& hint_, int image_)
{
    categories[static_cast<size_t>(category)].buttons.push_back({caption_, hint_, image_, nullptr, {}});
    relayout();
}

void CategoryButtons::addButton(int category, QAction* action_, int image_)
{
    categories[static_cast<size_t>(category)].buttons.push_back({action_->text(), action_->toolTip(), image_, action_, {}});
    relayout();
}

QAction* CategoryButtons::action(int category, int item) const
{
    return categories[static_cast<size_t>(category)].buttons[static_cast<size_t>(item)].action;
}

void CategoryButtons::press(int category, int item)
{
    selected = {category, item};
    viewport()->update();
    emit buttonClicked(category, item);
}

int CategoryButtons::buttonCount(int category) const
{
    return static_cast<int>(categories[static_cast<size_t>(category)].buttons.size());
}

QString CategoryButtons::caption(int category, int item) const
{
    return categories[static_cast<size_t>(category)].buttons[static_cast<size_t>(item)].caption;
}

QString CategoryButtons::hint(int category, int item) const
{
    return categories[static_cast<size_t>(category)].buttons[static_cast<size_t>(item)].hint;
}

int CategoryButtons::image(int category, int item) const
{
    return categories[static_cast<size_t>(category)].buttons[static_cast<size_t>(item)].image;
}

QPixmap CategoryButtons::picture(int index) const
{
    return index >= 0 && index < static_cast<int>(images.size()) ? images[static_cast<size_t>(index)] : QPixmap();
}

bool CategoryButtons::collapsed(int category) const { return categories[static_cast<size_t>(category)].collapsed; }

void CategoryButtons::setCollapsed(int category, bool value)
{
    categories[static_cast<size_t>(category)].collapsed = value;
    relayout();
    NotifyCollapsed(this, category);
}

QRect CategoryButtons::buttonRect(int category, int item) const
{
    ensureLayout();
    const Category& c = categories[static_cast<size_t>(category)];
    if (c.collapsed)
        return {};
    return c.buttons[static_cast<size_t>(item)].rect.translated(0, -verticalScrollBar()->value());
}

QRect CategoryButtons::categoryRect(int category) const
{
    ensureLayout();
    return categories[static_cast<size_t>(category)].rect.translated(0, -verticalScrollBar()->value());
}

QRect CategoryButtons::markRect(int category) const
{
    ensureLayout();
    const QRect header = categories[static_cast<size_t>(category)].header;
    return QRect(header.left() + 2, header.top() + (header.height() - MarkSize) / 2, MarkSize, MarkSize)
        .translated(0, -verticalScrollBar()->value());
}

void CategoryButtons::relayout()
{
    layoutDue = true;
    if (isVisible())
        layOut();
}

void CategoryButtons::ensureLayout() const
{
    if (layoutDue)
        const_cast<CategoryButtons*>(this)->layOut();
}

// Blocks flow left to right and wrap; every block is as wide as its row of buttons.
// The scroll bar takes room only when the blocks do not fit without it.
void CategoryButtons::layOut()
{
    layoutDue = false;
    const int full = width() - 2 * Margin;
    if (flow(full) > height())
        flow(full - verticalScrollBar()->sizeHint().width());
    verticalScrollBar()->setRange(0, std::max(0, contentHeight - viewport()->height()));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(ButtonHeight / 2);
    viewport()->update();
}

int CategoryButtons::flow(int available)
{
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics metrics(bold);
    available = std::max(1, available);
    int x = Margin, y = Margin, lineHeight = 0;
    for (Category& c : categories) {
        const int headerWidth = 2 + MarkSize + 4 + metrics.horizontalAdvance(c.caption) + 4;
        const int count = static_cast<int>(c.buttons.size());
        const int buttonsWidth = count * ButtonWidth + std::max(0, count - 1);
        const int width = 2 * Padding + (c.collapsed ? headerWidth : std::max(headerWidth, buttonsWidth));
        const int height = 2 * Padding + HeaderHeight + (c.collapsed ? 0 : 2 + ButtonHeight);
        if (x > Margin && x + width > Margin + available) {
            x = Margin;
            y += lineHeight + Gap;
            lineHeight = 0;
        }
        c.rect = QRect(x, y, width, height);
        c.header = QRect(x + Padding, y + Padding, width - 2 * Padding, HeaderHeight);
        int bx = x + Padding;
        for (Button& b : c.buttons) {
            b.rect = QRect(bx, c.header.bottom() + 3, ButtonWidth, ButtonHeight);
            bx += ButtonWidth + 1;
        }
        x += width + Gap;
        lineHeight = std::max(lineHeight, height);
    }
    contentHeight = y + lineHeight + Margin;
    return contentHeight;
}

QPoint CategoryButtons::contentPoint(QPoint viewportPoint) const
{
    return viewportPoint + QPoint(0, verticalScrollBar()->value());
}

CategoryButtons::Hit CategoryButtons::hitAt(QPoint viewportPoint) const
{
    ensureLayout();
    const QPoint p = contentPoint(viewportPoint);
    for (size_t c = 0; c < categories.size(); ++c) {
        const Category& category = categories[c];
        if (category.header.contains(p))
            return {static_cast<int>(c), -1};
        if (category.collapsed)
            continue;
        for (size_t b = 0; b < category.buttons.size(); ++b)
            if (category.buttons[b].rect.contains(p))
                return {static_cast<int>(c), static_cast<int>(b)};
    }
    return {-1, -1};
}

void CategoryButtons::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    layOut();
}

bool CategoryButtons::viewportEvent(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const Hit hit = hitAt(help->pos());
        if (hit.second >= 0)
            QToolTip::showText(help->globalPos(), hint(hit.first, hit.second), viewport());
        else
            QToolTip::hideText();
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void CategoryButtons::paintEvent(QPaintEvent*)
{
    ensureLayout();
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(0, -verticalScrollBar()->value());
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    const QColor border(0xB8, 0xB2, 0x9A);
    for (size_t c = 0; c < categories.size(); ++c) {
        const Category& category = categories[c];
        painter.setPen(category.colour.darker(125));
        painter.setBrush(category.colour);
        painter.drawRoundedRect(QRectF(category.rect).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);

        // The collapse mark: minus while open, plus while collapsed.
        const QRect mark = markRect(static_cast<int>(c)).translated(0, verticalScrollBar()->value());
        painter.setPen(QColor(0x70, 0x70, 0x70));
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(mark).adjusted(0.5, 0.5, -0.5, -0.5));
        const QPointF centre = QRectF(mark).center();
        painter.drawLine(QPointF(mark.left() + 2.5, centre.y()), QPointF(mark.right() - 1.5, centre.y()));
        if (category.collapsed)
            painter.drawLine(QPointF(centre.x(), mark.top() + 2.5), QPointF(centre.x(), mark.bottom() - 1.5));
        painter.setPen(QColor(0x30, 0x30, 0x30));
        painter.drawText(category.header.adjusted(MarkSize + 6, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         category.caption);
        if (category.collapsed)
            continue;

        for (size_t b = 0; b < category.buttons.size(); ++b) {
            const Button& button = category.buttons[b];
            const Hit self{static_cast<int>(c), static_cast<int>(b)};
            const QColor face = self == selected ? selectedColour : buttonColour;
            QLinearGradient gradient(button.rect.topLeft(), button.rect.bottomLeft());
            gradient.setColorAt(0, face.lighter(104));
            gradient.setColorAt(1, face.darker(self == pressed ? 112 : 104));
            painter.setPen(self == hot ? face.darker(170) : border);
            painter.setBrush(gradient);
            painter.drawRoundedRect(QRectF(button.rect).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
            const QRect imageRect(button.rect.left() + 4, button.rect.top() + (ButtonHeight - ImageSize) / 2,
                                  ImageSize, ImageSize);
            if (button.image >= 0 && button.image < static_cast<int>(images.size()))
                painter.drawPixmap(imageRect, images[static_cast<size_t>(button.image)]);
            painter.setPen(QColor(0x20, 0x20, 0x20));
            painter.drawText(button.rect.adjusted(ImageSize + 7, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter,
                             button.caption);
        }
    }
}

void CategoryButtons::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const Hit hit = hitAt(event->position().toPoint());
    if (hit.first >= 0 && hit.second < 0) {
        setCollapsed(hit.first, !collapsed(hit.first));
        return;
    }
    pressed = hit;
    viewport()->update();
}

void CategoryButtons::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const Hit hit = hitAt(event->position().toPoint());
    const Hit was = pressed;
    pressed = {-1, -1};
    viewport()->update();
    if (hit.second >= 0 && hit == was)
        press(hit.first, hit.second);
}

void CategoryButtons::mouseMoveEvent(QMouseEvent* event)
{
    const Hit hit = hitAt(event->position().toPoint());
    const Hit now = hit.second >= 0 ? hit : Hit{-1, -1};
    if (now != hot) {
        hot = now;
        viewport()->update();
    }
}

void CategoryButtons::leaveEvent(QEvent* event)
{
    hot = {-1, -1};
    viewport()->update();
    QAbstractScrollArea::leaveEvent(event);
}
