#include "search/PatternField.h"

#include "search/PatternFieldAccessible.h"

#include <QAccessible>
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

namespace search {

namespace {

// Space between the frame's inside and the text, as a line edit keeps it.
constexpr int HorizontalMargin = 2;
constexpr int VerticalMargin = 1;
// At most this many characters are laid out for one paint (a run of characters
// without width could otherwise hold the whole text).
constexpr int MaxDrawnChars = 4096;

bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c < 0xA0); }

// What a key does to the field.
enum class KeyAction {
    Undo,
    Redo,
    SelectAll,
    Copy,
    Paste,
    Cut,
    DeleteToEnd,
    Home,
    End,
    SelectHome,
    SelectEnd,
    NextChar,
    SelectNextChar,
    PreviousChar,
    SelectPreviousChar,
    NextWord,
    PreviousWord,
    SelectNextWord,
    SelectPreviousWord,
    Delete,
    DeleteWordAfter,
    DeleteWordBefore,
    DeleteAll,
    Backspace,
    Ignore, // kept from the window's shortcuts, left to the dialog
};

// A row of the key table: a standard key, or a key with Ctrl held or not held.
struct KeyRow {
    QKeySequence::StandardKey standard;
    Qt::Key key;
    enum Ctrl : char { Any, Held, NotHeld } ctrl;
    KeyAction action;

    bool matches(QKeyEvent* event) const
    {
        if (standard != QKeySequence::UnknownKey)
            return event->matches(standard);
        if (event->key() != key)
            return false;
        const bool held = event->modifiers() & Qt::ControlModifier;
        return ctrl == Any || (ctrl == Held) == held;
    }
};

constexpr KeyRow Standard(QKeySequence::StandardKey standard, KeyAction action)
{
    return KeyRow{standard, Qt::Key_unknown, KeyRow::Any, action};
}

// The field's keys, first match wins, in the order a line edit tries them. Both the
// shortcut override (a key here is the field's, not the window's) and the key
// handler read this table; a printable key press that matches no row is typed.
constexpr KeyRow KeyTable[] = {
    Standard(QKeySequence::Undo, KeyAction::Undo),
    Standard(QKeySequence::Redo, KeyAction::Redo),
    Standard(QKeySequence::SelectAll, KeyAction::SelectAll),
    Standard(QKeySequence::Copy, KeyAction::Copy),
    Standard(QKeySequence::Paste, KeyAction::Paste),
    Standard(QKeySequence::Cut, KeyAction::Cut),
    Standard(QKeySequence::DeleteEndOfLine, KeyAction::DeleteToEnd),
    Standard(QKeySequence::MoveToStartOfLine, KeyAction::Home),
    Standard(QKeySequence::MoveToStartOfBlock, KeyAction::Home),
    Standard(QKeySequence::MoveToEndOfLine, KeyAction::End),
    Standard(QKeySequence::MoveToEndOfBlock, KeyAction::End),
    Standard(QKeySequence::SelectStartOfLine, KeyAction::SelectHome),
    Standard(QKeySequence::SelectStartOfBlock, KeyAction::SelectHome),
    Standard(QKeySequence::SelectEndOfLine, KeyAction::SelectEnd),
    Standard(QKeySequence::SelectEndOfBlock, KeyAction::SelectEnd),
    Standard(QKeySequence::MoveToNextChar, KeyAction::NextChar),
    Standard(QKeySequence::SelectNextChar, KeyAction::SelectNextChar),
    Standard(QKeySequence::MoveToPreviousChar, KeyAction::PreviousChar),
    Standard(QKeySequence::SelectPreviousChar, KeyAction::SelectPreviousChar),
    Standard(QKeySequence::MoveToNextWord, KeyAction::NextWord),
    Standard(QKeySequence::MoveToPreviousWord, KeyAction::PreviousWord),
    Standard(QKeySequence::SelectNextWord, KeyAction::SelectNextWord),
    Standard(QKeySequence::SelectPreviousWord, KeyAction::SelectPreviousWord),
    Standard(QKeySequence::Delete, KeyAction::Delete),
    Standard(QKeySequence::DeleteEndOfWord, KeyAction::DeleteWordAfter),
    Standard(QKeySequence::DeleteStartOfWord, KeyAction::DeleteWordBefore),
    Standard(QKeySequence::DeleteCompleteLine, KeyAction::DeleteAll),
    KeyRow{QKeySequence::UnknownKey, Qt::Key_Backspace, KeyRow::Held, KeyAction::DeleteWordBefore},
    KeyRow{QKeySequence::UnknownKey, Qt::Key_Backspace, KeyRow::NotHeld, KeyAction::Backspace},
    // A line edit moves nowhere on these, but keeps them from the window.
    Standard(QKeySequence::MoveToStartOfDocument, KeyAction::Ignore),
    Standard(QKeySequence::MoveToEndOfDocument, KeyAction::Ignore),
    Standard(QKeySequence::SelectStartOfDocument, KeyAction::Ignore),
    Standard(QKeySequence::SelectEndOfDocument, KeyAction::Ignore),
};

