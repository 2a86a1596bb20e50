// The find dialog's two fields: the text field's edit gives hex that leads back to the
// same text (non-printable bytes shown as "."), and the hex field's edit accepts
// exactly the texts the pattern rule turns into bytes.

#include "Check.h"
#include "page/ByteText.h"
#include "search/PatternText.h"

#include <QString>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Even inputs as UTF-16 code units (any character, also above 255), odd ones as Latin-1.
    const QString input = size % 2 == 0
                              ? QString::fromUtf16(reinterpret_cast<const char16_t*>(data), static_cast<qsizetype>(size / 2))
                              : QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    const search::TextFollow text = search::FollowText(input);
    bool allBytes = true;
    for (const QChar c : input)
        allBytes = allBytes && c.unicode() <= 0xFF;
    FUZZ_CHECK(text.valid == allBytes);
    if (text.valid) {
        FUZZ_CHECK(text.hex.size() == 2 * input.size());
        const search::HexFollow back = search::FollowHexText(text.hex);
        FUZZ_CHECK(back.valid);
        FUZZ_CHECK(back.text.size() == input.size());
        for (qsizetype i = 0; i < input.size(); ++i) {
            const auto b = static_cast<uint8_t>(input[i].unicode());
            FUZZ_CHECK(back.text[i] == (IsPrintable(b) ? input[i] : QChar(u'.')));
        }
    } else {
        FUZZ_CHECK(text.hex.isEmpty());
    }

    const search::HexFollow hex = search::FollowHexText(input);
    const std::vector<uint8_t> bytes = HexTextToBytes(search::PatternText(input));
    FUZZ_CHECK(hex.valid == (input.isEmpty() || !bytes.empty()));
    FUZZ_CHECK(hex.text.size() == static_cast<qsizetype>(bytes.size()));
    return 0;
}
