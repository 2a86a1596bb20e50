#pragma once

// Which file a path names, as the system tells files apart: device and inode.
// Two paths name one file when their identities are equal, links included.

#include <optional>
#include <string>

#include <sys/stat.h>

namespace file {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file at path, through links; nothing when there is none.
inline std::optional<FileIdentity> IdentityOf(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return FileIdentity{info.st_dev, info.st_ino};
}

} // namespace file
