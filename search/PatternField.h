#pragma once

// A single-line text field for patterns of many thousand characters. It keeps a
// line edit's keys, mouse, clipboard, drop, context menu and undo, but measures and
// draws only the characters in view, so that an edit costs the same whatever the
// length of the text. Its edits stop at a limit: an edit past it leaves the text as
// it was and is told to whoever asked.

#include <QBasicTimer>
#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <QWidget>

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

class QMenu;
class QStyleOptionFrame;

class PatternField : public QWidget {
    Q_OBJECT
public:
    explicit PatternField(QWidget* parent = nullptr);
    ~PatternField() override;

    const QString& text() const { return content; }
    // Replaces the whole text, the cursor at its end; not an edit: no undo, no limit.
    void setText(const QString& text);

    // Edits that would make the text longer than chars are refused; refused is told.
    void setLimit(int chars, std::function<void()> refused);

    int cursorPosition() const { return cursor; }
    void setCursorPosition(int position);
    bool hasSelectedText() const { return cursor != anchor; }
    QString selectedText() const;
    void selectAll();
    void deselect();
    void end(bool mark) { moveCursor(static_cast<int>(content.size()), mark); }

    // Edits as the user makes them: the selection is replaced, the limit holds.
    void insert(const QString& text);
    void del();
    void backspace();
    void cut();
    void copy() const;
    void paste();
    bool isUndoAvailable() const { return !undoSteps.empty(); }
    bool isRedoAvailable() const { return !redoSteps.empty(); }
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
    // One edit, kept so that it can be undone: at `at`, `removed` gave way to `inserted`.
    struct Step {
        int at;
        QString removed;
        QString inserted;
        int cursorBefore;
        int anchorBefore;
        qsizetype chars() const { return removed.size() + inserted.size(); }
    };

    int selectionStart() const { return std::min(cursor, anchor); }
    int selectionEnd() const { return std::max(cursor, anchor); }
    void edit(int from, int to, const QString& with);
    void edited();
    void moveCursor(int position, bool mark);
    void setPrimarySelection() const;
    bool editKey(QKeyEvent* event);
    static bool isEditKey(QKeyEvent* event);
    int wordStartBefore(int position) const;
    int wordEndAfter(int position) const;
    int previousPosition(int position) const;
    int nextPosition(int position) const;

    void initFrameOption(QStyleOptionFrame* option) const;
    QRect textArea() const;
    void measureFont();
    qreal advanceAt(int index, int* length) const;
    void scrollToCursor();
    int positionAt(int x) const;
    qreal xOf(int position) const;
    void restartBlink();

    QString content;
    int cursor = 0;
    int anchor = 0;
    int maxChars = 32767;
    std::function<void()> refused;
    std::vector<Step> undoSteps;
    std::vector<Step> redoSteps;
    qsizetype keptChars = 0; // characters held by undoSteps

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
