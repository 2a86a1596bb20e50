#include "file/SizeProbe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace file {

int64_t ProbeFileSize(const std::string& path)
{
    // The type first: a character device (a serial port, a tape drive) is never
    // opened, nor is anything else that cannot be viewed.
    struct stat named {};
    if (::stat(path.c_str(), &named) != 0)
        return -1;
    if (S_ISCHR(named.st_mode))
        return 0;
    if (!S_ISREG(named.st_mode) && !S_ISBLK(named.st_mode))
        return -1;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1;
    // The path may name something else by now; only what was looked at is measured.
    struct stat st {};
    int64_t size = -1;
    if (fstat(fd, &st) == 0 && st.st_dev == named.st_dev && st.st_ino == named.st_ino) {
        if (S_ISREG(st.st_mode))
            size = st.st_size;
        else if (S_ISBLK(st.st_mode))
            size = lseek(fd, 0, SEEK_END);
    }
    ::close(fd);
    return size;
}

} // namespace file
