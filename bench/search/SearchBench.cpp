// Search throughput for absent patterns against a plain read() + memmem scan of
// the same page-cached file, measured in the same run. The ratio is taken against
// reads of the window's size; 1 MiB reads are shown beside it.

#include "Summary.h"
#include "file/File64.h"
#include "search/Search.h"
#include "support/TempFiles.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <random>
#include <string.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int64_t FileSize = int64_t(1) << 30;
constexpr size_t Chunk = 1 << 20;        // the file repeats one random chunk
// read() sizes of the plain scan: the paged file's window, as bench_file reads, and a larger one for comparison.
constexpr size_t PlainBuffer = 1 << 16;
constexpr size_t LargeBuffer = 1 << 20;
constexpr int Repeats = 5;

using Bytes = std::vector<uint8_t>;

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Runs the contenders in turn, several rounds, and keeps each one's best time, so
// that a busy moment of the machine weighs on all of them alike.
template <size_t N>
std::array<double, N> bestOf(const std::array<std::function<void()>, N>& runs)
{
    std::array<double, N> best;
    best.fill(1e30);
    for (int round = 0; round < Repeats; ++round)
        for (size_t i = 0; i < N; ++i) {
            const auto start = std::chrono::steady_clock::now();
            runs[i]();
            best[i] = std::min(best[i], seconds(std::chrono::steady_clock::now() - start));
        }
    return best;
}

// A pattern of the given length found nowhere in the file: not in the chunk nor
// across the seam where the chunk follows itself.
Bytes AbsentPattern(const Bytes& chunk, size_t length, uint32_t seed)
{
    Bytes doubled(chunk);
    doubled.insert(doubled.end(), chunk.begin(), chunk.begin() + static_cast<long>(length));
    for (;; ++seed) {
        Bytes pattern = testing_support::RandomBytes(length, seed);
        if (!memmem(doubled.data(), doubled.size(), pattern.data(), pattern.size()))
            return pattern;
    }
}

std::string HexText(const Bytes& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

// The plain scan: read() into one buffer, carrying the last length-1 bytes over.
int64_t PlainScan(const std::string& path, const Bytes& pattern, size_t bufferSize)
{
    const int fd = ::open(path.c_str(), O_RDONLY);
    Bytes buffer(bufferSize + pattern.size());
    const size_t carry = pattern.size() - 1;
    size_t kept = 0;
    int64_t base = 0; // file offset of buffer[0]
    int64_t found = -1;
    ssize_t n;
    while ((n = ::read(fd, buffer.data() + kept, bufferSize)) > 0) {
        const size_t filled = kept + static_cast<size_t>(n);
        if (const void* hit = memmem(buffer.data(), filled, pattern.data(), pattern.size())) {
            found = base + (static_cast<const uint8_t*>(hit) - buffer.data());
            break;
        }
        kept = std::min(carry, filled);
        std::memmove(buffer.data(), buffer.data() + filled - kept, kept);
        base += static_cast<int64_t>(filled - kept);
    }
    ::close(fd);
    return found;
}

} // namespace

int main()
{
    testing_support::TempDir dir;
    const std::string path = dir.file("data");
    const Bytes chunk = testing_support::RandomBytes(Chunk, 7);
    {
        // Written in chunks so the file is in the page cache before measuring.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        for (int64_t done = 0; done < FileSize; done += static_cast<int64_t>(chunk.size()))
            if (::write(fd, chunk.data(), chunk.size()) != static_cast<ssize_t>(chunk.size()))
                return 1;
        ::close(fd);
    }
    const double gb = static_cast<double>(FileSize) / 1e9;
    util::File64 file(path);

    double worstRatio = 1e30;
    for (const size_t length : {size_t(4), size_t(16)}) {
        const Bytes pattern = AbsentPattern(chunk, length, 100);
        const std::string text = HexText(pattern);
        int64_t plainResult = 0, largeResult = 0, searchResult = 0;
        const auto [plain, large, searched] = bestOf<3>({
            [&] { plainResult = PlainScan(path, pattern, PlainBuffer); },
            [&] { largeResult = PlainScan(path, pattern, LargeBuffer); },
            [&] { searchResult = search::SearchFile(file, text, 0, [](int64_t) { return true; }); },
        });
        if (plainResult != -1 || largeResult != -1 || searchResult != -1) {
            std::fprintf(stderr, "pattern %s unexpectedly found\n", text.c_str());
            return 1;
        }
        const double ratio = plain / searched;
        worstRatio = std::min(worstRatio, ratio);
        std::printf("1 GiB, absent %zu-byte pattern: SearchFile %.3f s, read()+memmem %.3f s (64 KiB reads), "
                    "%.3f s (1 MiB reads)\n",
                    length, searched, plain, large);
        const std::string suffix = "_" + std::to_string(length);
        Summary(("search_gbps" + suffix).c_str(), gb / searched, "GB/s");
        Summary(("memmem_gbps" + suffix).c_str(), gb / plain, "GB/s");
        Summary(("memmem_1mib_gbps" + suffix).c_str(), gb / large, "GB/s");
    }
    Summary("search_vs_memmem", worstRatio, "x");
    return 0;
}