const KeyRow* FindKey(QKeyEvent* event)
{
    for (const KeyRow& row : KeyTable)
        if (row.matches(event))
            return &row;
    return nullptr;
}

bool X11Keys() { return X11KeysSeam(); }

QString MenuCaption(const char* caption, QKeySequence::StandardKey key)
{
    const QString keys = QKeySequence(key).toString(QKeySequence::NativeText);
    QString text = QString::fromLatin1(caption);
    return keys.isEmpty() ? text : text + QLatin1Char('\t') + keys;
}

} // namespace

// Read from the bindings the platform gives: only X11-like desktops delete a whole
// line with a key.
util::Seam<bool()> X11KeysSeam{[] {
    static const bool x11 = !QKeySequence::keyBindings(QKeySequence::DeleteCompleteLine).isEmpty();
    return x11;
}};

util::Seam<bool()> AccessibilityActiveSeam{[] { return QAccessible::isActive(); }};
util::Seam<void(QAccessibleEvent*)> AccessibilityUpdateSeam{
    [](QAccessibleEvent* event) { QAccessible::updateAccessibility(event); }};

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
    // Qt asks the factory only when an accessibility client does.
    static const bool accessible = (QAccessible::installFactory(&PatternFieldAccessible::create), true);
    Q_UNUSED(accessible);
}

PatternField::~PatternField() = default;

void PatternField::setText(const QString& text)
{
    const QString before = line.text();
    const int cursorBefore = line.cursor();
    const bool selectionBefore = line.hasSelection();
    line.setText(text);
    if (firstVisible > line.cursor())
        firstVisible = 0;
    scrollToCursor();
    update();
    if (before != text) {
        notifyAccessibility(before, cursorBefore, selectionBefore);
        emit textChanged(text);
    }
}

void PatternField::setLimit(int chars, std::function<void()> refused_)
{
    line.setLimit(chars);
    refused = std::move(refused_);
}

void PatternField::setCursorPosition(int position) { moveCursor(position, false); }

void PatternField::selectAll()
{
    const int cursorBefore = line.cursor();
    const bool selectionBefore = line.hasSelection();
    line.selectAll();
    scrollToCursor();
    update();
    setPrimarySelection();
    notifyAccessibility(line.text(), cursorBefore, selectionBefore);
}

void PatternField::deselect()
{
    const bool selectionBefore = line.hasSelection();
    line.deselect();
    update();
    notifyAccessibility(line.text(), line.cursor(), selectionBefore);
}

void PatternField::setSelection(int anchor, int cursor)
{
    const int cursorBefore = line.cursor();
    const bool selectionBefore = line.hasSelection();
    line.setSelection(anchor, cursor);
    scrollToCursor();
    update();
    notifyAccessibility(line.text(), cursorBefore, selectionBefore);
}

void PatternField::moveCursor(int position, bool mark)
{
    const int cursorBefore = line.cursor();
    const bool selectionBefore = line.hasSelection();
    line.moveCursor(position, mark);
    scrollToCursor();
    restartBlink();
    update();
    notifyAccessibility(line.text(), cursorBefore, selectionBefore);
}

