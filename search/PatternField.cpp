#include "search/PatternField.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {

// Space between the frame's inside and the text, as a line edit keeps it.
constexpr int HorizontalMargin = 2;
constexpr int VerticalMargin = 1;
// Undo keeps this many edits, and at most this many characters in them.
constexpr size_t MaxUndoSteps = 1000;
constexpr qsizetype MaxUndoChars = qsizetype(1) << 20;
// At most this many characters are laid out for one paint (a run of characters
// without width could otherwise hold the whole text).
constexpr int MaxDrawnChars = 4096;

bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

bool IsSpace(QChar c) { return c.isSpace(); }

const QKeySequence::StandardKey EditKeys[] = {
    QKeySequence::Undo,
    QKeySequence::Redo,
    QKeySequence::SelectAll,
    QKeySequence::Copy,
    QKeySequence::Cut,
    QKeySequence::Paste,
    QKeySequence::MoveToNextChar,
    QKeySequence::MoveToPreviousChar,
    QKeySequence::SelectNextChar,
    QKeySequence::SelectPreviousChar,
    QKeySequence::MoveToNextWord,
    QKeySequence::MoveToPreviousWord,
    QKeySequence::SelectNextWord,
    QKeySequence::SelectPreviousWord,
    QKeySequence::MoveToStartOfLine,
    QKeySequence::MoveToEndOfLine,
    QKeySequence::MoveToStartOfBlock,
    QKeySequence::MoveToEndOfBlock,
    QKeySequence::MoveToStartOfDocument,
    QKeySequence::MoveToEndOfDocument,
    QKeySequence::SelectStartOfLine,
    QKeySequence::SelectEndOfLine,
    QKeySequence::SelectStartOfBlock,
    QKeySequence::SelectEndOfBlock,
    QKeySequence::SelectStartOfDocument,
    QKeySequence::SelectEndOfDocument,
    QKeySequence::Delete,
    QKeySequence::Backspace,
    QKeySequence::DeleteStartOfWord,
    QKeySequence::DeleteEndOfWord,
};

// A key press that stands for text to insert: printable, and no command key held.
bool IsTyping(const QKeyEvent* event)
{
    const QString text = event->text();
    if (text.isEmpty() || IsControl(text.front().unicode()))
        return false;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers & Qt::MetaModifier)
        return false;
    // Ctrl with Alt is AltGr on some keyboards.
    return !(modifiers & Qt::ControlModifier) || (modifiers & Qt::AltModifier);
}

QString MenuCaption(const char* caption, QKeySequence::StandardKey key)
{
    const QString keys = QKeySequence(key).toString(QKeySequence::NativeText);
    QString text = QString::fromLatin1(caption);
    return keys.isEmpty() ? text : text + QLatin1Char('\t') + keys;
}

} // namespace

PatternField::PatternField(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setSizePolicy(QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed, QSizePolicy::LineEdit));
    setBackgroundRole(QPalette::Base);
    setCursor(Qt::IBeamCursor);
    setAcceptDrops(true);
    drawn.resize(MaxDrawnChars);
    measureFont();
}

PatternField::~PatternField() = default;

void PatternField::setText(const QString& text)
{
    const bool differs = text != content;
    content = text;
    cursor = anchor = static_cast<int>(content.size());
    undoSteps.clear();
    redoSteps.clear();
    keptChars = 0;
    if (firstVisible > cursor)
        firstVisible = 0;
    scrollToCursor();
    update();
    if (differs)
        emit textChanged(content);
}

void PatternField::setLimit(int chars, std::function<void()> refused_)
{
    maxChars = chars;
    refused = std::move(refused_);
}

void PatternField::setCursorPosition(int position) { moveCursor(position, false); }

QString PatternField::selectedText() const { return content.mid(selectionStart(), selectionEnd() - selectionStart()); }

void PatternField::selectAll()
{
    anchor = 0;
    cursor = static_cast<int>(content.size());
    scrollToCursor();
    update();
    setPrimarySelection();
}

void PatternField::deselect()
{
    anchor = cursor;
    update();
}

