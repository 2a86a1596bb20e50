#pragma once

// Fixture files for tests, made in a private temporary folder removed at the end.

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return dir; }
    // Full path of a name inside the folder.
    std::string file(const std::string& name) const;
    // Writes the bytes to a new file and returns its full path.
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    // A sparse file of the given size (zeros), with the given bytes written at offset.
    std::string sparse(const std::string& name, int64_t size, int64_t offset = 0,
                       const std::vector<uint8_t>& bytes = {}) const;

private:
    std::string dir;
};

// Bytes from a fixed-seed generator, the same on every run.
std::vector<uint8_t> RandomBytes(size_t count, uint32_t seed);

} // namespace testing_support
