#pragma once

// The vector kernels of the scans, one set per instruction set: the candidate
// filters (first and last candidate) and the byte comparisons of two buffers. Kept
// free of library headers: the AVX2 set is compiled with its own instruction set.

#include <cstddef>
#include <cstdint>

namespace search {

// Offsets in the pattern of its two filter bytes, and the bytes; the offsets are
// equal only for a one-byte pattern.
struct FilterKeys {
    size_t first;
    size_t second;
    uint8_t firstByte;
    uint8_t secondByte;
};

// Answer of a backward kernel that found nothing.
inline constexpr size_t NoPosition = static_cast<size_t>(-1);

// The first position p in [from, end) with data[p + first] == firstByte and
// data[p + second] == secondByte, or end when none. Every byte read lies below
// end - 1 + max(first, second), so end = length - L + 1 keeps it in the buffer.
using CandidateFilter = size_t (*)(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys);

// The last such position in [from, end), or NoPosition; reads the same bytes.
using LastCandidateFilter = size_t (*)(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys);

// The first i < n with a[i] != b[i], n when none. a and b may overlap.
using FirstDifference = size_t (*)(const uint8_t* a, const uint8_t* b, size_t n);

// The last i < n with a[i] != b[i], NoPosition when none.
using LastDifference = size_t (*)(const uint8_t* a, const uint8_t* b, size_t n);

// How many i < n have a[i] != b[i].
using DifferenceCount = uint64_t (*)(const uint8_t* a, const uint8_t* b, size_t n);

struct ScanKernels {
    CandidateFilter first;
    LastCandidateFilter last;
    FirstDifference firstDifference;
    LastDifference lastDifference;
    DifferenceCount differences;
};

extern const ScanKernels ScalarKernels;
#if BYTELOOM_SCAN_X86
extern const ScanKernels Sse2Kernels;
extern const ScanKernels Avx2Kernels;
#endif

size_t ScalarCandidate(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys);
size_t ScalarLastCandidate(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys);
size_t ScalarFirstDifference(const uint8_t* a, const uint8_t* b, size_t n);
size_t ScalarLastDifference(const uint8_t* a, const uint8_t* b, size_t n);
#if BYTELOOM_SCAN_X86
// The 16-byte kernels, also the tails of the 32-byte ones.
size_t Sse2Candidate(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys);
size_t Sse2LastCandidate(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys);
size_t Sse2FirstDifference(const uint8_t* a, const uint8_t* b, size_t n);
size_t Sse2LastDifference(const uint8_t* a, const uint8_t* b, size_t n);
#endif

} // namespace search
