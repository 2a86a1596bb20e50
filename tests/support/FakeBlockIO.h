#pragma once

// A stand-in for the block I/O library: bytes in memory, or the real library passed
// through, with a read limit, a failing offset and call counters. Its entry points are
// plain functions, so one fake answers at a time: the newest one alive, until its
// scope ends (the one before it answers again).

#include "file/File64.h"
#include "util/NoCopy.h"

#include <cstdint>
#include <vector>

namespace testing_support {

class FakeBlockIO : NoCopy {
public:
    struct OverRealLibrary {};

    // Serves the given bytes.
    explicit FakeBlockIO(std::vector<uint8_t> content = {});
    // Serves a file of size bytes, each of them fill, without holding them.
    FakeBlockIO(int64_t size, uint8_t fill);
    // Passes every call to the program's loader, still counting and limiting reads.
    explicit FakeBlockIO(OverRealLibrary, uint32_t readLimit = 1u << 30);
    ~FakeBlockIO();

    // A loader over this fake's entry points; it must outlive every file opened with it.
    const DllLoader& library() const { return loader; }

    // Knobs, read at every call.
    std::vector<uint8_t> bytes;
    int64_t virtualSize = -1;         // when >= 0, the file has this size and every byte is fill
    uint8_t fill = 0;
    int handleToGive = 7;             // what open answers
    uint32_t readLimit = 1u << 30;    // a read returns at most this many bytes
    int64_t failFrom = INT64_MAX;     // a read starting at or past this offset fails with -1
    int readResult = 0;               // when not 0, every read answers this instead of reading

    // What was asked.
    int opens = 0, seeks = 0, reads = 0, writes = 0, closes = 0, commits = 0;
    int64_t lastSeekOffset = -99;
    int64_t position = 0;

private:
    static int Open(const char* path, int flags, int mode);
    static int64_t Seek(int handle, int64_t offset, int origin);
    static int Read(int handle, void* buffer, unsigned count);
    static int Write(int handle, const void* buffer, unsigned count);
    static int Close(int handle);
    static int Commit(int handle);
    int64_t size() const;

    bool overReal = false;
    FakeBlockIO* previous = nullptr;
    DllLoader loader;
};

} // namespace testing_support
