// Paged-file throughput against a plain read() of the same page-cached file.

#include "Summary.h"
#include "file/File64.h"
#include "support/TempFiles.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

constexpr int64_t FileSize = int64_t(256) << 20;
constexpr int Repeats = 3;

double seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

template <typename Fn>
double bestOf(Fn&& run)
{
    double best = 1e30;
    for (int i = 0; i < Repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        best = std::min(best, seconds(std::chrono::steady_clock::now() - start));
    }
    return best;
}

volatile uint64_t sink;

} // namespace

int main()
{
    testing_support::TempDir dir;
    const std::string path = dir.file("data");
    {
        // Written in chunks so the file is in the page cache before measuring.
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const auto chunk = testing_support::RandomBytes(1 << 20, 7);
        for (int64_t done = 0; done < FileSize; done += static_cast<int64_t>(chunk.size()))
            if (::write(fd, chunk.data(), chunk.size()) != static_cast<ssize_t>(chunk.size()))
                return 1;
        ::close(fd);
    }
    const double gb = static_cast<double>(FileSize) / 1e9;

    const double plain = bestOf([&] {
        const int fd = ::open(path.c_str(), O_RDONLY);
        std::vector<uint8_t> buffer(65536);
        uint64_t sum = 0;
        ssize_t n;
        while ((n = ::read(fd, buffer.data(), buffer.size())) > 0)
            for (ssize_t i = 0; i < n; ++i)
                sum += buffer[static_cast<size_t>(i)];
        ::close(fd);
        sink = sum;
    });

    util::File64 file(path);
    const double sequential = bestOf([&] {
        uint64_t sum = 0;
        for (int64_t i = 0; i < FileSize; ++i)
            sum += file.getByte(i);
        sink = sum;
    });

    constexpr int RandomReads = 200000;
    std::vector<int64_t> offsets(RandomReads);
    std::mt19937_64 gen(11);
    for (auto& o : offsets)
        o = static_cast<int64_t>(gen() % static_cast<uint64_t>(FileSize));
    const double random = bestOf([&] {
        uint64_t sum = 0;
        for (int64_t o : offsets)
            sum += file.getByte(o);
        sink = sum;
    });

    std::printf("256 MiB file: getByte sequential %.3f s, read()+sum %.3f s, %d random getByte %.3f s\n",
                sequential, plain, RandomReads, random);
    Summary("getbyte_seq", gb / sequential, "GB/s");
    Summary("read_sum", gb / plain, "GB/s");
    Summary("getbyte_seq_vs_read_sum", plain / sequential, "x");
    Summary("getbyte_random", random / RandomReads * 1e6, "us/byte");
    return 0;
}
