#pragma once

// Banner items come from the network: how their bytes are read, and how many
// pixels their pictures may take. What Qt may spend on an item otherwise is
// bounded by the render child it is parsed in.

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

namespace banner {

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
