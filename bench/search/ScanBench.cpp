// The scan engine against plain reads of the same page-cached 1 GiB files, the way
// an outside probe measures: read() in 128 KiB blocks doing nothing else (what cat
// does) and a ceiling for one thread (the same reads plus one memchr pass over each
// block while it is cached), alternated with each operation in one run, several
// rounds. Figures are the best round's ratio, the median round's printed beside it:
// forward (SearchFile) and backward searches for absent patterns on random and
// mostly-zero data, every occurrence (absent, every 4 KiB, and dense zeros), the
// next difference of two files, and the memory of an every-occurrence scan.

#include "Summary.h"
#include "file/File64.h"
#include "search/ByteRarity.h"
#include "search/ByteScan.h"
#include "search/Scan.h"
#include "search/Search.h"
#include "support/TempFiles.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <random>
#include <string.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int64_t FileSize = int64_t(1) << 30;
constexpr size_t Chunk = 1 << 20; // the file repeats one chunk
constexpr size_t ReadSize = 128 << 10;
constexpr int Rounds = 5;

using Bytes = std::vector<uint8_t>;

// Only the cases whose description holds this text run, when it is given.
const char* only = nullptr;

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

volatile int64_t probeHits = 0;

// What cat does: read() into one 128 KiB buffer until the end. With a probe, the
// ceiling: one memchr pass over each block while it is cached.
int64_t Cat(const std::string& path, bool probe = false)
{
    static Bytes buffer(ReadSize);
    const int fd = ::open(path.c_str(), O_RDONLY);
    int64_t total = 0;
    ssize_t n;
    while ((n = ::read(fd, buffer.data(), buffer.size())) > 0) {
        total += n;
        // A byte value that no file here holds, so the pass runs to the block's end.
        if (probe)
            probeHits = probeHits + (memchr(buffer.data(), 0xA7, static_cast<size_t>(n)) != nullptr);
    }
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

int64_t SearchBackward(const std::string& path, const Bytes& pattern)
{
    const util::File64 file(path);
    return search::FindBackward(file, search::BytePattern(pattern), INT64_MAX, [](int64_t) { return true; });
}

int64_t FindAllCount(const std::string& path, const Bytes& pattern)
{
    const util::File64 file(path);
    search::FindAllResult result;
    search::FindAll(file, search::BytePattern(pattern), 0, 1000000, result, [](int64_t) { return true; });
    return result.count;
}

// Every difference of two files in turn, each from the byte after the last.
int64_t Differences(const std::string& a, const std::string& b)
{
    const util::File64 fa(a), fb(b);
    search::FileComparison comparison(fa, fb);
    int64_t count = 0;
    for (int64_t at = comparison.next(0); at >= 0; at = comparison.next(at + 1))
        ++count;
    return count;
}

struct Ratios {
    double best, median, ceilingBest, ceilingMedian, catGbps;
};

// An operation over the files' bytes against cat and the ceiling over the same
// files, in turn, Rounds times: the ratios of the best and of the median times.
Ratios VersusCat(const std::vector<std::string>& paths, const std::function<void()>& operation, const char* what)
{
    if (only && !std::strstr(what, only))
        return {1, 1, 1, 1, 0};
    std::vector<double> cat, ceiling, scan, catCpu, scanCpu;
    const auto timed = [](const std::function<void()>& run, std::vector<double>* cpu = nullptr) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = CpuSeconds();
        run();
        if (cpu)
            cpu->push_back(CpuSeconds() - cpuStart);
        return Seconds(std::chrono::steady_clock::now() - start);
    };
    for (int round = 0; round < Rounds; ++round) {
        cat.push_back(timed(
            [&] {
                for (const auto& path : paths)
                    if (Cat(path) != FileSize)
                        std::exit(1);
            },
            &catCpu));
        ceiling.push_back(timed([&] {
            for (const auto& path : paths)
                Cat(path, true);
        }));
        scan.push_back(timed(operation, &scanCpu));
    }
    const double gb = static_cast<double>(FileSize) * static_cast<double>(paths.size()) / 1e9;
    const double bestCat = *std::min_element(cat.begin(), cat.end());
    const double bestCeiling = *std::min_element(ceiling.begin(), ceiling.end());
    const double bestScan = *std::min_element(scan.begin(), scan.end());
    const Ratios r{bestCat / bestScan, Median(cat) / Median(scan), bestCeiling / bestScan, Median(ceiling) / Median(scan),
                   gb / bestCat};
    std::printf("%s: cat %.2f GB/s (median %.2f), ceiling %.2f GB/s, scan %.2f GB/s (median %.2f); vs cat %.2f "
                "(median %.2f), vs ceiling %.2f (median %.2f); by processor time vs cat %.2f\n",
                what, gb / bestCat, gb / Median(cat), gb / bestCeiling, gb / bestScan, gb / Median(scan), r.best,
                r.median, r.ceilingBest, r.ceilingMedian, Median(catCpu) / Median(scanCpu));
    std::fflush(stdout);
    return r;
}