void PatternField::moveCursor(int position, bool mark)
{
    cursor = std::clamp(position, 0, static_cast<int>(content.size()));
    if (!mark)
        anchor = cursor;
    scrollToCursor();
    restartBlink();
    update();
}

// The one way the user's edits change the text. An edit that would take the text past
// its limit changes nothing and is told; one that shortens the text is always taken.
void PatternField::edit(int from, int to, const QString& with)
{
    const qsizetype newSize = content.size() - (to - from) + with.size();
    if (newSize > maxChars && newSize > content.size()) {
        if (refused)
            refused();
        return;
    }
    Step step{from, content.mid(from, to - from), with, cursor, anchor};
    content.replace(from, to - from, with);
    cursor = anchor = from + static_cast<int>(with.size());
    keptChars += step.chars();
    undoSteps.push_back(std::move(step));
    while (undoSteps.size() > 1 && (undoSteps.size() > MaxUndoSteps || keptChars > MaxUndoChars)) {
        keptChars -= undoSteps.front().chars();
        undoSteps.erase(undoSteps.begin());
    }
    redoSteps.clear();
    edited();
}

void PatternField::edited()
{
    scrollToCursor();
    restartBlink();
    update();
    emit textEdited(content);
    emit textChanged(content);
}

void PatternField::insert(const QString& text)
{
    if (text.isEmpty() && !hasSelectedText())
        return;
    edit(selectionStart(), selectionEnd(), text);
}

void PatternField::del()
{
    if (hasSelectedText())
        insert(QString());
    else if (cursor < content.size())
        edit(cursor, nextPosition(cursor), QString());
}

void PatternField::backspace()
{
    if (hasSelectedText())
        insert(QString());
    else if (cursor > 0)
        edit(previousPosition(cursor), cursor, QString());
}

void PatternField::cut()
{
    if (!hasSelectedText())
        return;
    copy();
    del();
}

void PatternField::copy() const
{
    if (hasSelectedText())
        QGuiApplication::clipboard()->setText(selectedText());
}

void PatternField::paste() { insert(QGuiApplication::clipboard()->text()); }

void PatternField::undo()
{
    if (undoSteps.empty())
        return;
    Step step = std::move(undoSteps.back());
    undoSteps.pop_back();
    keptChars -= step.chars();
    content.replace(step.at, step.inserted.size(), step.removed);
    cursor = step.cursorBefore;
    anchor = step.anchorBefore;
    redoSteps.push_back(std::move(step));
    edited();
}

void PatternField::redo()
{
    if (redoSteps.empty())
        return;
    Step step = std::move(redoSteps.back());
    redoSteps.pop_back();
    content.replace(step.at, step.removed.size(), step.inserted);
    cursor = anchor = step.at + static_cast<int>(step.inserted.size());
    keptChars += step.chars();
    undoSteps.push_back(std::move(step));
    edited();
}

// On systems with a selection clipboard, what is selected can be pasted with a middle click.
void PatternField::setPrimarySelection() const
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (hasSelectedText() && clipboard->supportsSelection())
        clipboard->setText(selectedText(), QClipboard::Selection);
}

QMenu* PatternField::createContextMenu()
{
    auto* menu = new QMenu(this);
    const auto add = [this, menu](const char* caption, QKeySequence::StandardKey key, bool enabled, auto run) {
        QAction* action = menu->addAction(MenuCaption(caption, key));
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, run);
    };
    const bool selected = hasSelectedText();
    add("&Undo", QKeySequence::Undo, isUndoAvailable(), [this] { undo(); });
    add("&Redo", QKeySequence::Redo, isRedoAvailable(), [this] { redo(); });
    menu->addSeparator();
    add("Cu&t", QKeySequence::Cut, selected, [this] { cut(); });
    add("&Copy", QKeySequence::Copy, selected, [this] { copy(); });
    add("&Paste", QKeySequence::Paste, !QGuiApplication::clipboard()->text().isEmpty(), [this] { paste(); });
    add("Delete", QKeySequence::Delete, selected, [this] { del(); });
    menu->addSeparator();
    add("Select All", QKeySequence::SelectAll, selectionEnd() - selectionStart() < content.size(),
        [this] { selectAll(); });
    return menu;
}

