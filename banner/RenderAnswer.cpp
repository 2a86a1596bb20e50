#include "banner/RenderAnswer.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace banner {

namespace {

class Writer {
public:
    void u32(std::uint32_t v)
    {
        const char bytes[4] = {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                               static_cast<char>(v >> 24)};
        out.append(bytes, 4);
    }
    void i32(int v) { u32(static_cast<std::uint32_t>(v)); }
    void bytes(const char* data, std::size_t size)
    {
        u32(static_cast<std::uint32_t>(size));
        out.append(data, static_cast<qsizetype>(size));
    }
    void bytes(const QByteArray& b) { bytes(b.constData(), static_cast<std::size_t>(b.size())); }
    void bytes(const std::string& s) { bytes(s.data(), s.size()); }

    QByteArray framed(const char (&kind)[5]) const
    {
        Writer head;
        head.out.append(kind, 4);
        head.u32(static_cast<std::uint32_t>(out.size()));
        return head.out + out;
    }

    QByteArray out;
};

// Reads fields from a body; any read past its end, or a length over its cap, spoils it.
class Reader {
public:
    explicit Reader(QByteArrayView b) : body(b) {}

    std::uint32_t u32()
    {
        if (left() < 4) {
            ok = false;
            return 0;
        }
        const auto* p = reinterpret_cast<const unsigned char*>(body.constData()) + at;
        at += 4;
        return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
    }
    int side()
    {
        const std::uint32_t v = u32();
        if (v > static_cast<std::uint32_t>(MaxSide))
            ok = false;
        return ok ? static_cast<int>(v) : 0;
    }
    // A signed place in the document, within the largest picture either way.
    int place()
    {
        const auto v = static_cast<std::int32_t>(u32());
        if (v < -MaxSide || v > MaxSide)
            ok = false;
        return ok ? v : 0;
    }
    QByteArray bytes(std::size_t cap)
    {
        const std::uint32_t size = u32();
        if (!ok || size > cap || size > left()) {
            ok = false;
            return {};
        }
        const QByteArray b = body.sliced(static_cast<qsizetype>(at), static_cast<qsizetype>(size)).toByteArray();
        at += size;
        return b;
    }
    // A length in the document: its whole width or height, which may exceed the picture.
    int extent()
    {
        const std::uint32_t v = u32();
        if (v > static_cast<std::uint32_t>(MaxExtent))
            ok = false;
        return ok ? static_cast<int>(v) : 0;
    }
    std::string text(std::size_t cap) { return bytes(cap).toStdString(); }
    // The rest of the body after a length, which must be exactly the rest: a view,
    // since it may be megabytes of pixels.
    QByteArrayView rest(std::size_t cap)
    {
        const std::uint32_t size = u32();
        if (!ok || size > cap || size != left()) {
            ok = false;
            return {};
        }
        const QByteArrayView taken = body.sliced(static_cast<qsizetype>(at));
        at += size;
        return taken;
    }
    bool finished() const { return ok && at == static_cast<std::size_t>(body.size()); }
    bool good() const { return ok; }

private:
    std::size_t left() const { return static_cast<std::size_t>(body.size()) - at; }
    QByteArrayView body;
    std::size_t at = 0;
    bool ok = true;
};

bool ValidRatio(std::uint32_t milli) { return milli >= 250 && milli <= 8000; }

} // namespace

QByteArray EncodeRequest(const RenderRequest& r)
{
    Writer w;
    w.i32(r.width);
    w.i32(r.widthWithBar);
    w.i32(r.height);
    w.u32(r.dprMilli);
    w.bytes(r.font);
    for (const std::uint32_t colour : r.palette)
        w.u32(colour);
    w.bytes(r.html);
    return w.framed(RequestKind);
}

QByteArray EncodeAnswer(const Rendering& r)
{
    Writer w;
    w.i32(r.pixelWidth);
    w.i32(r.pixelHeight);
    w.u32(r.dprMilli);
    w.i32(r.documentWidth);
    w.i32(r.documentHeight);
    w.u32(r.scrollBar ? 1 : 0);
    w.bytes(r.text);
    w.u32(static_cast<std::uint32_t>(r.links.size()));
    for (const LinkArea& link : r.links) {
        w.i32(link.x);
        w.i32(link.y);
        w.i32(link.width);
        w.i32(link.height);
        w.bytes(link.address);
        w.bytes(link.text);
    }
    w.bytes(r.pixels);
    return w.framed(AnswerKind);
}

