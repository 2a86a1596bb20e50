#include "search/Scan.h"

#include <algorithm>
#include <cstring>
#include <exception>

namespace search {

namespace {

// Lets the pacer run each time the scan has examined another PacingStep positions.
// Offsets may reach 2^63-1, so the distance to the next pacing point is a count of
// positions, never an offset ahead of the scan.
class Pacing {
public:
    explicit Pacing(const SearchPacer& pace_) : pace(pace_) {}

    // False when the pacer stopped the scan; position is where the scan stands after
    // examining another `examined` positions.
    bool operator()(int64_t examined, int64_t position)
    {
        left -= examined;
        if (left > 0)
            return true;
        left = PacingStep;
        return !pace || pace(position);
    }

    int64_t left = PacingStep; // positions to examine before the pacer runs next

private:
    const SearchPacer& pace;
};

// Reads count bytes from offset on (all below the file's size) into buffer, in as
// few block reads as the library allows. A failed read ends the reading and its
// error waits in failure; returns the bytes that arrived before it.
size_t ReadSpan(const util::File64& file, int64_t offset, uint8_t* buffer, size_t count, std::exception_ptr& failure)
{
    size_t done = 0;
    try {
        while (done < count) {
            const auto ask = static_cast<int32_t>(std::min<size_t>(count - done, util::File64::BlockLimit));
            done += static_cast<size_t>(file.readBlock(offset + static_cast<int64_t>(done), buffer + done, ask));
        }
    } catch (...) {
        failure = std::current_exception();
    }
    return done;
}

// Fills a forward stream's block with one step from `next` on. A failed read ends
// the step; its error waits until the positions before it have been examined, so a
// match there is still found.
class StepFeed {
public:
    StepFeed(const util::File64& file_, int64_t from) : file(file_), next(from) {}

    // False when nothing is left to read.
    bool fill(StreamScan& stream)
    {
        if (failure)
            std::rethrow_exception(failure);
        if (next >= file.size())
            return false;
        // The first steps are short, so that a Next among dense matches reads little.
        const size_t want = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(std::min(stream.spaceSize(), ramp)),
                                                                  file.size() - next));
        ramp = std::min(2 * ramp, stream.spaceSize());
        const size_t n = ReadSpan(file, next, stream.space(), want, failure);
        next += static_cast<int64_t>(n);
        stream.add(n);
        return true;
    }

private:
    const util::File64& file;
    int64_t next; // the offset of the next byte to read
    size_t ramp = util::File64::File64Imp::WindowSize; // the most the next step reads
    std::exception_ptr failure;
};

thread_local uint64_t lastWork = 0;

// Keeps the work of this scan for LastSearchWork however the scan ends.
struct WorkRecord {
    const BytePattern& scan;
    uint64_t before = scan.work();
    ~WorkRecord() { lastWork = scan.work() - before; }
};

size_t BlockFor(const BytePattern& pattern) { return std::max(ScanStep, pattern.size()); }

// The most addresses an every-occurrence scan makes room for at its start (128 MiB).
constexpr uint64_t ReservedAddresses = uint64_t{1} << 24;

} // namespace

uint64_t LastSearchWork() { return lastWork; }

int64_t FindForward(const util::File64& file, const BytePattern& pattern, int64_t start, const SearchPacer& pace)
{
    const auto length = static_cast<int64_t>(pattern.size());
    if (length == 0)
        return start;
    const int64_t from = std::max<int64_t>(start, 0);
    if (from > file.size() - length)
        return -1;
    const WorkRecord record{pattern};
    StreamScan stream(pattern, BlockFor(pattern), from);
    StepFeed feed(file, from);
    Pacing paced(pace);
    for (;;) {
        if (stream.exhausted()) {
            if (!feed.fill(stream))
                return -1;
            continue;
        }
        const int64_t before = stream.examined();
        const int64_t hit = stream.examine(paced.left);
        if (hit >= 0)
            return hit;
        if (!paced(stream.examined() - before, stream.examined()))
            return SearchCancelled;
    }
}

