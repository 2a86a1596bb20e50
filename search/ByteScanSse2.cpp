#include "search/ScanKernel.h"

#include <emmintrin.h>

namespace search {

namespace {

struct Sse2Lanes {
    static constexpr size_t Width = 16;
    using Vector = __m128i;
    static Vector Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    static Vector Splat(uint8_t b) { return _mm_set1_epi8(static_cast<char>(b)); }
    static Vector Equal(Vector x, Vector y) { return _mm_cmpeq_epi8(x, y); }
    static Vector And(Vector x, Vector y) { return _mm_and_si128(x, y); }
    static Vector Or(Vector x, Vector y) { return _mm_or_si128(x, y); }
    static Vector Sub(Vector x, Vector y) { return _mm_sub_epi8(x, y); }
    static Vector Zero() { return _mm_setzero_si128(); }
    static bool Any(Vector x) { return _mm_movemask_epi8(x) != 0; }
    static uint64_t Mask(Vector x) { return static_cast<uint32_t>(_mm_movemask_epi8(x)); }
    static uint64_t SumBytes(Vector x)
    {
        const __m128i sums = _mm_sad_epu8(x, _mm_setzero_si128());
        return static_cast<uint64_t>(_mm_cvtsi128_si64(sums)) +
               static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
    }
};

} // namespace

size_t Sse2Candidate(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys)
{
    return VectorCandidate<Sse2Lanes>(data, from, end, keys, &ScalarCandidate);
}

size_t Sse2LastCandidate(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys)
{
    return VectorLastCandidate<Sse2Lanes>(data, from, end, keys, &ScalarLastCandidate);
}

size_t Sse2FirstDifference(const uint8_t* a, const uint8_t* b, size_t n)
{
    return VectorFirstDifference<Sse2Lanes>(a, b, n, &ScalarFirstDifference);
}

size_t Sse2LastDifference(const uint8_t* a, const uint8_t* b, size_t n)
{
    return VectorLastDifference<Sse2Lanes>(a, b, n, &ScalarLastDifference);
}

const ScanKernels Sse2Kernels = {&Sse2Candidate, &Sse2LastCandidate, &Sse2FirstDifference, &Sse2LastDifference,
                                 &VectorDifferences<Sse2Lanes>};

} // namespace search
