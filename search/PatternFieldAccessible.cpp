#include "search/PatternFieldAccessible.h"

#include "search/PatternField.h"

#include <algorithm>

namespace search {

PatternFieldAccessible::PatternFieldAccessible(PatternField* field) : QAccessibleWidget(field, QAccessible::EditableText)
{
}

QAccessibleInterface* PatternFieldAccessible::create(const QString&, QObject* object)
{
    if (auto* field = qobject_cast<PatternField*>(object))
        return new PatternFieldAccessible(field);
    return nullptr;
}

PatternField* PatternFieldAccessible::field() const { return static_cast<PatternField*>(widget()); }

QString PatternFieldAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return field()->text();
    return QAccessibleWidget::text(t);
}

QAccessible::State PatternFieldAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = true;
    state.selectableText = true;
    return state;
}

void* PatternFieldAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (t == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(t);
}

void PatternFieldAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0 || !field()->hasSelectedText())
        return;
    *startOffset = field()->line.selectionStart();
    *endOffset = field()->line.selectionEnd();
}

int PatternFieldAccessible::selectionCount() const { return field()->hasSelectedText() ? 1 : 0; }

void PatternFieldAccessible::addSelection(int startOffset, int endOffset) { setSelection(0, startOffset, endOffset); }

void PatternFieldAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        field()->deselect();
}

void PatternFieldAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        field()->setSelection(startOffset, endOffset);
}

int PatternFieldAccessible::cursorPosition() const { return field()->cursorPosition(); }

void PatternFieldAccessible::setCursorPosition(int position) { field()->setCursorPosition(position); }

QString PatternFieldAccessible::text(int startOffset, int endOffset) const
{
    const QString& text = field()->text();
    const int size = static_cast<int>(text.size());
    startOffset = std::clamp(startOffset, 0, size);
    endOffset = endOffset < 0 ? size : std::clamp(endOffset, startOffset, size);
    return text.mid(startOffset, endOffset - startOffset);
}

int PatternFieldAccessible::characterCount() const { return static_cast<int>(field()->text().size()); }

// Only characters in view have a place on the screen.
QRect PatternFieldAccessible::characterRect(int offset) const
{
    PatternField* f = field();
    const int size = characterCount();
    if (offset < f->firstVisible || offset >= size)
        return QRect();
    const QRect area = f->textArea();
    const qreal left = f->xOf(offset);
    if (left > area.width())
        return QRect();
    int length = 0;
    const qreal width = f->advanceAt(offset, &length);
    const QRect local(static_cast<int>(area.left() + left), area.top(), std::max(1, static_cast<int>(width)), area.height());
    return QRect(f->mapToGlobal(local.topLeft()), local.size());
}

int PatternFieldAccessible::offsetAtPoint(const QPoint& point) const
{
    PatternField* f = field();
    const QPoint local = f->mapFromGlobal(point);
    if (!f->rect().contains(local))
        return -1;
    return f->positionAt(local.x() - f->textArea().left());
}

void PatternFieldAccessible::scrollToSubstring(int startIndex, int)
{
    field()->setCursorPosition(startIndex);
}

QString PatternFieldAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    // One run without attributes.
    *startOffset = 0;
    *endOffset = std::max(offset, characterCount());
    return QString();
}

void PatternFieldAccessible::deleteText(int startOffset, int endOffset) { replaceText(startOffset, endOffset, QString()); }

void PatternFieldAccessible::insertText(int offset, const QString& text) { replaceText(offset, offset, text); }

// As typed: through the limit and into undo.
void PatternFieldAccessible::replaceText(int startOffset, int endOffset, const QString& text)
{
    field()->setSelection(startOffset, endOffset);
    field()->insert(text);
}

} // namespace search
