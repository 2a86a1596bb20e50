// The find dialog's two fields: the text field takes exactly the characters the page
// shows and gives hex that leads back to the same text, and the hex field's edit
// accepts exactly the texts the pattern rule turns into bytes.

#include "Check.h"
#include "page/PageView.h"
#include "search/PatternText.h"
#include "util/TextRules.h"

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
    bool allShown = true;
    for (const QChar c : input)
        allShown = allShown && page::ByteOfGlyph(c.unicode()) >= 0;
    FUZZ_CHECK(text.valid == allShown);
    if (text.valid) {
        FUZZ_CHECK(text.hex.size() == 2 * input.size());
        const search::HexFollow back = search::FollowHexText(text.hex);
        FUZZ_CHECK(back.valid);
        FUZZ_CHECK(back.text == input);
        for (const QChar c : input)
            FUZZ_CHECK(IsPrintable(static_cast<uint8_t>(page::ByteOfGlyph(c.unicode()))));
    } else {
        FUZZ_CHECK(text.hex.isEmpty());
    }

    const search::HexFollow hex = search::FollowHexText(input);
    const std::vector<uint8_t> bytes = HexTextToBytes(search::PatternText(input));
    FUZZ_CHECK(hex.valid == (input.isEmpty() || !bytes.empty()));
    FUZZ_CHECK(hex.text.size() == static_cast<qsizetype>(bytes.size()));
    return 0;
}
