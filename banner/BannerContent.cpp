#include "banner/BannerContent.h"

#include <algorithm>
#include <string_view>

namespace banner {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithName(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

} // namespace

QString DecodeContent(QByteArrayView bytes) { return QString::fromUtf8(bytes); }

std::optional<QByteArray> DataUrlPayload(QByteArrayView address)
{
    if (address.size() < 5 || !StartsWithName(std::string_view(address.data(), 5), "data:"))
        return std::nullopt;
    const QByteArrayView rest = address.sliced(5);
    const qsizetype comma = rest.indexOf(',');
    if (comma < 0)
        return std::nullopt;
    const QByteArray header = rest.first(comma).toByteArray().trimmed().toLower();
    const QByteArray data = QByteArray::fromPercentEncoding(rest.sliced(comma + 1).toByteArray());
    if (!header.endsWith(";base64"))
        return data;
    const auto decoded = QByteArray::fromBase64Encoding(data.simplified().replace(' ', QByteArray()),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return decoded.decoded;
}

bool PixelBudget::take(std::int64_t width, std::int64_t height)
{
    if (width <= 0 || height <= 0 || width > left || height > left || width * height > left)
        return false;
    left -= width * height;
    return true;
}

} // namespace banner