int PatternField::previousPosition(int position) const
{
    if (position <= 0)
        return 0;
    --position;
    if (position > 0 && content[position].isLowSurrogate() && content[position - 1].isHighSurrogate())
        --position;
    return position;
}

int PatternField::nextPosition(int position) const
{
    const int size = static_cast<int>(content.size());
    if (position >= size)
        return size;
    ++position;
    if (position < size && content[position].isLowSurrogate() && content[position - 1].isHighSurrogate())
        ++position;
    return position;
}

// Words are runs of characters between spaces, as the bytes of spaced hex are.
int PatternField::wordEndAfter(int position) const
{
    const int size = static_cast<int>(content.size());
    while (position < size && !IsSpace(content[position]))
        ++position;
    while (position < size && IsSpace(content[position]))
        ++position;
    return position;
}

int PatternField::wordStartBefore(int position) const
{
    while (position > 0 && IsSpace(content[position - 1]))
        --position;
    while (position > 0 && !IsSpace(content[position - 1]))
        --position;
    return position;
}

bool PatternField::isEditKey(QKeyEvent* event)
{
    for (const QKeySequence::StandardKey key : EditKeys)
        if (event->matches(key))
            return true;
    return event->key() == Qt::Key_Backspace || IsTyping(event);
}

bool PatternField::editKey(QKeyEvent* event)
{
    const int size = static_cast<int>(content.size());
    if (event->matches(QKeySequence::Undo))
        undo();
    else if (event->matches(QKeySequence::Redo))
        redo();
    else if (event->matches(QKeySequence::SelectAll))
        selectAll();
    else if (event->matches(QKeySequence::Copy))
        copy();
    else if (event->matches(QKeySequence::Cut))
        cut();
    else if (event->matches(QKeySequence::Paste))
        paste();
    else if (event->matches(QKeySequence::MoveToNextChar))
        moveCursor(hasSelectedText() ? selectionEnd() : nextPosition(cursor), false);
    else if (event->matches(QKeySequence::MoveToPreviousChar))
        moveCursor(hasSelectedText() ? selectionStart() : previousPosition(cursor), false);
    else if (event->matches(QKeySequence::SelectNextChar))
        moveCursor(nextPosition(cursor), true);
    else if (event->matches(QKeySequence::SelectPreviousChar))
        moveCursor(previousPosition(cursor), true);
    else if (event->matches(QKeySequence::MoveToNextWord))
        moveCursor(wordEndAfter(cursor), false);
    else if (event->matches(QKeySequence::MoveToPreviousWord))
        moveCursor(wordStartBefore(cursor), false);
    else if (event->matches(QKeySequence::SelectNextWord))
        moveCursor(wordEndAfter(cursor), true);
    else if (event->matches(QKeySequence::SelectPreviousWord))
        moveCursor(wordStartBefore(cursor), true);
    else if (event->matches(QKeySequence::MoveToStartOfLine) || event->matches(QKeySequence::MoveToStartOfBlock)
             || event->matches(QKeySequence::MoveToStartOfDocument))
        moveCursor(0, false);
    else if (event->matches(QKeySequence::MoveToEndOfLine) || event->matches(QKeySequence::MoveToEndOfBlock)
             || event->matches(QKeySequence::MoveToEndOfDocument))
        moveCursor(size, false);
    else if (event->matches(QKeySequence::SelectStartOfLine) || event->matches(QKeySequence::SelectStartOfBlock)
             || event->matches(QKeySequence::SelectStartOfDocument))
        moveCursor(0, true);
    else if (event->matches(QKeySequence::SelectEndOfLine) || event->matches(QKeySequence::SelectEndOfBlock)
             || event->matches(QKeySequence::SelectEndOfDocument))
        moveCursor(size, true);
    else if (event->matches(QKeySequence::Delete))
        del();
    else if (event->matches(QKeySequence::DeleteStartOfWord)) {
        if (!hasSelectedText())
            anchor = wordStartBefore(cursor);
        del();
    } else if (event->matches(QKeySequence::DeleteEndOfWord)) {
        if (!hasSelectedText())
            anchor = wordEndAfter(cursor);
        del();
    } else if (event->matches(QKeySequence::Backspace) || event->key() == Qt::Key_Backspace)
        backspace();
    else if (IsTyping(event))
        insert(event->text());
    else
        return false;
    return true;
}

