// The block I/O library over POSIX file calls, with 64-bit offsets.

#include "file/zere100.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct Slot {
    int fd = -1;
    bool writable = false;
    int64_t position = -1; // the descriptor's offset when known, else -1
};

std::mutex lock;
std::vector<Slot> slots; // handle h is slots[h - 1]

// The slot of a handle this library gave and has not closed, or null.
Slot* slotOf(int handle)
{
    if (handle <= 0 || static_cast<size_t>(handle) > slots.size())
        return nullptr;
    Slot& s = slots[static_cast<size_t>(handle) - 1];
    return s.fd >= 0 ? &s : nullptr;
}

int accessFlags(int flags)
{
    switch (flags & VX_ACCMODE) {
    case VX_RDONLY: return O_RDONLY;
    case VX_WRONLY: return O_WRONLY;
    case VX_RDWR: return O_RDWR;
    default: return -1;
    }
}

// Repeats one read or write until count bytes have moved or none moves (the file's
// end): a short transfer is not the end. An error after some bytes gives their count.
template <typename Step>
int Transfer(size_t count, Step step)
{
    size_t done = 0;
    while (done < count) {
        const ssize_t n = step(done);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return done > 0 ? static_cast<int>(done) : -1;
        }
        done += static_cast<size_t>(n);
    }
    return static_cast<int>(done);
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) int vx_open(const char* path, int flags, int /*mode*/)
{
    const int access = accessFlags(flags);
    if (!path || access < 0)
        return -1;
    // Non-blocking, so that opening a FIFO never waits for a writer.
    int fd;
    do
        fd = ::open(path, access | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    struct stat st {};
    // A failed F_GETFL answers -1; masked, that would turn on every flag F_SETFL honours.
    const int status = fcntl(fd, F_GETFL);
    if (fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISBLK(st.st_mode)) || status == -1
        || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    std::lock_guard guard(lock);
    size_t i = 0;
    while (i < slots.size() && slots[i].fd >= 0)
        ++i;
    if (i == slots.size())
        slots.emplace_back();
    slots[i] = Slot{fd, access != O_RDONLY, 0};
    return static_cast<int>(i + 1);
}

// A seek to where the descriptor already stands asks nothing of the system: a scan
// seeks to the end of its last read before each step.
__attribute__((visibility("default"))) int64_t vx_seek(int handle, int64_t offset, int origin)
{
    std::lock_guard guard(lock);
    Slot* s = slotOf(handle);
    if (!s || origin < VX_SEEK_SET || origin > VX_SEEK_END)
        return -1;
    if (origin == VX_SEEK_SET && offset == s->position)
        return offset;
    const int whence = origin == VX_SEEK_SET ? SEEK_SET : origin == VX_SEEK_CUR ? SEEK_CUR : SEEK_END;
    s->position = ::lseek(s->fd, static_cast<off_t>(offset), whence);
    return s->position;
}

// Reads until count bytes are in or the file ends.
// The kernel refuses a whole read whose end would pass the largest offset; only
// then is the position asked for and the count stopped there, so a read costs one
// system call, not two.
__attribute__((visibility("default"))) int vx_read(int handle, void* buffer, unsigned count)
{
    int fd;
    int64_t from;
    {
        std::lock_guard guard(lock);
        Slot* s = slotOf(handle);
        if (!s || !buffer || count > 0x7FFFFFFFu)
            return -1;
        fd = s->fd;
        from = s->position;
        s->position = -1; // unknown until the read has answered
    }
    auto* out = static_cast<char*>(buffer);
    const auto read = [&] { return Transfer(count, [&](size_t done) { return ::read(fd, out + done, count - done); }); };
    int got = read();
    if (got < 0 && errno == EINVAL) {
        const off_t position = ::lseek(fd, 0, SEEK_CUR);
        if (position >= 0 && count > static_cast<uint64_t>(INT64_MAX - position)) {
            count = static_cast<unsigned>(INT64_MAX - position);
            got = read();
        }
    }
    // Every byte read moved the offset on by one; a failed read leaves it unknown.
    if (got >= 0 && from >= 0) {
        std::lock_guard guard(lock);
        if (Slot* s = slotOf(handle); s && s->fd == fd)
            s->position = from + got;
    }
    return got;
}

// Refuses a handle opened read-only: no viewed file can be written through here.
__attribute__((visibility("default"))) int vx_write(int handle, const void* buffer, unsigned count)
{
    int fd;
    {
        std::lock_guard guard(lock);
        Slot* s = slotOf(handle);
        if (!s || !s->writable || !buffer || count > 0x7FFFFFFFu)
            return -1;
        fd = s->fd;
        s->position = -1;
    }
    const auto* in = static_cast<const char*>(buffer);
    return Transfer(count, [&](size_t done) { return ::write(fd, in + done, count - done); });
}

__attribute__((visibility("default"))) int vx_close(int handle)
{
    std::lock_guard guard(lock);
    Slot* s = slotOf(handle);
    if (!s)
        return -1;
    const int fd = s->fd;
    *s = Slot{};
    return ::close(fd) == 0 ? 0 : -1;
}

__attribute__((visibility("default"))) int vx_commit(int handle)
{
    std::lock_guard guard(lock);
    const Slot* s = slotOf(handle);
    if (!s)
        return -1;
    return ::fsync(s->fd) == 0 ? 0 : -1;
}

} // extern "C"
