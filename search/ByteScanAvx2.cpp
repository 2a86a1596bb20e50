// Compiled with -mavx2; called only where the processor has AVX2. Includes no
// library header, so no inline library code built for AVX2 can leak to callers.

#include "search/ScanFilter.h"

#include <immintrin.h>

namespace search {

namespace {

inline __m256i Both(const uint8_t* a, const uint8_t* b, __m256i wantA, __m256i wantB)
{
    const __m256i x = _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(a)), wantA);
    const __m256i y = _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(b)), wantB);
    return _mm256_and_si256(x, y);
}

inline uint64_t Bits(__m256i m) { return static_cast<uint32_t>(_mm256_movemask_epi8(m)); }

} // namespace

size_t Avx2Candidate(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys)
{
    const uint8_t* a = data + keys.first;
    const uint8_t* b = data + keys.second;
    const __m256i wantA = _mm256_set1_epi8(static_cast<char>(keys.firstByte));
    const __m256i wantB = _mm256_set1_epi8(static_cast<char>(keys.secondByte));
    size_t p = from;
    // 64 positions a turn; the two masks are told apart only when one is set.
    for (; p + 64 <= end; p += 64) {
        const __m256i m0 = Both(a + p, b + p, wantA, wantB);
        const __m256i m1 = Both(a + p + 32, b + p + 32, wantA, wantB);
        if (!_mm256_testz_si256(_mm256_or_si256(m0, m1), _mm256_or_si256(m0, m1))) {
            const uint64_t bits = Bits(m0) | Bits(m1) << 32;
            return p + static_cast<size_t>(__builtin_ctzll(bits));
        }
    }
    // Fewer than 64 positions left: the 16-byte filter and its scalar tail.
    return Sse2Candidate(data, p, end, keys);
}

} // namespace search