void PatternField::took(PatternLine::Edit edit)
{
    if (edit == PatternLine::Edit::Refused) {
        if (refused)
            refused();
        return;
    }
    scrollToCursor();
    restartBlink();
    update();
    if (edit == PatternLine::Edit::Changed) {
        emit textEdited(line.text());
        emit textChanged(line.text());
    }
}

template <typename Change>
void PatternField::change(Change&& edit)
{
    const QString before = AccessibilityActiveSeam() ? line.text() : QString();
    const int cursorBefore = line.cursor();
    const bool selectionBefore = line.hasSelection();
    took(edit(line));
    notifyAccessibility(before, cursorBefore, selectionBefore);
}

void PatternField::insert(const QString& text) { change([&](PatternLine& l) { return l.insert(text); }); }

void PatternField::del() { change([&](PatternLine& l) { return l.del(); }); }

void PatternField::backspace() { change([&](PatternLine& l) { return l.backspace(); }); }

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

void PatternField::paste() { change([&](PatternLine& l) { return l.paste(QGuiApplication::clipboard()->text()); }); }

void PatternField::undo() { change([&](PatternLine& l) { return l.undo(); }); }

void PatternField::redo() { change([&](PatternLine& l) { return l.redo(); }); }

// Screen readers hear of changes only while one listens: the events cost nothing otherwise.
void PatternField::notifyAccessibility(const QString& before, int cursorBefore, bool selectionBefore) const
{
    if (!AccessibilityActiveSeam())
        return;
    QObject* self = const_cast<PatternField*>(this);
    const QString& now = line.text();
    if (before != now) {
        // The changed middle: what the two texts do not share at either end.
        qsizetype head = 0;
        const qsizetype shorter = std::min(before.size(), now.size());
        while (head < shorter && before[head] == now[head])
            ++head;
        qsizetype tail = 0;
        while (tail < shorter - head && before[before.size() - 1 - tail] == now[now.size() - 1 - tail])
            ++tail;
        const QString removed = before.mid(head, before.size() - head - tail);
        const QString inserted = now.mid(head, now.size() - head - tail);
        const int at = static_cast<int>(head);
        if (removed.isEmpty()) {
            QAccessibleTextInsertEvent event(self, at, inserted);
            event.setCursorPosition(line.cursor());
            AccessibilityUpdateSeam(&event);
        } else if (inserted.isEmpty()) {
            QAccessibleTextRemoveEvent event(self, at, removed);
            event.setCursorPosition(line.cursor());
            AccessibilityUpdateSeam(&event);
        } else {
            QAccessibleTextUpdateEvent event(self, at, removed, inserted);
            event.setCursorPosition(line.cursor());
            AccessibilityUpdateSeam(&event);
        }
    }
    if (line.hasSelection() || selectionBefore) {
        QAccessibleTextSelectionEvent event(self, line.selectionStart(), line.selectionEnd());
        event.setCursorPosition(line.cursor());
        AccessibilityUpdateSeam(&event);
    } else if (line.cursor() != cursorBefore) {
        QAccessibleTextCursorEvent event(self, line.cursor());
        AccessibilityUpdateSeam(&event);
    }
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
    add("Select All", QKeySequence::SelectAll, line.selectionEnd() - line.selectionStart() < line.text().size(),
        [this] { selectAll(); });
    return menu;
}

