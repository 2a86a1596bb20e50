#include "file/SizeProbe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace util {

int64_t ProbeFileSize(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return -1;
    struct stat st {};
    int64_t size = -1;
    if (fstat(fd, &st) == 0) {
        if (S_ISREG(st.st_mode))
            size = st.st_size;
        else if (S_ISBLK(st.st_mode))
            size = lseek(fd, 0, SEEK_END);
        else if (S_ISCHR(st.st_mode))
            size = 0;
    }
    ::close(fd);
    return size;
}

} // namespace util
