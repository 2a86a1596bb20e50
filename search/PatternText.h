#pragma once

// How the find dialog's two fields follow each other: the pattern as hex text
// and the same bytes as characters, one character per byte, in the character set
// the page's TEXT column draws.

#include <QString>

#include <string>

namespace search {

// An edit of the hex field: whether the hex text is a pattern (empty counts as
// one), and the text field's new text: each byte as the page draws it, "." for
// each byte that is not printable.
struct HexFollow {
    bool valid = true;
    QString text;
};
HexFollow FollowHexText(const QString& hex);

// An edit of the text field: whether every character is one the page shows, and
// the hex field's new text, two upper-case digits per byte; empty when a
// character is no byte.
struct TextFollow {
    bool valid = true;
    QString hex;
};
TextFollow FollowText(const QString& text);

// The hex field's text as the search takes it, one byte per character; a
// character that is no byte becomes one that no pattern text allows.
std::string PatternText(const QString& hex);

} // namespace search
