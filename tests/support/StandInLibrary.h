#pragma once

// The common part of the test kit's block I/O libraries: a loader over six plain
// entry points that reach the newest stand-in alive (the one before it answers again
// when its scope ends), and a count of the calls of each.

#include "file/File64.h"
#include "util/NoCopy.h"

#include <cstdint>

namespace testing_support {

class StandInLibrary : NoCopy {
public:
    // A loader over the stand-in's entry points; it must outlive every file opened with it.
    const DllLoader& library() const { return loader; }

    // What was asked.
    int opens = 0, seeks = 0, reads = 0, writes = 0, closes = 0, commits = 0;

protected:
    StandInLibrary();
    virtual ~StandInLibrary();

    virtual int open(const char* path, int flags, int mode) = 0;
    virtual int64_t seek(int handle, int64_t offset, int origin) = 0;
    virtual int read(int handle, void* buffer, unsigned count) = 0;
    virtual int write(int handle, const void* buffer, unsigned count) = 0;
    virtual int close(int handle) = 0;
    virtual int commit(int handle) = 0;

private:
    static int Open(const char* path, int flags, int mode);
    static int64_t Seek(int handle, int64_t offset, int origin);
    static int Read(int handle, void* buffer, unsigned count);
    static int Write(int handle, const void* buffer, unsigned count);
    static int Close(int handle);
    static int Commit(int handle);

    StandInLibrary* previous = nullptr;
    DllLoader loader;
};

} // namespace testing_support