bool FindAll(const util::File64& file, const BytePattern& pattern, int64_t start, size_t keep,
             FindAllResult& result, const SearchPacer& pace)
{
    const auto length = static_cast<int64_t>(pattern.size());
    const int64_t from = std::max<int64_t>(start, 0);
    result.count = 0;
    result.addresses.clear();
    result.reached = from;
    result.complete = false;
    if (length == 0 || from > file.size() - length) {
        result.complete = true;
        return true;
    }
    // Room for every address that can be kept, taken once: the list is written
    // without a copy, and pages are touched only as addresses arrive. Past
    // ReservedAddresses it grows as matches come.
    const auto positions = static_cast<uint64_t>(file.size() - from - length + 1);
    result.addresses.reserve(static_cast<size_t>(std::min<uint64_t>({keep, positions, ReservedAddresses})));
    const WorkRecord record{pattern};
    StreamScan stream(pattern, BlockFor(pattern), from);
    StepFeed feed(file, from);
    Pacing paced(pace);
    for (;;) {
        if (stream.exhausted()) {
            if (!feed.fill(stream)) {
                result.reached = file.size() - length + 1;
                result.complete = true;
                return true;
            }
            continue;
        }
        const int64_t before = stream.examined();
        result.count += static_cast<int64_t>(stream.countAll(paced.left, result.addresses, keep));
        result.reached = stream.examined();
        if (!paced(result.reached - before, result.reached))
            return false;
    }
}

int64_t FindBackward(const util::File64& file, const BytePattern& pattern, int64_t before, const SearchPacer& pace)
{
    const auto l = static_cast<int64_t>(pattern.size());
    if (l == 0)
        return before <= 0 ? -1 : std::min(before - 1, file.size());
    // Positions below top are examined, from the highest down.
    const int64_t top = std::min(before, file.size() - l + 1);
    if (top <= 0)
        return -1;
    const WorkRecord record{pattern};
    // Each step goes just below the bytes carried from the step above: the first
    // L - 1 bytes held, which the positions below still need.
    const size_t block = BlockFor(pattern);
    const size_t carried = pattern.size() - 1;
    const std::unique_ptr<uint8_t[]> buffer(new uint8_t[block + carried + StreamScan::Alignment]);
    uint8_t* const space = buffer.get() + (StreamScan::Alignment - reinterpret_cast<uintptr_t>(buffer.get()) %
                                                                      StreamScan::Alignment) % StreamScan::Alignment;
    uint8_t* first = space + block; // the byte at offset low
    int64_t low = top + (l - 1);    // the bytes held are [low, low + held); top + l may pass 2^63-1
    size_t held = 0;
    int64_t next = top; // every position from next up to top was examined
    Pacing paced(pace);
    while (next > 0) {
        const int64_t upper = std::min(next, low + static_cast<int64_t>(held) - l + 1);
        if (upper <= low) {
            const size_t rest = std::min(held, carried);
            std::memmove(space + block, first, rest);
            first = space + block;
            held = rest;
            const int64_t n = std::min<int64_t>(static_cast<int64_t>(block), low);
            std::exception_ptr failure;
            // Bytes above a failure cannot be read, so no position below it can be
            // examined before them: the error rises at once.
            if (ReadSpan(file, low - n, first - n, static_cast<size_t>(n), failure) < static_cast<size_t>(n))
                std::rethrow_exception(failure);
            first -= n;
            low -= n;
            held += static_cast<size_t>(n);
            continue;
        }
        const int64_t count = std::min(upper - low, paced.left);
        const int64_t from = upper - count;
        const size_t hit = pattern.findLast(first + (from - low), static_cast<size_t>(count + l - 1));
        if (hit != BytePattern::npos)
            return from + static_cast<int64_t>(hit);
        next = from;
        if (!paced(count, next))
            return SearchCancelled;
    }
    return -1;
}

// The last step read from both files: bytes [at, at + length) of each, and the
// error that ended a forward read early, which rises once the bytes before it were
// compared.
struct FileComparison::Step {
    explicit Step(size_t size)
        : buffer(new uint8_t[2 * size + 2 * StreamScan::Alignment]),
          a(buffer.get() + (StreamScan::Alignment - reinterpret_cast<uintptr_t>(buffer.get()) % StreamScan::Alignment) %
                               StreamScan::Alignment),
          b(a + size + StreamScan::Alignment)
    {
    }

    std::unique_ptr<uint8_t[]> buffer;
    uint8_t* a;
    uint8_t* b;
    int64_t at = 0;
    int64_t length = 0;
    std::exception_ptr failure;
};

