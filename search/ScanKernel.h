#pragma once

// The scan kernels written once for any vector width. Each instruction set's file
// instantiates them with its own lanes type (Width, Vector, Load, Splat, Equal,
// And, Or, Sub, Zero, Any, Mask, SumBytes), so every instantiation is distinct and
// compiled with that file's instruction set only.

#include "search/ScanFilter.h"

namespace search {

namespace kernel {

// The index of the highest set bit of a non-zero word.
inline size_t HighestBit(uint64_t bits) { return 63 - static_cast<size_t>(__builtin_clzll(bits)); }

template <class Lanes>
constexpr uint64_t FullMask()
{
    return Lanes::Width >= 64 ? ~uint64_t{0} : (uint64_t{1} << Lanes::Width) - 1;
}

} // namespace kernel

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

// The last candidate in [from, end), 64 positions a turn from the end down; the
// first positions, fewer than a vector, go to tail.
template <class Lanes>
size_t VectorLastCandidate(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys,
                           LastCandidateFilter tail)
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
    size_t p = end; // positions from p on are done
    for (; p >= from + 64; p -= 64) {
        const size_t at = p - 64;
        typename Lanes::Vector masks[PerTurn];
        masks[0] = both(at);
        auto any = masks[0];
        for (size_t k = 1; k < PerTurn; ++k) {
            masks[k] = both(at + k * Width);
            any = Lanes::Or(any, masks[k]);
        }
        if (Lanes::Any(any)) {
            uint64_t bits = 0;
            for (size_t k = 0; k < PerTurn; ++k)
                bits |= Lanes::Mask(masks[k]) << (k * Width);
            return at + kernel::HighestBit(bits);
        }
    }
    for (; p >= from + Width; p -= Width)
        if (const uint64_t bits = Lanes::Mask(both(p - Width)))
            return p - Width + kernel::HighestBit(bits);
    return tail(data, from, p, keys);
}

// The first i < n where the buffers differ, n when none; the last bytes, fewer than
// a vector, go to tail.
template <class Lanes>
size_t VectorFirstDifference(const uint8_t* a, const uint8_t* b, size_t n, FirstDifference tail)
{
    constexpr size_t Width = Lanes::Width;
    constexpr size_t PerTurn = 64 / Width;
    constexpr uint64_t Full = kernel::FullMask<Lanes>();
    const auto equal = [&](size_t i) { return Lanes::Equal(Lanes::Load(a + i), Lanes::Load(b + i)); };
    size_t i = 0;
    for (; i + 64 <= n; i += 64) {
        auto all = equal(i);
        for (size_t k = 1; k < PerTurn; ++k)
            all = Lanes::And(all, equal(i + k * Width));
        if (Lanes::Mask(all) != Full) {
            uint64_t bits = 0;
            for (size_t k = 0; k < PerTurn; ++k)
                bits |= Lanes::Mask(equal(i + k * Width)) << (k * Width);
            return i + static_cast<size_t>(__builtin_ctzll(~bits));
        }
    }
    for (; i + Width <= n; i += Width)
        if (const uint64_t bits = Lanes::Mask(equal(i)); bits != Full)
            return i + static_cast<size_t>(__builtin_ctzll(~bits));
    return i + tail(a + i, b + i, n - i);
}

// The last i < n where the buffers differ, NoPosition when none.
template <class Lanes>
size_t VectorLastDifference(const uint8_t* a, const uint8_t* b, size_t n, LastDifference tail)
{
    constexpr size_t Width = Lanes::Width;
    constexpr size_t PerTurn = 64 / Width;
    constexpr uint64_t Full = kernel::FullMask<Lanes>();
    const auto equal = [&](size_t i) { return Lanes::Equal(Lanes::Load(a + i), Lanes::Load(b + i)); };
    size_t i = n; // bytes from i on are equal
    for (; i >= 64; i -= 64) {
        const size_t at = i - 64;
        auto all = equal(at);
        for (size_t k = 1; k < PerTurn; ++k)
            all = Lanes::And(all, equal(at + k * Width));
        if (Lanes::Mask(all) != Full) {
            uint64_t bits = 0;
            for (size_t k = 0; k < PerTurn; ++k)
                bits |= Lanes::Mask(equal(at + k * Width)) << (k * Width);
            return at + kernel::HighestBit(~bits);
        }
    }
    for (; i >= Width; i -= Width)
        if (const uint64_t bits = Lanes::Mask(equal(i - Width)); bits != Full)
            return i - Width + kernel::HighestBit(~bits & Full);
    return tail(a, b, i);
}

// How many bytes differ: equal bytes are summed in byte lanes, at most 255 turns
// before the lanes are added up.
template <class Lanes>
uint64_t VectorDifferences(const uint8_t* a, const uint8_t* b, size_t n)
{
    constexpr size_t Width = Lanes::Width;
    constexpr size_t PerTurn = 64 / Width;
    uint64_t equalBytes = 0;
    size_t i = 0;
    while (i + 64 <= n) {
        size_t turns = (n - i) / 64;
        if (turns > 255)
            turns = 255;
        typename Lanes::Vector sums[PerTurn];
        for (size_t k = 0; k < PerTurn; ++k)
            sums[k] = Lanes::Zero();
        for (size_t t = 0; t < turns; ++t, i += 64)
            for (size_t k = 0; k < PerTurn; ++k) // an equal byte is all ones, -1
                sums[k] = Lanes::Sub(sums[k], Lanes::Equal(Lanes::Load(a + i + k * Width), Lanes::Load(b + i + k * Width)));
        for (size_t k = 0; k < PerTurn; ++k)
            equalBytes += Lanes::SumBytes(sums[k]);
    }
    for (; i < n; ++i)
        equalBytes += a[i] == b[i];
    return n - equalBytes;
}

} // namespace search
