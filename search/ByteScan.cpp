#include "search/ByteScan.h"

#include "search/ByteRarity.h"

#include <algorithm>
#include <cstring>

namespace search {

namespace {

// The maximal suffix of the pattern under the byte order (reversed when asked):
// its start minus one, and its period.
ptrdiff_t MaximalSuffix(const uint8_t* x, ptrdiff_t m, bool reversed, size_t& period)
{
    ptrdiff_t ms = -1, j = 0, k = 1, p = 1;
    while (j + k < m) {
        const uint8_t a = x[j + k];
        const uint8_t b = x[ms + k];
        if (reversed ? a > b : a < b) {
            j += k;
            k = 1;
            p = j - ms;
        } else if (a == b) {
            if (k != p) {
                ++k;
            } else {
                j += p;
                k = 1;
            }
        } else {
            ms = j;
            j = ms + 1;
            k = p = 1;
        }
    }
    period = static_cast<size_t>(p);
    return ms;
}

// The smallest period of the pattern, from its border table.
size_t SmallestPeriod(std::span<const uint8_t> x)
{
    std::vector<size_t> border(x.size() + 1, 0);
    size_t k = 0;
    for (size_t i = 1; i < x.size(); ++i) {
        while (k > 0 && x[i] != x[k])
            k = border[k];
        if (x[i] == x[k])
            ++k;
        border[i + 1] = k;
    }
    return x.size() - border[x.size()];
}

// Reads the haystack forward or from its end.
template <bool Reversed>
struct Haystack {
    const uint8_t* y;
    size_t n;
    uint8_t operator[](ptrdiff_t i) const { return Reversed ? y[n - 1 - static_cast<size_t>(i)] : y[i]; }
};

template <bool Reversed>
size_t TwoWay(std::span<const uint8_t> pattern, const TwoWayPlan& plan, const uint8_t* haystack, size_t n)
{
    const uint8_t* x = pattern.data();
    const auto m = static_cast<ptrdiff_t>(pattern.size());
    if (pattern.size() > n)
        return n;
    const Haystack<Reversed> y{haystack, n};
    const auto last = static_cast<ptrdiff_t>(n) - m;
    const ptrdiff_t ell = plan.critical;
    const auto per = static_cast<ptrdiff_t>(plan.period);
    // memory: the prefix of the pattern known to match after a periodic shift.
    ptrdiff_t memory = -1;
    for (ptrdiff_t j = 0; j <= last;) {
        ptrdiff_t i = std::max(ell, memory) + 1;
        while (i < m && x[i] == y[i + j])
            ++i;
        if (i < m) {
            j += i - ell;
            memory = -1;
            continue;
        }
        for (i = ell; i > memory && x[i] == y[i + j];)
            --i;
        if (i <= memory)
            return static_cast<size_t>(j);
        j += per;
        if (plan.periodic)
            memory = m - per - 1;
    }
    return n;
}

} // namespace

ScanPath ResolvedPath(ScanPath path)
{
    if (path != ScanPath::Auto && ScanPathAvailable(path))
        return path;
    if (ScanPathAvailable(ScanPath::Avx2))
        return ScanPath::Avx2;
    if (ScanPathAvailable(ScanPath::Sse2))
        return ScanPath::Sse2;
    return ScanPath::Scalar;
}

const ScanKernels& KernelsOf(ScanPath path)
{
    switch (ResolvedPath(path)) {
#if BYTELOOM_SCAN_X86
    case ScanPath::Avx2:
        return Avx2Kernels;
    case ScanPath::Sse2:
        return Sse2Kernels;
#endif
    default:
        return ScalarKernels;
    }
}

bool ScanPathAvailable(ScanPath path)
{
    switch (path) {
    case ScanPath::Auto:
    case ScanPath::Scalar:
        return true;
#if BYTELOOM_SCAN_X86
    case ScanPath::Sse2:
        return true;
    case ScanPath::Avx2:
        return __builtin_cpu_supports("avx2");
#endif
    default:
        return false;
    }
}

size_t ScalarCandidate(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys)
{
    const uint8_t* a = data + keys.first;
    const uint8_t* b = data + keys.second;
    for (size_t p = from; p < end; ++p)
        if (a[p] == keys.firstByte && b[p] == keys.secondByte)
            return p;
    return end;
}

size_t ScalarLastCandidate(const uint8_t* data, size_t from, size_t end, const FilterKeys& keys)
{
    const uint8_t* a = data + keys.first;
    const uint8_t* b = data + keys.second;
    for (size_t p = end; p > from; --p)
        if (a[p - 1] == keys.firstByte && b[p - 1] == keys.secondByte)
            return p - 1;
    return NoPosition;
}

size_t ScalarFirstDifference(const uint8_t* a, const uint8_t* b, size_t n)
{
    size_t i = 0;
    while (i < n && a[i] == b[i])
        ++i;
    return i;
}

size_t ScalarLastDifference(const uint8_t* a, const uint8_t* b, size_t n)
{
    while (n > 0 && a[n - 1] == b[n - 1])
        --n;
    return n > 0 ? n - 1 : NoPosition;
}

namespace {

uint64_t ScalarDifferences(const uint8_t* a, const uint8_t* b, size_t n)
{
    uint64_t count = 0;
    for (size_t i = 0; i < n; ++i)
        count += a[i] != b[i];
    return count;
}

} // namespace

const ScanKernels ScalarKernels = {&ScalarCandidate, &ScalarLastCandidate, &ScalarFirstDifference,
                                   &ScalarLastDifference, &ScalarDifferences};

FilterKeys PickFilterKeys(std::span<const uint8_t> pattern)
{
    const auto rank = [&](size_t i) { return ByteCommonness[pattern[i]]; };
    size_t first = 0;
    for (size_t i = 1; i < pattern.size(); ++i)
        if (rank(i) < rank(first))
            first = i;
    if (pattern.size() == 1)
        return {0, 0, pattern[0], pattern[0]};
    // Of equally rare positions the one farthest from the first: runs of one
    // value in the data then rarely pass both tests.
    const auto distance = [&](size_t i) { return i > first ? i - first : first - i; };
    size_t second = first == 0 ? 1 : 0;
    for (size_t i = 0; i < pattern.size(); ++i)
        if (i != first && (rank(i) < rank(second) || (rank(i) == rank(second) && distance(i) > distance(second))))
            second = i;
    return {first, second, pattern[first], pattern[second]};
}

TwoWayPlan PlanTwoWay(std::span<const uint8_t> pattern)
{
    const uint8_t* x = pattern.data();
    const auto m = static_cast<ptrdiff_t>(pattern.size());
    size_t forwardPeriod = 1, reversedPeriod = 1;
    const ptrdiff_t forward = MaximalSuffix(x, m, false, forwardPeriod);
    const ptrdiff_t reversed = MaximalSuffix(x, m, true, reversedPeriod);
    TwoWayPlan plan{forward, forwardPeriod, false};
    if (reversed > forward)
        plan = {reversed, reversedPeriod, false};
    const auto left = static_cast<size_t>(plan.critical + 1);
    plan.periodic = plan.period + left <= pattern.size() && std::memcmp(x, x + plan.period, left) == 0;
    if (!plan.periodic)
        plan.period = std::max(left, pattern.size() - left) + 1;
    return plan;
}

size_t TwoWayFind(std::span<const uint8_t> pattern, const TwoWayPlan& plan, const uint8_t* haystack, size_t n)
{
    return TwoWay<false>(pattern, plan, haystack, n);
}

size_t TwoWayFindReversed(std::span<const uint8_t> reversedPattern, const TwoWayPlan& plan, const uint8_t* haystack,
                          size_t n)
{
    return TwoWay<true>(reversedPattern, plan, haystack, n);
}

BytePattern::BytePattern(std::span<const uint8_t> pattern, ScanPath path)
    : bytes(pattern.begin(), pattern.end()), reversed(pattern.rbegin(), pattern.rend()), scanPath(ResolvedPath(path)),
      kernels(&KernelsOf(scanPath))
{
    if (!bytes.empty()) {
        filterKeys = PickFilterKeys(bytes);
        twoWay = PlanTwoWay(bytes);
        twoWayReversed = PlanTwoWay(reversed);
        smallestPeriod = SmallestPeriod(bytes);
        // Two matches closer than L are a period of the pattern apart; with a period
        // p where 2p <= L + 2 no two periods can mix, so inside a run of period p the
        // matches lie exactly p apart.
        runs = 2 * smallestPeriod <= bytes.size() + 2;
    }
}

size_t BytePattern::find(const uint8_t* data, size_t length) const
{
    const size_t l = bytes.size();
    if (l == 0)
        return 0;
    if (length < l)
        return npos;
    const size_t end = length - l + 1; // positions where the whole pattern fits
    uint64_t verified = 0;
    const CandidateFilter filter = kernels->first;
    for (size_t p = filter(data, 0, end, filterKeys); p < end; p = filter(data, p + 1, end, filterKeys)) {
        verified += l;
        if (std::memcmp(data + p, bytes.data(), l) == 0) {
            workDone += verified;
            return p;
        }
        // Failed candidates have cost more than twice the bytes passed: the rest
        // of the buffer goes to the linear search.
        if (verified > 2 * (p + l)) {
            workDone += verified;
            return fallback(data, length, p + 1);
        }
    }
    workDone += verified;
    return npos;
}

size_t BytePattern::fallback(const uint8_t* data, size_t length, size_t from) const
{
    const size_t hit = TwoWayFind(bytes, twoWay, data + from, length - from);
    workDone += hit == length - from ? length - from : hit + bytes.size();
    return hit == length - from ? npos : from + hit;
}

size_t BytePattern::findLast(const uint8_t* data, size_t length) const
{
    const size_t l = bytes.size();
    if (l == 0)
        return length;
    if (length < l)
        return npos;
    const size_t end = length - l + 1;
    const LastCandidateFilter filter = kernels->last;
    uint64_t verified = 0;
    for (size_t p = filter(data, 0, end, filterKeys); p != NoPosition;
         p = p > 0 ? filter(data, 0, p, filterKeys) : NoPosition) {
        verified += l;
        if (std::memcmp(data + p, bytes.data(), l) == 0) {
            workDone += verified;
            return p;
        }
        // As find, mirrored: the positions below p go to the linear search.
        if (verified > 2 * (end - p + l)) {
            workDone += verified;
            return fallbackLast(data, p);
        }
    }
    workDone += verified;
    return npos;
}

// The last match among the positions below end.
size_t BytePattern::fallbackLast(const uint8_t* data, size_t end) const
{
    if (end == 0)
        return npos;
    const size_t n = end - 1 + bytes.size(); // the bytes those positions cover
    const size_t hit = TwoWayFindReversed(reversed, twoWayReversed, data, n);
    workDone += hit == n ? n : hit + bytes.size();
    return hit == n ? npos : n - hit - bytes.size();
}

size_t BytePattern::runEnd(const uint8_t* data, size_t length, size_t hit) const
{
    const size_t from = hit + bytes.size();
    const size_t same = kernels->firstDifference(data + from, data + from - smallestPeriod, length - from);
    workDone += same + (from + same < length ? 1 : 0);
    return from + same;
}

uint64_t BytePattern::countAll(const uint8_t* data, size_t length, int64_t offset, std::vector<int64_t>& kept,
                               size_t keep) const
{
    const size_t l = bytes.size();
    if (l == 0 || length < l)
        return 0;
    const size_t end = length - l + 1;
    // The filter tests every byte of a pattern of one or two bytes.
    const bool exact = l <= 2;
    uint64_t count = 0;
    uint64_t failed = 0; // bytes verified at candidates that were no match
    bool linear = false;
    for (size_t p = 0; p < end;) {
        size_t hit;
        if (!linear) {
            hit = kernels->first(data, p, end, filterKeys);
            if (hit >= end)
                break;
            if (!exact) {
                workDone += l;
                if (std::memcmp(data + hit, bytes.data(), l) != 0) {
                    failed += l;
                    // Failed candidates have cost more than twice the bytes passed:
                    // the rest goes to the linear search.
                    linear = failed > 2 * (hit + l);
                    p = hit + 1;
                    continue;
                }
            }
        } else {
            hit = fallback(data, length, p);
            if (hit == npos)
                break;
        }
        // Matches of a periodic pattern come in runs of one period; each run is
        // counted at once.
        uint64_t matches = 1;
        if (runs) {
            const size_t stop = runEnd(data, length, hit);
            matches = (stop - l - hit) / smallestPeriod + 1;
        }
        if (kept.size() < keep) {
            const uint64_t more = std::min<uint64_t>(matches, keep - kept.size());
            const auto step = static_cast<int64_t>(smallestPeriod);
            for (int64_t at = offset + static_cast<int64_t>(hit), k = 0; k < static_cast<int64_t>(more); ++k, at += step)
                kept.push_back(at);
        }
        count += matches;
        p = hit + (matches - 1) * smallestPeriod + 1;
    }
    return count;
}

StreamScan::StreamScan(const BytePattern& scanned, size_t blockSize, int64_t origin)
    : pattern(scanned), block(std::max({blockSize, scanned.size(), size_t(1)})),
      reserve((scanned.size() + Alignment - 2) / Alignment * Alignment),
      buffer(new uint8_t[reserve + block + Alignment]),
      aligned(buffer.get() + (Alignment - reinterpret_cast<uintptr_t>(buffer.get()) % Alignment) % Alignment),
      first(space()), base(origin)
{
}

// Whenever no position is left, the bytes held wait before space(), out of the next block's way.
void StreamScan::add(size_t count)
{
    held += std::min(count, block);
    if (exhausted())
        carry();
}

int64_t StreamScan::examine(int64_t positions)
{
    const size_t n = std::min<size_t>(positionsHeld() - std::min(done, positionsHeld()),
                                      static_cast<size_t>(std::max<int64_t>(positions, 0)));
    if (n > 0) {
        const size_t hit = pattern.find(first + done, n + pattern.size() - 1);
        if (hit != BytePattern::npos)
            return examined() + static_cast<int64_t>(hit);
        done += n;
    }
    if (exhausted())
        carry();
    return -1;
}

// The bytes after the last position examined (fewer than L) move to just before space().
void StreamScan::carry()
{
    const size_t rest = held - std::min(done, held);
    std::memmove(space() - rest, first + (held - rest), rest);
    base += static_cast<int64_t>(held - rest);
    first = space() - rest;
    held = rest;
    done = 0;
}

uint64_t StreamScan::countAll(int64_t positions, std::vector<int64_t>& kept, size_t keep)
{
    const size_t n = std::min<size_t>(positionsHeld() - std::min(done, positionsHeld()),
                                      static_cast<size_t>(std::max<int64_t>(positions, 0)));
    uint64_t count = 0;
    if (n > 0) {
        count = pattern.countAll(first + done, n + pattern.size() - 1, examined(), kept, keep);
        done += n;
    }
    if (exhausted())
        carry();
    return count;
}

int64_t StreamScan::scan(size_t count)
{
    add(count);
    return examine(INT64_MAX);
}

} // namespace search
