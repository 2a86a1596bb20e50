// The search against a plain read of the same page-cached 1 GiB file: read() in
// 128 KiB blocks doing nothing else (what cat does), measured in turn with
// SearchFile over a paged file (a pacer that does nothing) for absent patterns.
// Random data with 4- and 16-byte patterns; mostly-zero data with patterns that
// begin and end with zero around rare bytes, and one of zeros whose last byte
// alone is rare.

#include "Summary.h"
#include "file/File64.h"
#include "search/ByteRarity.h"
#include "search/ByteScan.h"
#include "search/Search.h"
#include "support/TempFiles.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <random>
#include <string.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int64_t FileSize = int64_t(1) << 30;
constexpr size_t Chunk = 1 << 20; // the file repeats one chunk
constexpr size_t ReadSize = 128 << 10;
constexpr int Rounds = 7;

using Bytes = std::vector<uint8_t>;

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Processor seconds of this process, kernel time in read() included: less
// disturbed than wall time when other work shares the cores.
double CpuSeconds()
{
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

uint8_t ByRank(int rank)
{
    const auto& table = search::ByteCommonness;
    return static_cast<uint8_t>(std::find(table.begin(), table.end(), rank) - table.begin());
}

// Zeros with one non-zero byte in about 4 KiB, none of them among the 16 rarest
// values, so that patterns of those are absent.
Bytes MostlyZeroChunk()
{
    std::mt19937 gen(7);
    Bytes chunk(Chunk, 0);
    for (size_t i = 0; i < Chunk / 4096; ++i)
        chunk[gen() % Chunk] = ByRank(16 + static_cast<int>(gen() % 240));
    return chunk;
}

std::string MakeFile(const testing_support::TempDir& dir, const std::string& name, const Bytes& chunk)
{
    const std::string path = dir.file(name);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (int64_t done = 0; done < FileSize; done += static_cast<int64_t>(chunk.size()))
        if (::write(fd, chunk.data(), chunk.size()) != static_cast<ssize_t>(chunk.size()))
            std::exit(1);
    ::close(fd);
    return path;
}

bool AbsentFrom(const Bytes& chunk, const Bytes& pattern)
{
    Bytes doubled(chunk);
    doubled.insert(doubled.end(), chunk.begin(), chunk.begin() + static_cast<long>(pattern.size()));
    return !memmem(doubled.data(), doubled.size(), pattern.data(), pattern.size());
}

// What cat does: read() into one 128 KiB buffer until the end.
int64_t Cat(const std::string& path)
{
    static Bytes buffer(ReadSize);
    const int fd = ::open(path.c_str(), O_RDONLY);
    int64_t total = 0;
    ssize_t n;
    while ((n = ::read(fd, buffer.data(), buffer.size())) > 0)
        total += n;
    ::close(fd);
    return total;
}

std::string HexText(const Bytes& bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (const uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

// What the Find command does: open the paged file, search it from the top.
int64_t Search(const std::string& path, const Bytes& pattern)
{
    const util::File64 file(path);
    return search::SearchFile(file, HexText(pattern), 0, [](int64_t) { return true; });
}

// The search's rate against cat's, both measured in turn over several rounds.
double VersusCat(const std::string& path, const Bytes& pattern, const char* what)
{
    std::vector<double> cat, scan, catCpu, scanCpu;
    for (int round = 0; round < Rounds; ++round) {
        auto start = std::chrono::steady_clock::now();
        double cpu = CpuSeconds();
        if (Cat(path) != FileSize)
            std::exit(1);
        cat.push_back(Seconds(std::chrono::steady_clock::now() - start));
        catCpu.push_back(CpuSeconds() - cpu);
        start = std::chrono::steady_clock::now();
        cpu = CpuSeconds();
        if (Search(path, pattern) != -1) {
            std::fprintf(stderr, "%s: the pattern was found\n", what);
            std::exit(1);
        }
        scan.push_back(Seconds(std::chrono::steady_clock::now() - start));
        scanCpu.push_back(CpuSeconds() - cpu);
    }
    const double gb = static_cast<double>(FileSize) / 1e9;
    const double ratio = Median(cat) / Median(scan);
    std::printf("%s: cat %.2f GB/s, search %.2f GB/s, ratio %.2f; by processor time cat %.2f GB/s, search %.2f GB/s, "
                "ratio %.2f\n",
                what, gb / Median(cat), gb / Median(scan), ratio, gb / Median(catCpu), gb / Median(scanCpu),
                Median(catCpu) / Median(scanCpu));
    return ratio;
}

// The scan alone over a 128 KiB block already in the cache, on each path, by
// processor time: the headroom left over a faster read.
void ScanOnlyRates(const Bytes& chunk, const Bytes& pattern, const char* what)
{
    std::printf("%s, scan of a cached 128 KiB block:", what);
    for (const auto path : {search::ScanPath::Scalar, search::ScanPath::Sse2, search::ScanPath::Avx2}) {
        if (!search::ScanPathAvailable(path))
            continue;
        const search::BytePattern prepared(pattern, path);
        std::vector<double> times;
        for (int round = 0; round < Rounds; ++round) {
            const double start = CpuSeconds();
            for (size_t i = 0; i < 4096; ++i)
                if (prepared.find(chunk.data() + (i % 8) * ReadSize, ReadSize) != search::BytePattern::npos)
                    std::exit(1);
            times.push_back(CpuSeconds() - start);
        }
        std::printf(" %s %.1f GB/s", path == search::ScanPath::Scalar ? "scalar" : path == search::ScanPath::Sse2 ? "SSE2" : "AVX2",
                    4096.0 * ReadSize / 1e9 / Median(times));
    }
    std::printf("\n");
}

Bytes RandomAbsent(const Bytes& chunk, size_t length)
{
    for (uint32_t seed = 100;; ++seed) {
        Bytes pattern = testing_support::RandomBytes(length, seed);
        if (AbsentFrom(chunk, pattern))
            return pattern;
    }
}

} // namespace

int main()
{
    if (::access("/dev/shm", W_OK) == 0)
        setenv("TMPDIR", "/dev/shm", 1); // keeps the files in memory
    double worst = 1e30;
    {
        testing_support::TempDir dir;
        const Bytes chunk = testing_support::RandomBytes(Chunk, 7);
        const std::string path = MakeFile(dir, "random", chunk);
        for (const size_t length : {size_t(4), size_t(16)}) {
            const std::string name = "search_vs_cat_random_" + std::to_string(length);
            const Bytes pattern = RandomAbsent(chunk, length);
            ScanOnlyRates(chunk, pattern, name.c_str());
            const double ratio = VersusCat(path, pattern, name.c_str());
            Summary(name.c_str(), ratio, "x");
            worst = std::min(worst, ratio);
        }
    }
    testing_support::TempDir dir;
    const Bytes chunk = MostlyZeroChunk();
    const std::string path = MakeFile(dir, "zeros", chunk);
    Bytes framed4 = {0, ByRank(0), ByRank(1), 0};
    Bytes framed16(16, 0);
    for (size_t i = 1; i + 1 < framed16.size(); ++i)
        framed16[i] = ByRank(static_cast<int>(i % 8));
    Bytes lastRare(16, 0);
    lastRare.back() = ByRank(0);
    double zeros = 1e30;
    for (const auto& [name, pattern] : {std::pair{"zeros, 00 rare rare 00", framed4},
                                        std::pair{"zeros, 00 + 14 rare + 00", framed16},
                                        std::pair{"zeros, 15 x 00 + rare", lastRare}}) {
        if (!AbsentFrom(chunk, pattern))
            return 1;
        ScanOnlyRates(chunk, pattern, name);
        zeros = std::min(zeros, VersusCat(path, pattern, name));
    }
    Summary("search_vs_cat_zeros", zeros, "x");
    Summary("search_vs_cat", std::min(worst, zeros), "x");
    return 0;
}
