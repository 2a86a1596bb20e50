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
    static Vector Sub(Vector x, Vector y) { return _mm256_sub_epi8(x, y); }
    static Vector Zero() { return _mm256_setzero_si256(); }
    static bool Any(Vector x) { return !_mm256_testz_si256(x, x); }
    static uint64_t Mask(Vector x) { return static_cast<uint32_t>(_mm256_movemask_epi8(x)); }
    static uint64_t SumBytes(Vector x)
    {
        const __m256i sums = _mm256_sad_epu8(x, _mm256_setzero_si256());
        const __m128i half = _mm_add_epi64(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1));
        return static_cast<uint64_t>(_mm_cvtsi128_si64(half)) +
               static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(half, half)));
    }
};

// The last positions, fewer than 32, go to the 16-byte kernels and their scalar tails.
size_t Avx2Candidate(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys)
{
    return VectorCandidate<Avx2Lanes>(data, from, end, keys, &Sse2Candidate);
}

size_t Avx2LastCandidate(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys)
{
    return VectorLastCandidate<Avx2Lanes>(data, from, end, keys, &Sse2LastCandidate);
}

size_t Avx2FirstDifference(const uint8_t* a, const uint8_t* b, size_t n)
{
    return VectorFirstDifference<Avx2Lanes>(a, b, n, &Sse2FirstDifference);
}

size_t Avx2LastDifference(const uint8_t* a, const uint8_t* b, size_t n)
{
    return VectorLastDifference<Avx2Lanes>(a, b, n, &Sse2LastDifference);
}

} // namespace

const ScanKernels Avx2Kernels = {&Avx2Candidate, &Avx2LastCandidate, &Avx2FirstDifference, &Avx2LastDifference,
                                 &VectorDifferences<Avx2Lanes>};

} // namespace search
