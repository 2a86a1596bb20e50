#pragma once

// What the window and the banner's render child say to each other over the child's
// pipes: a request (an item's bytes and how to show them) and the answer (the pixels
// and what the strip needs to map clicks and tell a screen reader). Both are read
// from a process that may be hostile or broken, so every size is checked against
// its cap before anything is allocated.

#include "util/Room.h"

#include <QByteArray>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace banner {

inline constexpr std::size_t MaxItemBytes = 64 * 1024;
inline constexpr std::size_t MaxPixelBytes = 4 * 1024 * 1024;
inline constexpr std::size_t MaxTextBytes = 256 * 1024;
inline constexpr std::size_t MaxLinks = 512;
inline constexpr std::size_t MaxAddressBytes = 4096;
inline constexpr int MaxSide = 16384; // pixels, either way
inline constexpr int MaxExtent = 1 << 24; // a document's width or height, logical pixels
// Header: 4 bytes of kind, 4 bytes of body length (little-endian).
inline constexpr std::size_t HeaderBytes = 8;
inline constexpr std::size_t MaxFontBytes = 512;
inline constexpr std::size_t Colours = 21; // one per palette role
inline constexpr std::size_t MaxRequestBytes = MaxItemBytes + MaxFontBytes + 4 * Colours + 64;
inline constexpr std::size_t MaxAnswerBytes =
    MaxPixelBytes + MaxTextBytes + MaxLinks * (MaxAddressBytes + MaxTextBytes / MaxLinks + 32) + 64;

struct RenderRequest {
    QByteArray html;
    int width = 0;            // the view's width without a scroll bar
    int widthWithBar = 0;     // the same with the vertical scroll bar shown
    int height = 0;           // the view's height
    std::uint32_t dprMilli = 1000; // device pixel ratio x 1000
    QByteArray font;          // the view's font, as QFont::toString
    std::array<std::uint32_t, Colours> palette{}; // ARGB of each role
};

struct LinkArea {
    int x = 0, y = 0, width = 0, height = 0; // in the document, logical pixels
    std::string address;
    std::string text;
};

struct Rendering {
    int pixelWidth = 0;   // of the picture, in device pixels
    int pixelHeight = 0;
    std::uint32_t dprMilli = 1000;
    int documentWidth = 0;  // logical pixels
    int documentHeight = 0;
    bool scrollBar = false; // laid out at widthWithBar
    std::string text;       // the plain text, UTF-8
    std::vector<LinkArea> links;
    // pixelWidth x pixelHeight, 32-bit premultiplied ARGB, rows packed. From
    // AnswerReader::take, a view into the reader's room, good until the reader's next
    // reset(): whoever keeps the picture copies it.
    QByteArray pixels;
};

QByteArray EncodeRequest(const RenderRequest& request);
QByteArray EncodeAnswer(const Rendering& rendering);

// The body's length from a header of that kind, or nothing when the header is not
// one or the length is over cap.
std::optional<std::size_t> BodyLength(const char* header, const char (&kind)[5], std::size_t cap);

// A whole body (header excluded); nothing when any field is out of bounds or bytes are left over.
std::optional<RenderRequest> DecodeRequest(const QByteArray& body);
// The answer owns its pixels.
std::optional<Rendering> DecodeAnswer(const QByteArray& body);

inline constexpr char RequestKind[5] = "BLq1";
inline constexpr char AnswerKind[5] = "BLa1";
// What the child writes once, when it has bound itself and may be given items.
inline constexpr char ReadyKind[5] = "BLr1";

// Reads one answer as it arrives in pieces: the header first, then no more than the
// body it announced. Its room for bodies is taken once, when the first header is
// judged, and kept from answer to answer: fresh megabytes cost the window's thread
// a page fault for every 4 KiB, and on a busy machine that runs to 100 ms.
class AnswerReader {
public:
    enum class State { More, Done, Bad };

    // Takes what it may of the bytes; returns how many it took.
    std::size_t feed(const char* data, std::size_t size);
    State state() const { return current; }
    // How many more bytes it wants now.
    std::size_t wanted() const;
    // The answer, once Done, its pixels a view into the reader's room; Bad when the
    // body does not decode.
    std::optional<Rendering> take();
    // Ready for the next answer; the room is kept.
    void reset();

private:
    State current = State::More;
    char header[HeaderBytes] = {};
    std::size_t headerHave = 0;
    std::optional<std::size_t> length;
    std::unique_ptr<util::Room> room; // MaxAnswerBytes; only the pages written are resident
    std::size_t bodyHave = 0;
};

} // namespace banner