// The worst of several cases, best and median apart.
struct Worst {
    Ratios r{1e30, 1e30, 1e30, 1e30, 0};
    void add(const Ratios& x)
    {
        r.best = std::min(r.best, x.best);
        r.median = std::min(r.median, x.median);
        r.ceilingBest = std::min(r.ceilingBest, x.ceilingBest);
        r.ceilingMedian = std::min(r.ceilingMedian, x.ceilingMedian);
        r.catGbps = std::max(r.catGbps, x.catGbps);
    }
    void report(const std::string& name) const
    {
        Summary(name.c_str(), r.best, "x");
        Summary((name + "_median").c_str(), r.median, "x");
        const std::string ceiling = name.substr(0, name.find("_vs_cat")) + "_vs_ceiling";
        Summary(ceiling.c_str(), r.ceilingBest, "x");
    }
};

// The scan alone over a 128 KiB block already in the cache, on each path, by
// processor time: the headroom left over a faster read.
void ScanOnlyRates(const Bytes& chunk, const Bytes& pattern, const char* what)
{
    if (only)
        return;
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


// Resident memory of this process, and its peak since the last reset, in KiB.
int64_t StatusKib(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0)
            return std::atoll(line.c_str() + std::strlen(field));
    return -1;
}

void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1)
        only = argv[1];
    if (::access("/dev/shm", W_OK) == 0)
        setenv("TMPDIR", "/dev/shm", 1); // keeps the files in memory
    Worst forward, backward, findAll, dense, compare;
    {
        testing_support::TempDir dir;
        Bytes chunk = testing_support::RandomBytes(Chunk, 7);
        std::replace(chunk.begin(), chunk.end(), uint8_t{0xA7}, uint8_t{0xA6}); // the ceiling's probe byte
        const std::string path = MakeFile(dir, "random", chunk);
        Worst random;
        for (const size_t length : {size_t(4), size_t(16)}) {
            const std::string name = "search_vs_cat_random_" + std::to_string(length);
            const Bytes pattern = RandomAbsent(chunk, length);
            ScanOnlyRates(chunk, pattern, name.c_str());
            const Ratios r = VersusCat({path}, [&] { if (Search(path, pattern) != -1) std::exit(2); }, name.c_str());
            Summary(name.c_str(), r.best, "x");
            random.add(r);
            forward.add(r);
            backward.add(VersusCat({path}, [&] { if (SearchBackward(path, pattern) != -1) std::exit(2); },
                                   ("backward, random, absent " + std::to_string(length)).c_str()));
        }
        const Bytes absent = RandomAbsent(chunk, 8);
        findAll.add(VersusCat({path}, [&] { if (FindAllCount(path, absent) != 0) std::exit(2); },
                              "every occurrence, random, absent 8"));
        // Two files, identical and then with a difference every 64 KiB, both read.
        const std::string copy = MakeFile(dir, "copy", chunk);
        compare.add(VersusCat({path, copy}, [&] { if (Differences(path, copy) != 0) std::exit(2); },
                              "next difference, identical files"));
        ::unlink(copy.c_str());
        Bytes changed = chunk;
        for (size_t at = 4321; at < Chunk; at += 64 << 10)
            changed[at] ^= 0x5A;
        const std::string other = MakeFile(dir, "changed", changed);
        compare.add(VersusCat({path, other},
                              [&] { if (Differences(path, other) != FileSize / (64 << 10)) std::exit(2); },
                              "next difference, a difference every 64 KiB"));
        ::unlink(other.c_str());
        // An 8-byte pattern every 4 KiB of random data.
        Bytes marked = chunk;
        const Bytes marker = RandomAbsent(chunk, 8);
        for (size_t at = 100; at + marker.size() <= Chunk; at += 4096)
            std::copy(marker.begin(), marker.end(), marked.begin() + static_cast<long>(at));
        ::unlink(path.c_str());
        const std::string markedPath = MakeFile(dir, "marked", marked);
        findAll.add(VersusCat({markedPath},
                              [&] { if (FindAllCount(markedPath, marker) != FileSize / 4096) std::exit(2); },
                              "every occurrence, random, every 4 KiB"));
    }
    {
        testing_support::TempDir dir;
        const Bytes chunk = MostlyZeroChunk();
        const std::string path = MakeFile(dir, "zeros", chunk);
        Bytes framed4 = {0, ByRank(0), ByRank(1), 0};
        Bytes framed16(16, 0);
        for (size_t i = 1; i + 1 < framed16.size(); ++i)
            framed16[i] = ByRank(static_cast<int>(i % 8));
        Bytes lastRare(16, 0);
        lastRare.back() = ByRank(0);
        Worst zeros;
        for (const auto& [name, pattern] : {std::pair{"zeros, 00 rare rare 00", framed4},
                                            std::pair{"zeros, 00 + 14 rare + 00", framed16},
                                            std::pair{"zeros, 15 x 00 + rare", lastRare}}) {
            if (!AbsentFrom(chunk, pattern))
                return 1;
            ScanOnlyRates(chunk, pattern, name);
            const Ratios r = VersusCat({path}, [&] { if (Search(path, pattern) != -1) std::exit(2); }, name);
            zeros.add(r);
            forward.add(r);
            backward.add(VersusCat({path}, [&] { if (SearchBackward(path, pattern) != -1) std::exit(2); },
                                   (std::string("backward, ") + name).c_str()));
        }
        Summary("search_vs_cat_zeros", zeros.r.best, "x");
    }
    {
        testing_support::TempDir dir;
        const std::string path = MakeFile(dir, "allzero", Bytes(Chunk, 0));
        for (const size_t length : {size_t(2), size_t(16)})
            dense.add(VersusCat({path},
                                [&] {
                                    if (FindAllCount(path, Bytes(length, 0)) != FileSize - static_cast<int64_t>(length) + 1)
                                        std::exit(2);
                                },
                                ("every occurrence, " + std::to_string(length) + " x 00 over zeros").c_str()));
    }
    forward.report("search_vs_cat");
    backward.report("search_backward_vs_cat");
    findAll.report("find_all_vs_cat");
    dense.report("find_all_dense_vs_cat");
    compare.report("compare_vs_cat");
    {
        // 50 000 000 matches of 00 00, the first 1 000 000 kept: memory above the
        // paged file's own.
        testing_support::TempDir dir;
        const std::string path = dir.sparse("hits", 50000001);
        const util::File64 file(path);
        (void)file.getByte(0);
        // Memory the earlier scans freed goes back to the system first; kept by the
        // allocator, it would hide this scan's own.
        malloc_trim(0);
        const int64_t before = StatusKib("VmRSS:");
        ResetPeak();
        search::FindAllResult result;
        search::FindAll(file, search::BytePattern(Bytes{0, 0}), 0, 1000000, result);
        if (result.count != 50000000 || result.addresses.size() != 1000000)
            return 2;
        const int64_t peak = StatusKib("VmHWM:");
        std::printf("every occurrence of 00 00 in 50000001 zeros, 1000000 kept: resident %lld KiB before, peak %lld KiB\n",
                    static_cast<long long>(before), static_cast<long long>(peak));
        Summary("find_all_rss_mib", static_cast<double>(peak - before) / 1024.0, "MiB");
    }
    return 0;
}