// Carries out the key's row of the table; false for a key the field leaves to the dialog.
bool PatternField::runKey(QKeyEvent* event)
{
    const KeyRow* row = FindKey(event);
    if (!row) {
        if (!PatternLine::isTyping(event->text(), event->modifiers()))
            return false;
        insert(event->text());
        return true;
    }
    const int cursor = line.cursor();
    const int size = static_cast<int>(line.text().size());
    switch (row->action) {
    case KeyAction::Undo: undo(); break;
    case KeyAction::Redo: redo(); break;
    case KeyAction::SelectAll: selectAll(); break;
    case KeyAction::Copy: copy(); break;
    case KeyAction::Paste: {
        // Ctrl+Shift+Insert on X11 pastes what is selected anywhere.
        const bool selection = X11Keys() && event->key() == Qt::Key_Insert
                               && event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier);
        const QString text = QGuiApplication::clipboard()->text(selection ? QClipboard::Selection : QClipboard::Clipboard);
        change([&](PatternLine& l) { return l.paste(text); });
        break;
    }
    case KeyAction::Cut: cut(); break;
    case KeyAction::DeleteToEnd:
        line.setSelection(cursor, size);
        copy();
        del();
        break;
    case KeyAction::DeleteAll:
        line.setSelection(0, size);
        copy();
        del();
        break;
    case KeyAction::Home: moveCursor(0, false); break;
    case KeyAction::End: moveCursor(size, false); break;
    case KeyAction::SelectHome: moveCursor(0, true); break;
    case KeyAction::SelectEnd: moveCursor(size, true); break;
    case KeyAction::NextChar:
        moveCursor(hasSelectedText() && X11Keys() ? line.selectionEnd() : line.nextChar(cursor), false);
        break;
    case KeyAction::PreviousChar:
        moveCursor(hasSelectedText() && X11Keys() ? line.selectionStart() : line.previousChar(cursor), false);
        break;
    case KeyAction::SelectNextChar: moveCursor(line.nextChar(cursor), true); break;
    case KeyAction::SelectPreviousChar: moveCursor(line.previousChar(cursor), true); break;
    case KeyAction::NextWord: moveCursor(line.nextWord(cursor), false); break;
    case KeyAction::PreviousWord: moveCursor(line.previousWord(cursor), false); break;
    case KeyAction::SelectNextWord: moveCursor(line.nextWord(cursor), true); break;
    case KeyAction::SelectPreviousWord: moveCursor(line.previousWord(cursor), true); break;
    case KeyAction::Delete: del(); break;
    case KeyAction::DeleteWordAfter: change([&](PatternLine& l) { return l.deleteWordAfter(); }); break;
    case KeyAction::DeleteWordBefore: change([&](PatternLine& l) { return l.deleteWordBefore(); }); break;
    case KeyAction::Backspace: backspace(); break;
    case KeyAction::Ignore: return false;
    }
    return true;
}

bool PatternField::event(QEvent* event)
{
    // The table's keys and typing belong to the field, not to a shortcut of the window.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (FindKey(key) || PatternLine::isTyping(key->text(), key->modifiers())) {
            event->accept();
            return true;
        }
    }
    return QWidget::event(event);
}

void PatternField::keyPressEvent(QKeyEvent* event)
{
    if (!runKey(event)) {
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
    const QString& content = line.text();
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
    const QString& content = line.text();
    const int size = static_cast<int>(content.size());
    const int cursor = line.cursor();
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
                const int before = line.previousChar(firstVisible);
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
        const int before = line.previousChar(firstVisible);
        used += advanceAt(before, &length);
        if (used > width)
            break;
        firstVisible = before;
    }
}

// The position nearest to x, a distance from the text area's left edge, among those in view.
int PatternField::positionAt(int x) const
{
    const QString& content = line.text();
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
    const QString& content = line.text();
    const int size = static_cast<int>(content.size());
    const int cursor = line.cursor();
    const int from = line.selectionStart();
    const int to = line.selectionEnd();
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
    moveCursor(x < 0 && firstVisible > 0 ? line.previousChar(firstVisible) : positionAt(x), true);
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
    const int cursorBefore = line.cursor();
    const bool selectionBefore = line.hasSelection();
    line.selectWordAt(positionAt(event->position().toPoint().x() - textArea().left()));
    scrollToCursor();
    restartBlink();
    update();
    notifyAccessibility(line.text(), cursorBefore, selectionBefore);
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
        const int start = line.cursor() + event->replacementStart();
        line.setSelection(start, start + event->replacementLength());
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
        return QRectF(area.left() + xOf(std::max(line.cursor(), firstVisible)), area.top(), 1, area.height());
    }
    case Qt::ImCursorPosition:
        return line.cursor();
    case Qt::ImAnchorPosition:
        return line.anchor();
    case Qt::ImSurroundingText:
        return line.text();
    case Qt::ImCurrentSelection:
        return selectedText();
    case Qt::ImMaximumTextLength:
        return line.limit();
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

} // namespace search
