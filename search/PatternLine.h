#pragma once

// The editing model behind the find dialog's pattern fields: the text, the cursor
// and the selection, word and character motion, the edits with their limit, and
// undo and redo grouped as a line edit groups them. No widgets: the field maps keys,
// mouse and input methods onto these calls and draws the result.

#include <QString>
#include <Qt>

#include <cstdint>
#include <deque>

namespace search {

class PatternLine {
public:
    // What an edit did: refused means it would have taken the text past its limit
    // and changed nothing.
    enum class Edit { Unchanged, Changed, Refused };

    const QString& text() const { return content; }
    // Replaces the whole text, the cursor at its end; not an edit: no undo, no limit.
    void setText(const QString& text);

    int limit() const { return maxChars; }
    void setLimit(int chars) { maxChars = chars; }

    int cursor() const { return cursorAt; }
    // The other end of the selection; the cursor when nothing is selected.
    int anchor() const;
    bool hasSelection() const { return !content.isEmpty() && selEnd > selStart; }
    int selectionStart() const { return hasSelection() ? selStart : cursorAt; }
    int selectionEnd() const { return hasSelection() ? selEnd : cursorAt; }
    QString selectedText() const;

    // Moves the cursor; with mark the selection stretches from its anchor.
    void moveCursor(int position, bool mark);
    // Selects from anchor to cursor, both clamped to the text.
    void setSelection(int anchor, int cursor);
    void selectAll();
    void deselect();

    // Cursor positions one character or one word away; a surrogate pair is one character.
    int nextChar(int position) const;
    int previousChar(int position) const;
    int nextWord(int position) const;
    int previousWord(int position) const;
    // The word (or run of spaces) around a position, as a double click selects it.
    void selectWordAt(int position);

    // Edits as the user makes them: the selection gives way, the limit holds.
    Edit insert(const QString& text);
    Edit backspace();
    Edit del();
    // The selection stretched from its anchor, or from the cursor, to the previous
    // (next) word's start, then deleted.
    Edit deleteWordBefore();
    Edit deleteWordAfter();
    // A paste: its own undo step, whatever was typed before or after.
    Edit paste(const QString& text);

    bool isUndoAvailable() const { return undoState > 0; }
    bool isRedoAvailable() const { return undoState < history.size(); }
    Edit undo();
    Edit redo();

    // A printable key press that a line edit takes as text: printable, or a format
    // character, or Ctrl with Alt (AltGr on some keyboards).
    static bool isTyping(const QString& text, Qt::KeyboardModifiers modifiers);

private:
    // One character's change, or a mark in the history. Undo takes back a run of
    // entries of one kind at once: typed characters until the cursor moved or the
    // kind of edit changed, a replaced selection with what replaced it.
    enum class Kind : std::uint8_t { Separator, Insert, Backspaced, Deleted, RemovedSelection, DeletedSelection, Selection };
    struct Entry {
        Kind kind;
        char16_t c;
        int position;
        int selStart;
        int selEnd;
    };

    void record(Entry entry);
    void separate() { separatorDue = true; }
    void trimHistory();
    void removeSelected();
    void insertText(const QString& text);
    void deleteOne(bool before);
    Edit finish(bool changed);
    bool fits(qsizetype removed, qsizetype inserted) const;

    QString content;
    int cursorAt = 0;
    int selStart = 0;
    int selEnd = 0;
    int maxChars = 32767;

    std::deque<Entry> history;
    size_t undoState = 0; // entries before it are done, those from it on can be redone
    size_t separators = 0; // Separator entries in history
    bool separatorDue = false;
};

} // namespace search
