#pragma once

// The two-byte candidate filter written once for any vector width. Each
// instruction set's file instantiates it with its own lanes type (Width, Vector,
// Load, Splat, Equal, And, Or, Any, Mask), so every instantiation is distinct and
// compiled with that file's instruction set only.

#include "search/ScanFilter.h"

namespace search {

// The first candidate in [from, end), 64 positions a turn and then one vector a
// turn; the last positions, fewer than a vector, go to tail.
template <class Lanes>
size_t VectorCandidate(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys, CandidateFilter tail)
{
    constexpr size_t Width = Lanes::Width;
    constexpr size_t PerTurn = 64 / Width;
    const uint8_t* a = data + keys.first;
    const uint8_t* b = data + keys.second;
    const auto wantA = Lanes::Splat(keys.firstByte);
    const auto wantB = Lanes::Splat(keys.secondByte);
    const auto both = [&](size_t p) {
        return Lanes::And(Lanes::Equal(Lanes::Load(a + p), wantA), Lanes::Equal(Lanes::Load(b + p), wantB));
    };
    size_t p = from;
    for (; p + 64 <= end; p += 64) {
        typename Lanes::Vector masks[PerTurn];
        masks[0] = both(p);
        auto any = masks[0];
        for (size_t k = 1; k < PerTurn; ++k) {
            masks[k] = both(p + k * Width);
            any = Lanes::Or(any, masks[k]);
        }
        // The masks are told apart only when one of them is set.
        if (Lanes::Any(any)) {
            uint64_t bits = 0;
            for (size_t k = 0; k < PerTurn; ++k)
                bits |= Lanes::Mask(masks[k]) << (k * Width);
            return p + static_cast<size_t>(__builtin_ctzll(bits));
        }
    }
    for (; p + Width <= end; p += Width)
        if (const uint64_t bits = Lanes::Mask(both(p)))
            return p + static_cast<size_t>(__builtin_ctzll(bits));
    return tail(data, p, end, keys);
}

} // namespace search
