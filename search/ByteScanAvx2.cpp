// Compiled with -mavx2; called only where the processor has AVX2. Includes no
// library header, so no inline library code built for AVX2 can reach callers.

#include "search/ScanKernel.h"

#include <immintrin.h>

namespace search {

namespace {

struct Avx2Lanes {
    static constexpr size_t Width = 32;
    using Vector = __m256i;
    static Vector Load(const uint8_t* p) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)); }
    static Vector Splat(uint8_t b) { return _mm256_set1_epi8(static_cast<char>(b)); }
    static Vector Equal(Vector x, Vector y) { return _mm256_cmpeq_epi8(x, y); }
    static Vector And(Vector x, Vector y) { return _mm256_and_si256(x, y); }
    static Vector Or(Vector x, Vector y) { return _mm256_or_si256(x, y); }
    static bool Any(Vector x) { return !_mm256_testz_si256(x, x); }
    static uint64_t Mask(Vector x) { return static_cast<uint32_t>(_mm256_movemask_epi8(x)); }
};

} // namespace

// The last positions, fewer than 32, go to the 16-byte filter and its scalar tail.
size_t Avx2Candidate(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys)
{
    return VectorCandidate<Avx2Lanes>(data, from, end, keys, &Sse2Candidate);
}

} // namespace search
