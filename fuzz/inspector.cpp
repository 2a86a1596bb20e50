// The inspector's 21 texts of any 8 bytes, in a locale with a point and one with a
// comma; the floating-point texts read back as the value rounded to 15 digits.

#include "Check.h"
#include "page/Inspector.h"

#include <QLocale>

#include <bit>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void CheckReadsBack(double value, const QString& text)
{
    if (!std::isfinite(value))
        return;
    char rounded[40];
    std::snprintf(rounded, sizeof rounded, "%.14e", value);
    const double expected = std::strtod(rounded, nullptr);
    const double got = std::strtod(text.toLatin1().constData(), nullptr);
    FUZZ_CHECK(got == expected);
    FUZZ_CHECK(std::signbit(got) == std::signbit(value));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QLocale c = QLocale::c();
    static const QLocale german(QLocale::German, QLocale::Germany);
    page::InspectorSample sample{};
    std::memcpy(sample.data(), data, size < sample.size() ? size : sample.size());
    for (const QLocale* locale : {&c, &german}) {
        const page::InspectorRows rows = page::InspectorRowsOf(sample, *locale);
        for (const page::InspectorRow& row : rows) {
            FUZZ_CHECK(row.name != nullptr);
            FUZZ_CHECK(row.text.size() < 64);
        }
        FUZZ_CHECK(rows[0].text.size() == 8);
    }
    uint64_t bits = 0;
    std::memcpy(&bits, sample.data(), sizeof bits);
    const page::InspectorRows rows = page::InspectorRowsOf(sample, c);
    CheckReadsBack(static_cast<double>(std::bit_cast<float>(static_cast<uint32_t>(bits))), rows[9].text);
    CheckReadsBack(std::bit_cast<double>(bits), rows[10].text);
    return 0;
}
