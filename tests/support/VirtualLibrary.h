#pragma once

// A stand-in block I/O library over a virtual file that is never stored: the byte at
// offset o is computed from o, except where a test planted bytes. Its size may be the
// largest offset (2^63-1) and may change under open handles; on request it misreports.

#include "support/StandInLibrary.h"

#include <cstdint>
#include <limits>
#include <map>
#include <vector>

namespace testing_support {

class VirtualLibrary : public StandInLibrary {
public:
    static constexpr int64_t LargestSize = std::numeric_limits<int64_t>::max();

    // Answers that do not say what happened.
    enum class Fault {
        None,
        ReadsMoreThanAsked, // a read fills what was asked and reports 100 bytes more
        SizeMinusOne,       // the seek to the end answers -1
        SeekLandsElsewhere, // a seek from the start lands one byte after the offset asked for
        SeekFails,          // a seek from the start answers -1
        ReadFails,          // a read answers -1
    };

    explicit VirtualLibrary(int64_t size = LargestSize);

    // The byte at offset before any planting.
    static uint8_t Computed(int64_t offset);
    // The byte the file holds at offset: the reference for reads and searches.
    uint8_t byteAt(int64_t offset) const;
    // The count bytes from offset on, planted ones included.
    std::vector<uint8_t> bytes(int64_t offset, int64_t count) const;
    // Bytes that replace the computed ones from offset on (within the largest offset).
    void plant(int64_t offset, const std::vector<uint8_t>& bytes);
    // The file grows or shrinks; open handles keep their positions.
    void resize(int64_t newSize) { size = newSize; }
    int64_t fileSize() const { return size; }
    // From now on every answer of that kind misreports (Fault::None stops it).
    void misreport(Fault f) { fault = f; }

    // Handles given and not yet closed.
    size_t openHandles() const { return positions.size(); }

private:
    int open(const char* path, int flags, int mode) override;
    int64_t seek(int handle, int64_t offset, int origin) override;
    int read(int handle, void* buffer, unsigned count) override;
    int write(int handle, const void* buffer, unsigned count) override;
    int close(int handle) override;
    int commit(int handle) override;
    void fill(int64_t offset, int64_t count, uint8_t* out) const;

    int64_t size;
    Fault fault = Fault::None;
    std::map<int64_t, uint8_t> planted;
    std::map<int, int64_t> positions; // handle -> position
    int nextHandle = 1;
};

} // namespace testing_support
