#pragma once

// A single-line text field for patterns of many thousand characters. It keeps a
// line edit's keys, mouse, clipboard, drop, context menu and undo, but measures and
// draws only the characters in view, so that an edit costs the same whatever the
// length of the text. Its edits stop at a limit: an edit past it leaves the text as
// it was and is told to whoever asked. The editing itself is PatternLine's; this
// widget maps keys (through one table), mouse, drop and input methods onto it.

#include "search/PatternLine.h"
#include "util/Seam.h"

#include <QBasicTimer>
#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <QWidget>

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

class QAccessibleEvent;
class QMenu;
class QStyleOptionFrame;

namespace search {

// Whether the desktop keeps X11's key conventions, as a line edit reads them from
// the platform: Left and Right with a selection go to its edge (elsewhere they
// move from the cursor), and Ctrl+Shift+Insert pastes the selection clipboard.
extern util::Seam<bool()> X11KeysSeam;
// Whether an accessibility client listens, and the call that tells it of a change
// (a headless test has no client to make Qt's own answer yes).
extern util::Seam<bool()> AccessibilityActiveSeam;
extern util::Seam<void(QAccessibleEvent*)> AccessibilityUpdateSeam;

class PatternField : public QWidget {
    Q_OBJECT
public:
    explicit PatternField(QWidget* parent = nullptr);
    ~PatternField() override;

    const QString& text() const { return line.text(); }
    // Replaces the whole text, the cursor at its end; not an edit: no undo, no limit.
    void setText(const QString& text);

    // Edits that would make the text longer than chars are refused; refused is told.
    void setLimit(int chars, std::function<void()> refused);

    int cursorPosition() const { return line.cursor(); }
    void setCursorPosition(int position);
    bool hasSelectedText() const { return line.hasSelection(); }
    QString selectedText() const { return line.selectedText(); }
    int selectionStart() const { return line.hasSelection() ? line.selectionStart() : -1; }
    void selectAll();
    void deselect();
    void end(bool mark) { moveCursor(static_cast<int>(line.text().size()), mark); }
    // Selects from anchor to cursor.
    void setSelection(int anchor, int cursor);

    // Edits as the user makes them: the selection is replaced, the limit holds.
    void insert(const QString& text);
    void del();
    void backspace();
    void cut();
    void copy() const;
    void paste();
    bool isUndoAvailable() const { return line.isUndoAvailable(); }
    bool isRedoAvailable() const { return line.isRedoAvailable(); }
    void undo();
    void redo();

    // The field's own context menu, made afresh; the caller owns it.
    QMenu* createContextMenu();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    void textChanged(const QString& text);
    // For the user's edits only (typing, paste, drop, undo), just before textChanged.
    void textEdited(const QString& text);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    friend class PatternFieldAccessible;

    // Runs one edit of the model, then redraws, signals and tells accessibility.
    template <typename Change>
    void change(Change&& edit);
    // What the edit did: a refusal is told, a change redrawn and signalled.
    void took(PatternLine::Edit edit);
    void moveCursor(int position, bool mark);
    void setPrimarySelection() const;
    bool runKey(QKeyEvent* event);
    void notifyAccessibility(const QString& before, int cursorBefore, bool selectionBefore) const;

    void initFrameOption(QStyleOptionFrame* option) const;
    QRect textArea() const;
    void measureFont();
    qreal advanceAt(int index, int* length) const;
    void scrollToCursor();
    int positionAt(int x) const;
    qreal xOf(int position) const;
    void restartBlink();

    PatternLine line;
    std::function<void()> refused;

    // Drawn from this character on; the cursor is always in view.
    int firstVisible = 0;
    QFont drawFont;
    QFontMetricsF metrics{QFont()};
    std::array<qreal, 256> latin1Advances{};
    qreal ascent = 0;
    qreal lineHeight = 0;
    QString drawn; // the characters in view as drawn, reused between paints

    QBasicTimer blinkTimer;
    bool cursorShown = true;
    bool selectingByMouse = false;
    int dropCursor = -1;
};

} // namespace search
