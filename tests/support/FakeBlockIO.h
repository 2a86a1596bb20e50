#pragma once

// A stand-in for the block I/O library: bytes in memory, or the real library passed
// through, with a read limit and a failing offset. The newest stand-in alive answers.

#include "support/StandInLibrary.h"

#include <cstdint>
#include <vector>

namespace testing_support {

class FakeBlockIO : public StandInLibrary {
public:
    struct OverRealLibrary {};

    // Serves the given bytes.
    explicit FakeBlockIO(std::vector<uint8_t> content = {});
    // Serves a file of size bytes, each of them fill, without holding them.
    FakeBlockIO(int64_t size, uint8_t fill);
    // Passes every call to the program's loader, still counting and limiting reads.
    explicit FakeBlockIO(OverRealLibrary, uint32_t readLimit = 1u << 30);

    // Knobs, read at every call.
    std::vector<uint8_t> bytes;
    int64_t virtualSize = -1;         // when >= 0, the file has this size and every byte is fill
    uint8_t fill = 0;
    int handleToGive = 7;             // what open answers
    uint32_t readLimit = 1u << 30;    // a read returns at most this many bytes
    int64_t failFrom = INT64_MAX;     // a read starting at or past this offset fails with -1
    int readResult = 0;               // when not 0, every read answers this instead of reading

    // What was asked.
    int64_t lastSeekOffset = -99;
    int64_t position = 0;

private:
    int open(const char* path, int flags, int mode) override;
    int64_t seek(int handle, int64_t offset, int origin) override;
    int read(int handle, void* buffer, unsigned count) override;
    int write(int handle, const void* buffer, unsigned count) override;
    int close(int handle) override;
    int commit(int handle) override;
    int64_t size() const;

    bool overReal = false;
};

} // namespace testing_support
