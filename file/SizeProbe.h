#pragma once

#include <cstdint>
#include <string>

namespace file {

// The size of the file at path, found without reading it and without blocking:
// a regular file's length, a block device's size, 0 for a character device (it
// has no length to view), and -1 for what cannot be opened or viewed (FIFOs,
// sockets, folders), which the paged file then refuses with its own text.
int64_t ProbeFileSize(const std::string& path);

} // namespace file
