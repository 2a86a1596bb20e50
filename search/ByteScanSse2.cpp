#include "search/ScanFilter.h"

#include <emmintrin.h>

namespace search {

namespace {

inline __m128i Both(const uint8_t* a, const uint8_t* b, __m128i wantA, __m128i wantB)
{
    const __m128i x = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a)), wantA);
    const __m128i y = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b)), wantB);
    return _mm_and_si128(x, y);
}

inline uint64_t Bits(__m128i m) { return static_cast<uint32_t>(_mm_movemask_epi8(m)); }

} // namespace

size_t Sse2Candidate(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys)
{
    const uint8_t* a = data + keys.first;
    const uint8_t* b = data + keys.second;
    const __m128i wantA = _mm_set1_epi8(static_cast<char>(keys.firstByte));
    const __m128i wantB = _mm_set1_epi8(static_cast<char>(keys.secondByte));
    size_t p = from;
    // 64 positions a turn; the four masks are told apart only when one is set.
    for (; p + 64 <= end; p += 64) {
        const __m128i m0 = Both(a + p, b + p, wantA, wantB);
        const __m128i m1 = Both(a + p + 16, b + p + 16, wantA, wantB);
        const __m128i m2 = Both(a + p + 32, b + p + 32, wantA, wantB);
        const __m128i m3 = Both(a + p + 48, b + p + 48, wantA, wantB);
        if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(m0, m1), _mm_or_si128(m2, m3))) != 0) {
            const uint64_t bits = Bits(m0) | Bits(m1) << 16 | Bits(m2) << 32 | Bits(m3) << 48;
            return p + static_cast<size_t>(__builtin_ctzll(bits));
        }
    }
    for (; p + 16 <= end; p += 16)
        if (const int bits = _mm_movemask_epi8(Both(a + p, b + p, wantA, wantB)))
            return p + static_cast<size_t>(__builtin_ctz(static_cast<unsigned>(bits)));
    return ScalarCandidate(data, p, end, keys);
}

} // namespace search