bool PatternField::event(QEvent* event)
{
    // Edit keys belong to the field, not to a shortcut of the window.
    if (event->type() == QEvent::ShortcutOverride && isEditKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void PatternField::keyPressEvent(QKeyEvent* event)
{
    if (!editKey(event)) {
        event->ignore(); // Enter, Esc and the rest go to the dialog
        return;
    }
    event->accept();
    setPrimarySelection();
}

void PatternField::initFrameOption(QStyleOptionFrame* option) const
{
    option->initFrom(this);
    option->rect = contentsRect();
    option->lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, option, this);
    option->midLineWidth = 0;
    option->state |= QStyle::State_Sunken;
    option->features = QStyleOptionFrame::None;
}

QRect PatternField::textArea() const
{
    QStyleOptionFrame option;
    initFrameOption(&option);
    return style()
        ->subElementRect(QStyle::SE_LineEditContents, &option, this)
        .adjusted(HorizontalMargin, VerticalMargin, -HorizontalMargin, -VerticalMargin);
}

// Widths of the first 256 characters, so that laying out what is in view reads a
// table; control characters are drawn as spaces.
void PatternField::measureFont()
{
    drawFont = font();
    drawFont.setKerning(false); // widths then add up as the table says
    metrics = QFontMetricsF(drawFont);
    for (int c = 0; c < 256; ++c)
        latin1Advances[static_cast<size_t>(c)]
            = metrics.horizontalAdvance(IsControl(static_cast<char16_t>(c)) ? QChar(u' ') : QChar(static_cast<char16_t>(c)));
    ascent = metrics.ascent();
    lineHeight = metrics.height();
}

qreal PatternField::advanceAt(int index, int* length) const
{
    const QChar c = content[index];
    *length = 1;
    if (c.unicode() < 256)
        return latin1Advances[c.unicode()];
    if (c.isHighSurrogate() && index + 1 < content.size() && content[index + 1].isLowSurrogate()) {
        *length = 2;
        return metrics.horizontalAdvance(QString::fromRawData(content.constData() + index, 2));
    }
    return metrics.horizontalAdvance(c);
}

// Keeps the cursor in view, and no room at the right while text at the left could fill it.
void PatternField::scrollToCursor()
{
    const int size = static_cast<int>(content.size());
    const qreal width = textArea().width();
    const qreal cursorWidth = style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this);
    firstVisible = std::clamp(firstVisible, 0, size);
    int length = 0;
    if (cursor < firstVisible) {
        firstVisible = cursor;
    } else {
        qreal x = cursorWidth;
        for (int i = firstVisible; i < cursor && x <= width; i += length)
            x += advanceAt(i, &length);
        if (x > width) {
            // The cursor at the right edge: as many characters before it as fit.
            x = cursorWidth;
            firstVisible = cursor;
            while (firstVisible > 0) {
                const int before = previousPosition(firstVisible);
                x += advanceAt(before, &length);
                if (x > width)
                    break;
                firstVisible = before;
            }
        }
    }
    qreal used = cursorWidth;
    int i = firstVisible;
    for (; i < size && used <= width; i += length)
        used += advanceAt(i, &length);
    if (i < size)
        return;
    while (firstVisible > 0) {
        const int before = previousPosition(firstVisible);
        used += advanceAt(before, &length);
        if (used > width)
            break;
        firstVisible = before;
    }
}

