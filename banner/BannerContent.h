#pragma once

// Banner items come from the network: what of them may reach the view, how their
// bytes are read, and how many pixels their pictures may take.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace banner {

// Bounds on one item (or one fetched page) beyond which the view would stall.
struct ContentCaps {
    std::size_t bytes;       // the whole text, pictures included
    std::size_t layoutBytes; // the text outside data: addresses, which the view lays out
    int elements;            // start tags
    int depth;               // elements open at once
    int tableDepth;          // tables open at once
    std::int64_t cells;      // table cells, each table counted as rows x widest row
    std::size_t word;        // characters of text with no space between them
    std::int64_t length;     // any number written in the markup: sizes, widths, spacing
    std::int64_t fontSize;   // a font size in pixels or points (1em and 100% taken as 16)
};

inline constexpr ContentCaps ItemCaps{
    64 * 1024, // bytes
    4 * 1024,  // layoutBytes
    384,       // elements
    32,        // depth
    2,         // tableDepth
    160,       // cells
    1000,      // word
    2048,      // length
    160,       // fontSize
};

enum class Refusal { None, Size, Elements, Depth, TableDepth, Cells, Word, Length, FontSize };

// Judges an item's HTML against the caps; None when it may be shown. The scan errs
// on the side of refusing: it counts every element left open, ignores quotes when
// it looks for a tag's end and lets no tag break a word.
Refusal JudgeContent(std::string_view html, const ContentCaps& caps = ItemCaps);

// The text of an item's bytes read as UTF-8, each bad sequence replaced by U+FFFD.
// A charset named inside the item changes nothing.
QString DecodeContent(QByteArrayView bytes);

// The bytes a data: address carries (base64 or percent-encoded), or nothing when
// the address is not a well-formed data: address.
std::optional<QByteArray> DataUrlPayload(QByteArrayView address);

// The pixels that one page's pictures may decode to, in all.
class PixelBudget {
public:
    static constexpr std::int64_t PerPage = 1'000'000;

    explicit PixelBudget(std::int64_t pixels = PerPage) : total(pixels), left(pixels) {}
    // Takes width x height from what is left; false, taking nothing, when it does not fit.
    bool take(std::int64_t width, std::int64_t height);
    void refill() { left = total; }

private:
    std::int64_t total;
    std::int64_t left;
};

} // namespace banner
