#pragma once

// The candidate filters of the byte scan, one per instruction set. Kept free of
// library headers: the AVX2 one is compiled with its own instruction set.

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

// The first position p in [from, end) with data[p + first] == firstByte and
// data[p + second] == secondByte, or end when none. Every byte read lies below
// end - 1 + max(first, second), so end = length - L + 1 keeps it in the buffer.
using CandidateFilter = size_t (*)(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys);

size_t ScalarCandidate(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys);
#if BYTELOOM_SCAN_X86
size_t Sse2Candidate(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys);
size_t Avx2Candidate(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys);
#endif

} // namespace search
