// The window's reader of the render child's answer over any bytes, fed in pieces
// whose sizes the first byte chooses: it never takes more than the answer, never
// takes room for a body it has not judged, and what it accepts writes back to the
// very same bytes.

#include "Check.h"
#include "banner/RenderAnswer.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const std::size_t piece = 1 + data[0] % 64 * 97;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const std::size_t length = size - 1;

    banner::AnswerReader reader;
    std::size_t at = 0;
    while (reader.state() == banner::AnswerReader::State::More && at < length) {
        const std::size_t wanted = reader.wanted();
        FUZZ_CHECK(wanted > 0 && wanted <= banner::MaxAnswerBytes);
        const std::size_t n = std::min(piece, length - at);
        const std::size_t taken = reader.feed(bytes + at, n);
        FUZZ_CHECK(taken <= n);
        at += taken;
        if (taken < n)
            FUZZ_CHECK(reader.state() != banner::AnswerReader::State::More);
    }
    if (reader.state() == banner::AnswerReader::State::Done) {
        const std::optional<banner::Rendering> answer = reader.take();
        if (answer) {
            FUZZ_CHECK(static_cast<std::size_t>(answer->pixels.size()) ==
                       static_cast<std::size_t>(answer->pixelWidth) * static_cast<std::size_t>(answer->pixelHeight) * 4);
            FUZZ_CHECK(answer->links.size() <= banner::MaxLinks);
            const QByteArray again = banner::EncodeAnswer(*answer);
            FUZZ_CHECK(again == QByteArray(bytes, static_cast<qsizetype>(at)));
        } else {
            FUZZ_CHECK(reader.state() == banner::AnswerReader::State::Bad);
        }
    }
    // The same bytes as a request, read whole.
    if (length >= banner::HeaderBytes) {
        if (const auto body = banner::BodyLength(bytes, banner::RequestKind, banner::MaxRequestBytes);
            body && *body <= length - banner::HeaderBytes)
            if (const auto request = banner::DecodeRequest(QByteArray(bytes + banner::HeaderBytes, static_cast<qsizetype>(*body))))
                FUZZ_CHECK(banner::EncodeRequest(*request) == QByteArray(bytes, static_cast<qsizetype>(banner::HeaderBytes + *body)));
    }
    return 0;
}
