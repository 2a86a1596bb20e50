#pragma once

// A stand-in block I/O library over a virtual file that is never stored: the byte at
// offset o is computed from o, except where a test planted bytes. Its size may be the
// largest offset (2^63-1) and may change under open handles; on request it misreports.

#include "file/File64.h"

#include <cstdint>
#include <limits>
#include <map>
#include <vector>

namespace testing_support {

class VirtualLibrary {
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

    // One lives at a time: the entry points are plain functions that reach it.
    explicit VirtualLibrary(int64_t size = LargestSize);
    ~VirtualLibrary();
    VirtualLibrary(const VirtualLibrary&) = delete;
    VirtualLibrary& operator=(const VirtualLibrary&) = delete;

    // The six entry points, for a paged file or a page.
    const DllLoader& loader() const { return library; }

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

    int opens = 0, seeks = 0, reads = 0, writes = 0, closes = 0, commits = 0;
    // Handles given and not yet closed.
    size_t openHandles() const { return positions.size(); }

private:
    static int Open(const char* path, int flags, int mode);
    static int64_t Seek(int handle, int64_t offset, int origin);
    static int Read(int handle, void* buffer, unsigned count);
    static int Write(int handle, const void* buffer, unsigned count);
    static int Close(int handle);
    static int Commit(int handle);
    void fill(int64_t offset, int64_t count, uint8_t* out) const;

    int64_t size;
    Fault fault = Fault::None;
    std::map<int64_t, uint8_t> planted;
    std::map<int, int64_t> positions; // handle -> position
    int nextHandle = 1;
    DllLoader library;
};

} // namespace testing_support