// The position nearest to x, a distance from the text area's left edge, among those in view.
int PatternField::positionAt(int x) const
{
    const int size = static_cast<int>(content.size());
    const qreal width = textArea().width();
    qreal left = 0;
    int length = 0;
    int i = firstVisible;
    for (; i < size && left <= width; i += length) {
        const qreal advance = advanceAt(i, &length);
        if (x < left + advance / 2)
            return i;
        left += advance;
    }
    return i;
}

qreal PatternField::xOf(int position) const
{
    qreal x = 0;
    int length = 0;
    for (int i = firstVisible; i < position; i += length)
        x += advanceAt(i, &length);
    return x;
}

void PatternField::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionFrame option;
    initFrameOption(&option);
    style()->drawPrimitive(QStyle::PE_PanelLineEdit, &option, &painter, this);

    const QRect area = textArea();
    painter.setClipRect(area);
    painter.setFont(drawFont);

    // Lay out the characters in view only, noting where the cursor and the selection fall.
    const int size = static_cast<int>(content.size());
    const int from = selectionStart();
    const int to = selectionEnd();
    const int dropAt = dropCursor;
    qreal cursorX = -1, dropX = -1, selectionLeft = -1, selectionRight = -1;
    QChar* out = drawn.data();
    int count = 0;
    qreal x = 0;
    int length = 0;
    int i = firstVisible;
    for (; i < size && x <= area.width() && count + 2 <= MaxDrawnChars; i += length) {
        if (i == cursor)
            cursorX = x;
        if (i == dropAt)
            dropX = x;
        if (i >= from && i < to && selectionLeft < 0)
            selectionLeft = x;
        if (i == to)
            selectionRight = x;
        const qreal advance = advanceAt(i, &length);
        for (int k = 0; k < length; ++k) {
            const QChar c = content[i + k];
            out[count++] = IsControl(c.unicode()) ? QChar(u' ') : c;
        }
        x += advance;
    }
    if (i == cursor)
        cursorX = x;
    if (i == dropAt)
        dropX = x;
    if (selectionLeft >= 0 && selectionRight < 0)
        selectionRight = x;

    const qreal baseline = area.top() + (area.height() - lineHeight) / 2 + ascent;
    const QPointF origin(area.left(), baseline);
    const QString visible = QString::fromRawData(out, count);
    const QPalette& colours = palette();
    painter.setPen(colours.color(QPalette::Text));
    painter.drawText(origin, visible);
    if (selectionLeft >= 0 && selectionRight > selectionLeft) {
        const QRectF selected(area.left() + selectionLeft, area.top(), selectionRight - selectionLeft, area.height());
        painter.save();
        painter.setClipRect(selected, Qt::IntersectClip);
        painter.fillRect(selected, colours.brush(QPalette::Highlight));
        painter.setPen(colours.color(QPalette::HighlightedText));
        painter.drawText(origin, visible);
        painter.restore();
    }
    const int cursorWidth = style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, this);
    const auto drawCursor = [&](qreal at) {
        painter.fillRect(QRectF(area.left() + at, area.top(), cursorWidth, area.height()), colours.color(QPalette::Text));
    };
    if (hasFocus() && cursorShown && cursorX >= 0)
        drawCursor(cursorX);
    if (dropX >= 0)
        drawCursor(dropX);
}

void PatternField::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton && event->button() != Qt::MiddleButton) {
        event->ignore();
        return;
    }
    const int position = positionAt(event->position().toPoint().x() - textArea().left());
    const bool mark = event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier);
    moveCursor(position, mark);
    selectingByMouse = event->button() == Qt::LeftButton;
}

void PatternField::mouseMoveEvent(QMouseEvent* event)
{
    if (!selectingByMouse || !(event->buttons() & Qt::LeftButton))
        return;
    const int x = event->position().toPoint().x() - textArea().left();
    // Dragging past the left edge scrolls back a character at a time; past the
    // right, the nearest position is the first one out of view.
    moveCursor(x < 0 && firstVisible > 0 ? previousPosition(firstVisible) : positionAt(x), true);
}

void PatternField::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        selectingByMouse = false;
        setPrimarySelection();
    } else if (event->button() == Qt::MiddleButton) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (clipboard->supportsSelection())
            insert(clipboard->text(QClipboard::Selection));
    }
}

