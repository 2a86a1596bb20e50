#include "page/PageView.h"

#include "util/TextRules.h"
#include "util/Error.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

namespace page {

namespace {

constexpr int64_t Int64Max = std::numeric_limits<int64_t>::max();
constexpr int64_t Int64Min = std::numeric_limits<int64_t>::min();

// Offsets near the top of the 64-bit range must not wrap when a row or a screen is added.
int64_t SaturatingAdd(int64_t a, int64_t b)
{
    int64_t sum;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? Int64Max : Int64Min;
    return sum;
}

int64_t TruncToInt64(double value)
{
    // 2^63 is exactly representable; anything at or beyond it does not fit.
    constexpr double Limit = 9223372036854775808.0;
    if (!(value > -Limit))
        return Int64Min;
    if (value >= Limit)
        return Int64Max;
    return static_cast<int64_t>(value);
}

int TruncToScrollRange(double value)
{
    if (!(value > 0))
        return 0;
    if (value >= ScrollMax)
        return ScrollMax;
    return static_cast<int>(value);
}


// The IBM PC character set for the printable codes above 0x7F; codes that are never
// shown as characters (0xB0-0xDF, 0xFF) stay '.'.
constexpr std::array<char16_t, 128> HighGlyphs = [] {
    std::array<char16_t, 128> table{};
    for (auto& c : table)
        c = u'.';
    constexpr char16_t low[48] = {
        u'\u00C7', u'\u00FC', u'\u00E9', u'\u00E2', u'\u00E4', u'\u00E0', u'\u00E5', u'\u00E7',
        u'\u00EA', u'\u00EB', u'\u00E8', u'\u00EF', u'\u00EE', u'\u00EC', u'\u00C4', u'\u00C5',
        u'\u00C9', u'\u00E6', u'\u00C6', u'\u00F4', u'\u00F6', u'\u00F2', u'\u00FB', u'\u00F9',
        u'\u00FF', u'\u00D6', u'\u00DC', u'\u00A2', u'\u00A3', u'\u00A5', u'\u20A7', u'\u0192',
        u'\u00E1', u'\u00ED', u'\u00F3', u'\u00FA', u'\u00F1', u'\u00D1', u'\u00AA', u'\u00BA',
        u'\u00BF', u'\u2310', u'\u00AC', u'\u00BD', u'\u00BC', u'\u00A1', u'\u00AB', u'\u00BB',
    };
    constexpr char16_t high[31] = {
        u'\u03B1', u'\u00DF', u'\u0393', u'\u03C0', u'\u03A3', u'\u03C3', u'\u00B5', u'\u03C4',
        u'\u03A6', u'\u0398', u'\u03A9', u'\u03B4', u'\u221E', u'\u03C6', u'\u03B5', u'\u2229',
        u'\u2261', u'\u00B1', u'\u2265', u'\u2264', u'\u2320', u'\u2321', u'\u00F7', u'\u2248',
        u'\u00B0', u'\u2219', u'\u00B7', u'\u221A', u'\u207F', u'\u00B2', u'\u25A0',
    };
    for (int i = 0; i < 48; ++i)
        table[i] = low[i];
    for (int i = 0; i < 31; ++i)
        table[0x60 + i] = high[i];
    return table;
}();

} // namespace

GridLayout LayoutGrids(int W, int H, int areaWidth, int areaHeight)
{
    GridLayout layout;
    layout.bytesPerRow = std::max(MinBytesPerRow, (areaWidth - 18 * W - 8) / (3 * W + 6) - 1);
    layout.rowHeight = H + 2;
    layout.rows = std::max(1, areaHeight / layout.rowHeight - 1);
    layout.addressWidth = 18 * W;
    layout.hexWidth = 2 * W + 4;
    layout.textFixedWidth = 4;
    layout.textWidth = W + 2;
    layout.binGridWidth = layout.addressWidth + (layout.bytesPerRow + 1) * layout.hexWidth;
    return layout;
}

// One byte column's worth more than the columns need, as LayoutGrids keeps spare.
int MinimumAreaWidth(int W) { return 18 * W + 8 + (MinBytesPerRow + 1) * (3 * W + 6); }

int HexLabelLeft(int binGridLeft, int binGridWidth) { return binGridLeft + binGridWidth / 2; }

int TextLabelLeft(int textGridLeft, int textGridWidth, int labelWidth)
{
    return textGridLeft + textGridWidth / 2 - labelWidth / 2;
}

int64_t PageShape::CellAddress(int64_t topAddress, int row, int col) const
{
    const uint64_t a = static_cast<uint64_t>(row) * static_cast<uint64_t>(bytesPerRow) +
                       static_cast<uint64_t>(topAddress) + static_cast<uint64_t>(col > 0 ? col - 1 : 0);
    return static_cast<int64_t>(a);
}

ScrollBarState SyncScrollBar(const PageShape& shape, int64_t topAddress)
{
    ScrollBarState state;
    state.bytesPerUnit = static_cast<double>(shape.fileSize) / ScrollMax;
    state.position = TruncToScrollRange(static_cast<double>(topAddress) / state.bytesPerUnit);
    state.lineStep = TruncToScrollRange(shape.bytesPerRow / state.bytesPerUnit);
    state.pageStep = TruncToScrollRange(static_cast<double>(shape.BytesPerScreen()) / state.bytesPerUnit);
    return state;
}

int64_t Scroll(const PageShape& shape, int64_t topAddress, double bytesPerUnit, ScrollAction action,
               int position)
{
    if (shape.bytesPerRow <= 1)
        throw util::Error("assertion failure");
    const int64_t bpr = shape.bytesPerRow;
    int64_t t = topAddress;
    switch (action) {
    case ScrollAction::LineUp: t = SaturatingAdd(t, -bpr); break;
    case ScrollAction::LineDown: t = SaturatingAdd(t, bpr); break;
    case ScrollAction::PageUp: t = SaturatingAdd(t, -shape.BytesPerScreen()); break;
    case ScrollAction::PageDown: t = SaturatingAdd(t, shape.BytesPerScreen()); break;
    case ScrollAction::ThumbPosition:
    case ScrollAction::ThumbTrack: {
        // Whole rows toward the thumb's offset, stopping short of it.
        const int64_t d = TruncToInt64(position * bytesPerUnit - static_cast<double>(t));
        t = SaturatingAdd(t, bpr * (d / bpr));
        break;
    }
    case ScrollAction::Top: t = 0; break;
    case ScrollAction::Bottom: t = SaturatingAdd(t, bpr * ((shape.fileSize - t) / bpr)); break;
    case ScrollAction::EndScroll: break;
    }
    t = std::min(t, shape.MaxTopAddress());
    return std::max<int64_t>(t, 0);
}

int64_t Wheel(const PageShape& shape, int64_t topAddress, double bytesPerUnit, int notchesUp)
{
    const ScrollAction action = notchesUp > 0 ? ScrollAction::LineUp : ScrollAction::LineDown;
    const int64_t lines = int64_t{WheelRowsPerNotch} * std::abs(int64_t{notchesUp});
    for (int64_t i = 0; i < lines; ++i)
        topAddress = Scroll(shape, topAddress, bytesPerUnit, action, 0);
    return topAddress;
}

View MoveToAddress(const PageShape& shape, int64_t address)
{
    // Callers pass an offset inside the file; one outside is pulled to its nearest byte,
    // so the cursor never leaves the file.
    const int64_t a = std::clamp<int64_t>(address, 0, shape.fileSize - 1);
    return {shape.RowOfAddress(a) * shape.bytesPerRow, a};
}

KeyOutcome KeyDown(const PageShape& shape, View view, NavKey key, bool ctrl, double bytesPerUnit)
{
    const int64_t n = shape.fileSize;
    const int64_t bpr = shape.bytesPerRow;
    int64_t c = view.cursorAddress;
    switch (key) {
    case NavKey::Other: return {KeyOutcome::Ignored, view};
    case NavKey::PageUp: c = std::max<int64_t>(c - shape.BytesPerScreen(), 0); break;
    case NavKey::PageDown: c = std::min(SaturatingAdd(c, shape.BytesPerScreen()), n - 1); break;
    case NavKey::Home: c = ctrl ? 0 : shape.RowOfAddress(c) * bpr; break;
    case NavKey::End:
        c = ctrl ? n - 1 : std::min(SaturatingAdd(shape.RowOfAddress(c) * bpr, bpr) - 1, n - 1);
        break;
    case NavKey::Left:
        if (c > 0)
            --c;
        break;
    case NavKey::Right:
        if (c < n - 1)
            ++c;
        break;
    case NavKey::Up:
        if (ctrl) {
            view.topAddress = Scroll(shape, view.topAddress, bytesPerUnit, ScrollAction::LineUp, 0);
            return {KeyOutcome::Scrolled, view};
        }
        if (c >= bpr)
            c -= bpr;
        break;
    case NavKey::Down:
        if (ctrl) {
            view.topAddress = Scroll(shape, view.topAddress, bytesPerUnit, ScrollAction::LineDown, 0);
            return {KeyOutcome::Scrolled, view};
        }
        if (c < n - bpr)
            c += bpr;
        break;
    }
    // Follow the cursor: above the view its row comes first, below it its row comes last.
    if (c < view.topAddress)
        return {KeyOutcome::MovedUp, MoveToAddress(shape, c)};
    view.cursorAddress = c;
    if (c - view.topAddress >= shape.BytesPerScreen())
        view.topAddress = (shape.RowOfAddress(c) - shape.rows + 1) * bpr;
    return {KeyOutcome::Moved, view};
}

bool CanSelect(const PageShape& shape, int64_t topAddress, int row, int col)
{
    return !shape.PastEnd(shape.CellAddress(topAddress, row, col));
}

bool CellText::operator==(const CellText& other) const
{
    return length == other.length && std::equal(chars.begin(), chars.begin() + length, other.chars.begin());
}

CellText AddressText(int64_t address)
{
    CellText text;
    const uint64_t a = static_cast<uint64_t>(address);
    for (int i = 0; i < 16; ++i) {
        const int at = i < 8 ? i : i + 1;
        text.chars[static_cast<size_t>(at)] = util::HexDigits[(a >> (60 - 4 * i)) & 0xF];
    }
    text.chars[8] = ' ';
    text.length = 17;
    return text;
}

CellText ByteText(uint8_t byte, bool hexGrid)
{
    CellText text;
    if (hexGrid) {
        text.chars[0] = util::HexDigits[byte >> 4];
        text.chars[1] = util::HexDigits[byte & 0xF];
        text.length = 2;
    } else {
        text.chars[0] = IsPrintable(byte) ? static_cast<char>(byte) : '.';
        text.length = 1;
    }
    return text;
}

char16_t GlyphOf(uint8_t byte) { return byte < 0x80 ? char16_t{byte} : HighGlyphs[byte - 0x80u]; }

int ByteOfGlyph(char16_t c)
{
    if (c < 0x80)
        return IsPrintable(static_cast<uint8_t>(c)) ? c : -1;
    // The printable high bytes' glyphs, sorted once for a binary search.
    using Entry = std::pair<char16_t, uint8_t>;
    static const std::vector<Entry> high = [] {
        std::vector<Entry> entries;
        for (int b = 0x80; b <= 0xFF; ++b)
            if (IsPrintable(static_cast<uint8_t>(b)))
                entries.emplace_back(GlyphOf(static_cast<uint8_t>(b)), static_cast<uint8_t>(b));
        std::sort(entries.begin(), entries.end());
        return entries;
    }();
    const auto at = std::lower_bound(high.begin(), high.end(), Entry{c, 0});
    return at != high.end() && at->first == c ? at->second : -1;
}

std::u16string SpokenByte(int64_t address, uint8_t byte)
{
    static constexpr const char* ControlNames[] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                                   "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                                   "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                                   "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
    std::u16string line;
    const auto append = [&line](const char* text, int length) { line.append(text, text + length); };
    const CellText whole = AddressText(address);
    // The high half and its blank are left out while they are zero.
    const int skip = address >= 0 && address <= 0xFFFFFFFFLL ? 9 : 0;
    append(whole.chars.data() + skip, whole.length - skip);
    line += u": ";
    const CellText hex = ByteText(byte, true);
    append(hex.chars.data(), hex.length);
    line += u", ";
    if (byte < 0x20) {
        line += u"character ";
        append(ControlNames[byte], static_cast<int>(std::char_traits<char>::length(ControlNames[byte])));
    } else if (byte == 0x20)
        line += u"character space";
    else if (byte == 0x7F)
        line += u"character DEL";
    else if (IsPrintable(byte))
        line += u"character " + std::u16string(1, GlyphOf(byte));
    else
        line += u"no character";
    return line;
}

CellColour ColourOf(bool fixed, bool hexGrid, bool cursor)
{
    if (fixed)
        return hexGrid ? CellColour::Address : CellColour::TextFixed;
    return cursor ? CellColour::Cursor : CellColour::Plain;
}

} // namespace page
