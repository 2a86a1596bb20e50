#pragma once

// The paged file: random byte access to a file of any size through one
// 64 KiB window, over the block I/O library.

#include "file/zere100.h"
#include "util/Error.h"
#include "util/NoCopy.h"
#include "util/Seam.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

// The block I/O library and its six entry points. A missing library or entry
// point stays silent here; the paged file reports it at each open.
class DllLoader : NoCopy {
public:
    static constexpr const char* LibraryName = "libzere100.so";

    // Loads libzere100.so from the executable's own folder, else by plain name.
    DllLoader();
    // Loads the given library file (a path or a plain name).
    explicit DllLoader(const std::string& library);
    // A stand-in over the given entry points; any of them may be null.
    DllLoader(vx_seek_fn seek, vx_read_fn read, vx_write_fn write, vx_open_fn open,
              vx_close_fn close, vx_commit_fn commit);
    ~DllLoader();

    // True when the library and all six entry points are there.
    bool complete() const;

    void* module = nullptr;
    vx_seek_fn seek = nullptr;
    vx_read_fn read = nullptr;
    vx_write_fn write = nullptr;
    vx_open_fn open = nullptr;
    vx_close_fn close = nullptr;
    vx_commit_fn commit = nullptr;

private:
    void load(const std::string& library);
    bool standIn = false;
};

namespace file {

// The one loader of the program, made when the program starts, before any window.
const DllLoader& Zere100();

// Tells the user that the library is missing: standard error unless replaced (the
// program shows a box while its main window lives).
extern util::Seam<void(const char* text)> LoadFailureSeam;

inline constexpr const char* LoadFailureText = "Failed to load libzere100.so\nReinstall software";

} // namespace file

namespace util {

class File64 : NoCopy {
public:
    class File64Imp;

    // A position in a paged file; reading it reads the byte there.
    class Iterator {
    public:
        File64Imp* imp = nullptr;
        int64_t position = 0;

        Iterator& operator+=(int64_t displacement) { position += displacement; return *this; }
        Iterator operator+(int64_t displacement) const { return {imp, position + displacement}; }
        Iterator operator-(int64_t displacement) const { return {imp, position - displacement}; }
        uint8_t operator*() const;
        bool operator==(const Iterator&) const = default;
    };

    // Opens the file read-only. Throws Error("Can't open file"), or Reported
    // after telling the user that the library is missing.
    explicit File64(const std::string& path, const DllLoader& library = file::Zere100());
    ~File64();

    int64_t size() const;
    Iterator begin() const;
    Iterator end() const;
    uint8_t getByte(int64_t offset) const;

    // A read-only look at the bytes the window holds, valid until the next access to
    // this file moves the window.
    struct WindowBytes {
        const uint8_t* data = nullptr;
        int64_t start = 0;
        int32_t length = 0;
        int64_t end() const { return start + length; }
        const uint8_t* at(int64_t offset) const { return data + (offset - start); }
    };
    // Makes the window cover offset, with the errors of getByte, and shows what it holds.
    WindowBytes cover(int64_t offset) const;
    // What the window holds now, without reading: only bytes below size(), since a
    // file that grew after it was opened may fill the window past it.
    WindowBytes window() const;

    // Reads the bytes from offset on into buffer (room for WindowSize bytes) as a
    // refill of the window would, with its checks and errors, but leaves the window
    // as it is: for a reader with a larger buffer of its own. Returns how many bytes
    // below size() arrived (at least 1).
    int32_t readAt(int64_t offset, uint8_t* buffer) const;

    // The same for up to count bytes (1 to BlockLimit) in one read of the library:
    // for a scan that reads in steps larger than the window.
    static constexpr int32_t BlockLimit = 1 << 24;
    int32_t readBlock(int64_t offset, uint8_t* buffer, int32_t count) const;

private:
    std::unique_ptr<File64Imp> imp;
};

// The window cache: one 64 KiB buffer, refilled at exactly the offset that missed.
class File64::File64Imp : NoCopy {
public:
    static constexpr int32_t WindowSize = 0x10000;

    File64Imp(const std::string& path, const DllLoader& library);
    ~File64Imp();

    uint8_t getByte(int64_t offset) { return window[locate(offset)]; }

    // Makes the window cover offset and returns its index there. Throws
    // Error("file seek error") past the end, Error("file read error") on a failed refill.
    int32_t locate(int64_t offset)
    {
        if (offset >= fileSize)
            seekError();
        if (offset >= windowStart && offset - windowStart < windowLength)
            return static_cast<int32_t>(offset - windowStart);
        return refill(offset);
    }

    // One read of up to count bytes (WindowSize unless asked) at offset into buffer,
    // every answer of the library checked: the count read (at least 1). Throws as
    // locate does.
    int32_t fetch(int64_t offset, uint8_t* buffer, int32_t count = WindowSize);

    int64_t size() const { return fileSize; }
    int64_t start() const { return windowStart; }
    int32_t length() const { return windowLength; }
    const uint8_t* data() const { return window.get(); }

private:
    [[noreturn]] static void seekError();
    // A read's count, or 0 when it is not one that a read of asked bytes can answer.
    static int32_t Checked(int count, int32_t asked = WindowSize);
    int32_t refill(int64_t offset);

    const DllLoader& library;
    int32_t handle = 0;
    int64_t fileSize = 0;
    int64_t windowStart = 0;
    int32_t windowLength = 0;
    std::unique_ptr<uint8_t[]> window;
};

inline uint8_t File64::Iterator::operator*() const { return imp->getByte(position); }
inline uint8_t File64::getByte(int64_t offset) const { return imp->getByte(offset); }

inline File64::WindowBytes File64::window() const
{
    const int64_t known = std::max<int64_t>(0, imp->size() - imp->start());
    return {imp->data(), imp->start(), static_cast<int32_t>(std::min<int64_t>(imp->length(), known))};
}

inline File64::WindowBytes File64::cover(int64_t offset) const
{
    imp->locate(offset);
    return window();
}

} // namespace util
