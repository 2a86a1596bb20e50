#pragma once

// The command bar: categories side by side, each a coloured block with a collapse
// mark and caption above a row of image buttons. Blocks wrap to further lines when
// the bar is narrow; the bar then scrolls vertically.

#include <QAbstractScrollArea>
#include <QColor>
#include <QPixmap>
#include <QString>

#include <vector>

class QAction;

class CategoryButtons : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int ButtonWidth = 75;
    static constexpr int ButtonHeight = 32;
    static constexpr int ImageSize = 24;

    explicit CategoryButtons(QWidget* parent = nullptr);

    void setImages(std::vector<QPixmap> images);
    int addCategory(const QString& caption, const QColor& colour);
    void addButton(int category, const QString& caption, const QString& hint, int image);
    // A button for action: its text is the caption, its tooltip the hint; a click
    // triggers it. The bar never greys a button out.
    void addButton(int category, QAction* action, int image);

    QColor buttonColour{0xF7, 0xF6, 0xEE};
    QColor selectedColour{0xE5, 0xE2, 0xCB};

    int categoryCount() const { return static_cast<int>(categories.size()); }
    int buttonCount(int category) const;
    QString categoryCaption(int category) const { return categories[static_cast<size_t>(category)].caption; }
    QString caption(int category, int item) const;
    QString hint(int category, int item) const;
    int image(int category, int item) const;
    QAction* action(int category, int item) const;
    // Presses the button as a click does.
    void press(int category, int item);
    // Picture number index as the buttons draw it; null when there is none.
    QPixmap picture(int index) const;
    bool collapsed(int category) const;
    void setCollapsed(int category, bool collapsed);
    // In viewport coordinates; empty while the category is collapsed.
    QRect buttonRect(int category, int item) const;
    QRect markRect(int category) const;
    // The whole block, header and buttons, in viewport coordinates.
    QRect categoryRect(int category) const;
    // The button that was clicked last, or -1, -1.
    int selectedCategory() const { return selected.first; }
    int selectedItem() const { return selected.second; }

signals:
    void buttonClicked(int category, int item);

protected:
    bool viewportEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct Button {
        QString caption;
        QString hint;
        int image = -1;
        QAction* action = nullptr;
        QRect rect;
    };
    struct Category {
        QString caption;
        QColor colour;
        bool collapsed = false;
        std::vector<Button> buttons;
        QRect rect;
        QRect header;
    };
    using Hit = std::pair<int, int>; // category, item; item -1 is the header

    // Lays the blocks out again, at once while shown, else at the first need: a hidden
    // bar measures no text (its fonts may not be ready yet).
    void relayout();
    void ensureLayout() const;
    void layOut();
    // Places the blocks within the given width; returns the height they need.
    int flow(int available);
    Hit hitAt(QPoint viewportPoint) const;
    QPoint contentPoint(QPoint viewportPoint) const;

    std::vector<QPixmap> images;
    std::vector<Category> categories;
    int contentHeight = 0;
    bool layoutDue = true;
    Hit selected{-1, -1};
    Hit hot{-1, -1};
    Hit pressed{-1, -1};
};