FileComparison::FileComparison(const util::File64& a, const util::File64& b, ScanPath path)
    : fileA(a), fileB(b), kernels(KernelsOf(path)), step(std::make_unique<Step>(ScanStep))
{
}

FileComparison::~FileComparison() = default;

int64_t FileComparison::cover(int64_t offset, bool backward)
{
    Step& s = *step;
    if (offset >= s.at && offset - s.at < s.length)
        return backward ? offset - s.at + 1 : s.length - (offset - s.at);
    if (!backward && s.failure && offset == s.at + s.length)
        std::rethrow_exception(s.failure);
    const int64_t common = std::min(fileA.size(), fileB.size());
    const int64_t from = backward ? std::max<int64_t>(0, offset + 1 - static_cast<int64_t>(ScanStep)) : offset;
    const int64_t want = backward ? offset + 1 - from : std::min<int64_t>(static_cast<int64_t>(ScanStep), common - offset);
    s.length = 0;
    s.failure = nullptr;
    std::exception_ptr failA, failB;
    const size_t gotA = ReadSpan(fileA, from, s.a, static_cast<size_t>(want), failA);
    const size_t gotB = ReadSpan(fileB, from, s.b, gotA, failB);
    readBytes += gotA;
    const auto got = static_cast<int64_t>(gotB);
    s.at = from;
    s.failure = gotB < gotA ? failB : failA;
    if (got < want && (backward || got == 0)) {
        const std::exception_ptr failure = s.failure;
        s.failure = nullptr;
        std::rethrow_exception(failure);
    }
    s.length = got;
    return backward ? offset - from + 1 : got;
}

int64_t FileComparison::next(int64_t start, const SearchPacer& pace)
{
    const int64_t common = std::min(fileA.size(), fileB.size());
    const int64_t longest = std::max(fileA.size(), fileB.size());
    int64_t position = std::max<int64_t>(start, 0);
    Pacing paced(pace);
    while (position < common) {
        const int64_t n = std::min(cover(position, false), paced.left);
        const int64_t in = position - step->at;
        const size_t d = kernels.firstDifference(step->a + in, step->b + in, static_cast<size_t>(n));
        if (d < static_cast<size_t>(n))
            return position + static_cast<int64_t>(d);
        position += n;
        if (!paced(n, position))
            return SearchCancelled;
    }
    // Past the shorter file's end every byte is a difference.
    return position < longest ? position : -1;
}

int64_t FileComparison::previous(int64_t before, const SearchPacer& pace)
{
    const int64_t common = std::min(fileA.size(), fileB.size());
    const int64_t longest = std::max(fileA.size(), fileB.size());
    if (before > common && common < longest)
        return std::min(before, longest) - 1;
    int64_t position = std::min(before, common); // every offset from here up was compared
    Pacing paced(pace);
    while (position > 0) {
        const int64_t n = std::min(cover(position - 1, true), paced.left);
        const int64_t from = position - n;
        const int64_t in = from - step->at;
        const size_t d = kernels.lastDifference(step->a + in, step->b + in, static_cast<size_t>(n));
        if (d != NoPosition)
            return from + static_cast<int64_t>(d);
        position = from;
        if (!paced(n, position))
            return SearchCancelled;
    }
    return -1;
}

bool FileComparison::count(int64_t from, int64_t to, DifferenceTally& tally, const SearchPacer& pace)
{
    const int64_t common = std::min(fileA.size(), fileB.size());
    const int64_t longest = std::max(fileA.size(), fileB.size());
    from = std::max<int64_t>(from, 0);
    to = std::min(to, longest);
    tally = DifferenceTally{0, from, false};
    const int64_t compared = std::min(to, common); // the end of the bytes both files have
    Pacing paced(pace);
    while (tally.reached < compared) {
        const int64_t position = tally.reached;
        const int64_t n = std::min({cover(position, false), compared - position, paced.left});
        const int64_t in = position - step->at;
        tally.count += static_cast<int64_t>(kernels.differences(step->a + in, step->b + in, static_cast<size_t>(n)));
        tally.reached = position + n;
        if (!paced(n, tally.reached))
            return false;
    }
    if (to > tally.reached) {
        tally.count += to - tally.reached;
        tally.reached = to;
    }
    tally.complete = true;
    return true;
}

} // namespace search
