#pragma once

// Memory of its own for a large buffer that the window's thread fills again and
// again: mapped once, and kept out of forked children. A fork write-protects every
// page of the parent, so each page's next write would fault (copy-on-write); over
// megabytes, and on a virtual machine, that is tens of milliseconds on the window's
// thread. The child that is forked only starts another program, so it needs none of it.

#include "util/NoCopy.h"

#include <cstddef>
#include <new>

#include <sys/mman.h>

namespace util {

class Room : NoCopy {
public:
    explicit Room(std::size_t bytes) : length(bytes)
    {
        void* p = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            throw std::bad_alloc();
        start = static_cast<char*>(p);
        madvise(start, length, MADV_DONTFORK); // only a saving: a refusal changes nothing else
    }
    ~Room() { munmap(start, length); }

    char* data() const { return start; }

private:
    char* start = nullptr;
    std::size_t length;
};

} // namespace util