void PatternField::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int size = static_cast<int>(content.size());
    const int at = positionAt(event->position().toPoint().x() - textArea().left());
    const int probe = at < size ? at : previousPosition(at);
    if (probe >= size)
        return;
    const bool space = IsSpace(content[probe]);
    int start = probe;
    while (start > 0 && IsSpace(content[start - 1]) == space)
        --start;
    int stop = probe;
    while (stop < size && IsSpace(content[stop]) == space)
        ++stop;
    anchor = start;
    moveCursor(stop, true);
    selectingByMouse = false;
    setPrimarySelection();
}

void PatternField::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void PatternField::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
}

void PatternField::dragMoveEvent(QDragMoveEvent* event)
{
    if (!event->mimeData()->hasText())
        return;
    dropCursor = positionAt(event->position().toPoint().x() - textArea().left());
    update();
    event->acceptProposedAction();
}

void PatternField::dragLeaveEvent(QDragLeaveEvent*)
{
    dropCursor = -1;
    update();
}

void PatternField::dropEvent(QDropEvent* event)
{
    dropCursor = -1;
    if (!event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    moveCursor(positionAt(event->position().toPoint().x() - textArea().left()), false);
    insert(event->mimeData()->text());
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void PatternField::focusInEvent(QFocusEvent* event)
{
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason)
        selectAll();
    restartBlink();
    update();
    QWidget::focusInEvent(event);
}

void PatternField::focusOutEvent(QFocusEvent* event)
{
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
        deselect();
    blinkTimer.stop();
    update();
    QWidget::focusOutEvent(event);
}

void PatternField::restartBlink()
{
    cursorShown = true;
    const int flash = QApplication::cursorFlashTime();
    if (hasFocus() && flash > 0)
        blinkTimer.start(flash / 2, this);
    else
        blinkTimer.stop();
}

void PatternField::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != blinkTimer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    cursorShown = !cursorShown;
    update();
}

void PatternField::inputMethodEvent(QInputMethodEvent* event)
{
    if (event->replacementLength() > 0) {
        const int start = std::clamp(cursor + event->replacementStart(), 0, static_cast<int>(content.size()));
        anchor = start;
        cursor = std::min(start + event->replacementLength(), static_cast<int>(content.size()));
    }
    if (!event->commitString().isEmpty() || hasSelectedText())
        insert(event->commitString());
    event->accept();
}

QVariant PatternField::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle: {
        const QRect area = textArea();
        return QRectF(area.left() + xOf(std::max(cursor, firstVisible)), area.top(), 1, area.height());
    }
    case Qt::ImCursorPosition:
        return cursor;
    case Qt::ImAnchorPosition:
        return anchor;
    case Qt::ImSurroundingText:
        return content;
    case Qt::ImCurrentSelection:
        return selectedText();
    case Qt::ImMaximumTextLength:
        return maxChars;
    case Qt::ImHints:
        return static_cast<int>(Qt::ImhNoPredictiveText);
    default:
        return QWidget::inputMethodQuery(query);
    }
}

void PatternField::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        measureFont();
        scrollToCursor();
        updateGeometry();
        update();
    }
}

void PatternField::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    scrollToCursor();
}

QSize PatternField::sizeHint() const
{
    ensurePolished();
    const QFontMetrics fm(font());
    const QSize text(fm.horizontalAdvance(QLatin1Char('x')) * 17 + 2 * HorizontalMargin,
                     std::max(fm.height(), 14) + 2 * VerticalMargin);
    QStyleOptionFrame option;
    initFrameOption(&option);
    return style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, this);
}

QSize PatternField::minimumSizeHint() const
{
    ensurePolished();
    const QFontMetrics fm(font());
    const QSize text(fm.maxWidth() + 2 * HorizontalMargin, std::max(fm.height(), 14) + 2 * VerticalMargin);
    QStyleOptionFrame option;
    initFrameOption(&option);
    return style()->sizeFromContents(QStyle::CT_LineEdit, &option, text, this);
}