std::optional<std::size_t> BodyLength(const char* header, const char (&kind)[5], std::size_t cap)
{
    if (std::memcmp(header, kind, 4) != 0)
        return std::nullopt;
    QByteArray bytes(header + 4, 4);
    Reader reader(bytes);
    const std::uint32_t length = reader.u32();
    if (length > cap)
        return std::nullopt;
    return length;
}

std::optional<RenderRequest> DecodeRequest(const QByteArray& body)
{
    Reader in(body);
    RenderRequest r;
    r.width = in.side();
    r.widthWithBar = in.side();
    r.height = in.side();
    r.dprMilli = in.u32();
    r.font = in.bytes(MaxFontBytes);
    for (std::uint32_t& colour : r.palette)
        colour = in.u32();
    r.html = in.bytes(MaxItemBytes);
    if (!in.finished() || !ValidRatio(r.dprMilli) || r.widthWithBar > r.width)
        return std::nullopt;
    return r;
}

namespace {

// The answer with its pixels a view into the body.
std::optional<Rendering> DecodeAnswerIn(QByteArrayView body)
{
    Reader in(body);
    Rendering r;
    r.pixelWidth = in.side();
    r.pixelHeight = in.side();
    r.dprMilli = in.u32();
    r.documentWidth = in.extent();
    r.documentHeight = in.extent();
    const std::uint32_t bar = in.u32();
    r.scrollBar = bar == 1;
    r.text = in.text(MaxTextBytes);
    const std::uint32_t links = in.u32();
    if (!in.good() || links > MaxLinks || bar > 1)
        return std::nullopt;
    r.links.reserve(links);
    for (std::uint32_t i = 0; i < links && in.good(); ++i) {
        LinkArea link;
        link.x = in.place();
        link.y = in.place();
        link.width = in.side();
        link.height = in.side();
        link.address = in.text(MaxAddressBytes);
        link.text = in.text(MaxAddressBytes);
        r.links.push_back(std::move(link));
    }
    if (!in.good())
        return std::nullopt;
    const QByteArrayView pixels = in.rest(MaxPixelBytes);
    if (!in.good() || !ValidRatio(r.dprMilli) ||
        static_cast<std::size_t>(pixels.size()) != static_cast<std::size_t>(r.pixelWidth) * static_cast<std::size_t>(r.pixelHeight) * 4)
        return std::nullopt;
    r.pixels = QByteArray::fromRawData(pixels.data(), pixels.size());
    return r;
}

} // namespace

std::optional<Rendering> DecodeAnswer(const QByteArray& body)
{
    std::optional<Rendering> r = DecodeAnswerIn(body);
    if (r)
        r->pixels = QByteArray(r->pixels.constData(), r->pixels.size());
    return r;
}

std::size_t AnswerReader::wanted() const
{
    if (current != State::More)
        return 0;
    if (!length)
        return HeaderBytes - headerHave;
    return *length - bodyHave;
}

std::size_t AnswerReader::feed(const char* data, std::size_t size)
{
    std::size_t taken = 0;
    while (current == State::More && taken < size) {
        const std::size_t n = std::min(wanted(), size - taken);
        if (!length) {
            std::memcpy(header + headerHave, data + taken, n);
            headerHave += n;
            taken += n;
            if (headerHave == HeaderBytes) {
                length = BodyLength(header, AnswerKind, MaxAnswerBytes);
                if (!length) {
                    current = State::Bad;
                    break;
                }
                if (!room)
                    room = std::make_unique<util::Room>(MaxAnswerBytes);
            }
        } else {
            std::memcpy(room->data() + bodyHave, data + taken, n);
            bodyHave += n;
            taken += n;
        }
        if (length && bodyHave == *length)
            current = State::Done;
    }
    return taken;
}

std::optional<Rendering> AnswerReader::take()
{
    if (current != State::Done)
        return std::nullopt;
    std::optional<Rendering> r = DecodeAnswerIn(QByteArrayView(room->data(), static_cast<qsizetype>(*length)));
    if (!r)
        current = State::Bad;
    return r;
}

void AnswerReader::reset()
{
    current = State::More;
    headerHave = 0;
    length.reset();
    bodyHave = 0;
}

} // namespace banner
