#include "support/TempFiles.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <unistd.h>

namespace testing_support {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "byteloom-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    dir = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
}

std::string TempDir::file(const std::string& name) const { return dir + "/" + name; }

static void writeAt(int fd, int64_t offset, const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = pwrite(fd, bytes.data() + done, bytes.size() - done, offset + static_cast<int64_t>(done));
        if (n <= 0)
            throw std::runtime_error("pwrite failed");
        done += static_cast<size_t>(n);
    }
}

std::string TempDir::write(const std::string& name, const std::vector<uint8_t>& bytes) const
{
    return sparse(name, static_cast<int64_t>(bytes.size()), 0, bytes);
}

std::string TempDir::sparse(const std::string& name, int64_t size, int64_t offset,
                            const std::vector<uint8_t>& bytes) const
{
    const std::string path = file(name);
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        throw std::runtime_error("cannot create " + path);
    if (ftruncate(fd, size) != 0) {
        close(fd);
        throw std::runtime_error("ftruncate failed");
    }
    writeAt(fd, offset, bytes);
    close(fd);
    return path;
}

std::vector<uint8_t> RandomBytes(size_t count, uint32_t seed)
{
    std::mt19937 gen(seed);
    std::vector<uint8_t> bytes(count);
    for (auto& b : bytes)
        b = static_cast<uint8_t>(gen());
    return bytes;
}

} // namespace testing_support
