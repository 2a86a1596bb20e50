#include "search/PatternLine.h"

#include <algorithm>

namespace search {

namespace {

// Undo keeps at most this many steps (runs between cursor moves), and at most this
// many changed characters in them.
constexpr size_t MaxUndoSteps = 1000;
constexpr size_t MaxUndoChars = size_t(1) << 20;

// Spaces for word motion: what a line edit draws as a space, tabs and no-break spaces.
bool IsSpace(char16_t c)
{
    return c <= 0x20 || c == 0xA0 || c == 0x2028 || c == 0x2029;
}

// Punctuation that ends a word and forms words of its own.
bool IsSeparator(char16_t c)
{
    switch (c) {
    case u'.': case u',': case u'?': case u'!': case u'@': case u'#': case u'$': case u':':
    case u';': case u'-': case u'<': case u'>': case u'[': case u']': case u'(': case u')':
    case u'{': case u'}': case u'=': case u'/': case u'+': case u'%': case u'&': case u'^':
    case u'*': case u'\'': case u'"': case u'`': case u'~': case u'|':
        return true;
    default:
        return false;
    }
}

// Collects single-character changes made one after another and applies each run of
// neighbours as one replace, so that undoing a long paste costs one move of the text.
class Splicer {
public:
    explicit Splicer(QString& target) : text(target) {}
    ~Splicer() { flush(); }

    void insert(int position, QChar c)
    {
        if (removing)
            flush();
        const int end = from + static_cast<int>(pending.size());
        if (!pending.isEmpty() && position >= from && position <= end) {
            pending.insert(position - from, c);
            return;
        }
        flush();
        from = position;
        pending = c;
    }

    void remove(int position)
    {
        if (!removing)
            flush();
        if (removing && position == from - 1) {
            --from;
            ++count;
            return;
        }
        if (removing && position == from) {
            ++count;
            return;
        }
        flush();
        removing = true;
        from = position;
        count = 1;
    }

    void flush()
    {
        if (removing)
            text.remove(from, count);
        else if (!pending.isEmpty())
            text.insert(from, pending);
        removing = false;
        pending.clear();
        count = 0;
    }

private:
    QString& text;
    bool removing = false;
    int from = 0;
    int count = 0;
    QString pending;
};

} // namespace

void PatternLine::setText(const QString& text)
{
    content = text;
    cursorAt = static_cast<int>(content.size());
    selStart = selEnd = 0;
    history.clear();
    undoState = 0;
    separators = 0;
    separatorDue = false;
}

int PatternLine::anchor() const
{
    if (!hasSelection())
        return cursorAt;
    return cursorAt == selStart ? selEnd : selStart;
}

QString PatternLine::selectedText() const
{
    return hasSelection() ? content.mid(selStart, selEnd - selStart) : QString();
}

void PatternLine::moveCursor(int position, bool mark)
{
    position = std::clamp(position, 0, static_cast<int>(content.size()));
    if (position != cursorAt)
        separate();
    if (mark) {
        const int from = anchor();
        selStart = std::min(from, position);
        selEnd = std::max(from, position);
    } else {
        selStart = selEnd = 0;
    }
    cursorAt = position;
}

void PatternLine::setSelection(int anchorAt, int cursorTo)
{
    const int size = static_cast<int>(content.size());
    anchorAt = std::clamp(anchorAt, 0, size);
    cursorTo = std::clamp(cursorTo, 0, size);
    selStart = std::min(anchorAt, cursorTo);
    selEnd = std::max(anchorAt, cursorTo);
    if (selStart == selEnd)
        selStart = selEnd = 0;
    cursorAt = cursorTo;
}

void PatternLine::selectAll()
{
    selStart = 0;
    selEnd = static_cast<int>(content.size());
    cursorAt = selEnd;
}

void PatternLine::deselect() { selStart = selEnd = 0; }

int PatternLine::nextChar(int position) const
{
    const int size = static_cast<int>(content.size());
    if (position >= size)
        return size;
    ++position;
    if (position < size && content[position].isLowSurrogate() && content[position - 1].isHighSurrogate())
        ++position;
    return position;
}

int PatternLine::previousChar(int position) const
{
    if (position <= 0)
        return 0;
    --position;
    if (position > 0 && content[position].isLowSurrogate() && content[position - 1].isHighSurrogate())
        --position;
    return position;
}

int PatternLine::nextWord(int position) const
{
    const int size = static_cast<int>(content.size());
    const auto at = [this](int i) { return content[i].unicode(); };
    if (position < 0 || position >= size)
        return std::clamp(position, 0, size);
    if (IsSeparator(at(position))) {
        while (position < size && IsSeparator(at(position)))
            ++position;
    } else {
        while (position < size && !IsSpace(at(position)) && !IsSeparator(at(position)))
            ++position;
    }
    while (position < size && IsSpace(at(position)))
        ++position;
    return position;
}

int PatternLine::previousWord(int position) const
{
    const auto at = [this](int i) { return content[i].unicode(); };
    position = std::clamp(position, 0, static_cast<int>(content.size()));
    while (position > 0 && IsSpace(at(position - 1)))
        --position;
    if (position > 0 && IsSeparator(at(position - 1))) {
        while (position > 0 && IsSeparator(at(position - 1)))
            --position;
    } else {
        while (position > 0 && !IsSpace(at(position - 1)) && !IsSeparator(at(position - 1)))
            --position;
    }
    return position;
}

void PatternLine::selectWordAt(int position)
{
    const int size = static_cast<int>(content.size());
    position = std::clamp(position, 0, size);
    const int start = previousWord(std::min(position + 1, size));
    moveCursor(start, false);
    int end = nextWord(start);
    while (end > position && QChar(content[end - 1]).isSpace())
        --end;
    moveCursor(end, true);
}

bool PatternLine::fits(qsizetype removed, qsizetype inserted) const
{
    const qsizetype newSize = content.size() - removed + inserted;
    return newSize <= maxChars || newSize <= content.size();
}

void PatternLine::record(Entry entry)
{
    while (history.size() > undoState) {
        separators -= history.back().kind == Kind::Separator;
        history.pop_back();
    }
    if (separatorDue && undoState > 0 && history.back().kind != Kind::Separator) {
        history.push_back(Entry{Kind::Separator, 0, cursorAt, selStart, selEnd});
        ++separators;
    }
    separatorDue = false;
    history.push_back(entry);
    undoState = history.size();
}

// Forgets the oldest steps, whole, while the history holds more than its caps.
void PatternLine::trimHistory()
{
    while ((separators > MaxUndoSteps || history.size() > MaxUndoChars) && separators > 0) {
        size_t dropped = 1;
        while (history.front().kind != Kind::Separator) {
            history.pop_front();
            ++dropped;
        }
        history.pop_front();
        --separators;
        undoState -= std::min(undoState, dropped);
    }
}

void PatternLine::removeSelected()
{
    if (!(selStart < selEnd && selEnd <= content.size()))
        return;
    separate();
    record(Entry{Kind::Selection, 0, cursorAt, selStart, selEnd});
    if (selStart <= cursorAt && cursorAt < selEnd) {
        // Taken apart at the cursor, so that undo puts the cursor back where it was.
        for (int i = cursorAt; i >= selStart; --i)
            record(Entry{Kind::DeletedSelection, content[i].unicode(), i, 0, 0});
        for (int i = selEnd - 1; i > cursorAt; --i)
            record(Entry{Kind::DeletedSelection, content[i].unicode(), i - cursorAt + selStart - 1, 0, 0});
    } else {
        for (int i = selEnd - 1; i >= selStart; --i)
            record(Entry{Kind::RemovedSelection, content[i].unicode(), i, 0, 0});
    }
    content.remove(selStart, selEnd - selStart);
    if (cursorAt > selStart)
        cursorAt -= std::min(cursorAt, selEnd) - selStart;
    selStart = selEnd = 0;
}

void PatternLine::insertText(const QString& text)
{
    content.insert(cursorAt, text);
    for (const QChar c : text)
        record(Entry{Kind::Insert, c.unicode(), cursorAt++, 0, 0});
}

void PatternLine::deleteOne(bool before)
{
    if (cursorAt >= content.size())
        return;
    record(Entry{before ? Kind::Backspaced : Kind::Deleted, content[cursorAt].unicode(), cursorAt, 0, 0});
    content.remove(cursorAt, 1);
}

PatternLine::Edit PatternLine::finish(bool changed)
{
    trimHistory();
    return changed ? Edit::Changed : Edit::Unchanged;
}

PatternLine::Edit PatternLine::insert(const QString& text)
{
    const qsizetype removed = hasSelection() ? selEnd - selStart : 0;
    if (!fits(removed, text.size()))
        return Edit::Refused;
    removeSelected();
    insertText(text);
    return finish(removed > 0 || !text.isEmpty());
}

PatternLine::Edit PatternLine::paste(const QString& text)
{
    if (text.isEmpty() && !hasSelection())
        return Edit::Unchanged;
    const qsizetype removed = hasSelection() ? selEnd - selStart : 0;
    if (!fits(removed, text.size()))
        return Edit::Refused;
    separate();
    const Edit result = insert(text);
    separate();
    return result;
}

PatternLine::Edit PatternLine::backspace()
{
    if (hasSelection()) {
        removeSelected();
        return finish(true);
    }
    if (cursorAt == 0)
        return Edit::Unchanged;
    --cursorAt;
    if (cursorAt > 0 && content[cursorAt].isLowSurrogate() && content[cursorAt - 1].isHighSurrogate()) {
        deleteOne(true);
        --cursorAt;
    }
    deleteOne(true);
    return finish(true);
}

PatternLine::Edit PatternLine::del()
{
    if (hasSelection()) {
        removeSelected();
        return finish(true);
    }
    const int count = nextChar(cursorAt) - cursorAt;
    for (int i = 0; i < count; ++i)
        deleteOne(false);
    return finish(count > 0);
}

PatternLine::Edit PatternLine::deleteWordBefore()
{
    moveCursor(previousWord(cursorAt), true);
    // At the start of the text there is no word before: nothing to delete.
    return hasSelection() ? del() : Edit::Unchanged;
}

PatternLine::Edit PatternLine::deleteWordAfter()
{
    moveCursor(nextWord(cursorAt), true);
    return hasSelection() ? del() : Edit::Unchanged;
}

PatternLine::Edit PatternLine::undo()
{
    if (!isUndoAvailable())
        return Edit::Unchanged;
    const QString before = content;
    selStart = selEnd = 0;
    {
        Splicer splice(content);
        while (undoState > 0) {
            const Entry& entry = history[--undoState];
            switch (entry.kind) {
            case Kind::Separator:
                continue;
            case Kind::Insert:
                splice.remove(entry.position);
                cursorAt = entry.position;
                break;
            case Kind::Selection:
                selStart = entry.selStart;
                selEnd = entry.selEnd;
                cursorAt = entry.position;
                break;
            case Kind::Backspaced:
            case Kind::RemovedSelection:
                splice.insert(entry.position, QChar(entry.c));
                cursorAt = entry.position + 1;
                break;
            case Kind::Deleted:
            case Kind::DeletedSelection:
                splice.insert(entry.position, QChar(entry.c));
                cursorAt = entry.position;
                break;
            }
            if (undoState == 0)
                break;
            // A step ends where the kind of edit changes, or at a separator.
            const Kind next = history[undoState - 1].kind;
            if (next != entry.kind && next < Kind::RemovedSelection
                && (entry.kind < Kind::RemovedSelection || next == Kind::Separator))
                break;
        }
    }
    return content != before ? Edit::Changed : Edit::Unchanged;
}

PatternLine::Edit PatternLine::redo()
{
    if (!isRedoAvailable())
        return Edit::Unchanged;
    const QString before = content;
    selStart = selEnd = 0;
    {
        Splicer splice(content);
        while (undoState < history.size()) {
            const Entry& entry = history[undoState++];
            switch (entry.kind) {
            case Kind::Insert:
                splice.insert(entry.position, QChar(entry.c));
                cursorAt = entry.position + 1;
                break;
            case Kind::Separator:
            case Kind::Selection:
                selStart = entry.selStart;
                selEnd = entry.selEnd;
                cursorAt = entry.position;
                break;
            case Kind::Backspaced:
            case Kind::Deleted:
            case Kind::RemovedSelection:
            case Kind::DeletedSelection:
                splice.remove(entry.position);
                selStart = selEnd = 0;
                cursorAt = entry.position;
                break;
            }
            if (undoState == history.size())
                break;
            const Kind next = history[undoState].kind;
            if (next != entry.kind && entry.kind < Kind::RemovedSelection && next != Kind::Separator
                && (next < Kind::RemovedSelection || entry.kind == Kind::Separator))
                break;
        }
    }
    return content != before ? Edit::Changed : Edit::Unchanged;
}

bool PatternLine::isTyping(const QString& text, Qt::KeyboardModifiers modifiers)
{
    if (text.isEmpty())
        return false;
    const QChar c = text.front();
    if (c.category() == QChar::Other_Format)
        return true;
    // Ctrl alone is a command; Ctrl with Alt is AltGr on some keyboards.
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    if (c.isPrint() || c.category() == QChar::Other_PrivateUse)
        return true;
    return c.isHighSurrogate() && text.size() > 1 && text[1].isLowSurrogate();
}

} // namespace search
