#include "support/VirtualLibrary.h"

#include <algorithm>
#include <stdexcept>

namespace testing_support {

VirtualLibrary::VirtualLibrary(int64_t size_) : size(size_) {}

uint8_t VirtualLibrary::Computed(int64_t offset)
{
    // A cheap mix of the offset's bits: no period a pattern could fall into.
    auto x = static_cast<uint64_t>(offset);
    x ^= x >> 31;
    x *= 0x7FB5D329728EA185ull;
    x ^= x >> 27;
    x *= 0x81DADEF4BC2DD44Dull;
    return static_cast<uint8_t>(x >> 56);
}

uint8_t VirtualLibrary::byteAt(int64_t offset) const
{
    const auto p = planted.find(offset);
    return p != planted.end() ? p->second : Computed(offset);
}

void VirtualLibrary::fill(int64_t offset, int64_t count, uint8_t* out) const
{
    for (int64_t i = 0; i < count; ++i)
        out[i] = Computed(offset + i);
    for (auto p = planted.lower_bound(offset); p != planted.end() && p->first - offset < count; ++p)
        out[p->first - offset] = p->second;
}

std::vector<uint8_t> VirtualLibrary::bytes(int64_t offset, int64_t count) const
{
    std::vector<uint8_t> out(static_cast<size_t>(count));
    fill(offset, count, out.data());
    return out;
}

void VirtualLibrary::plant(int64_t offset, const std::vector<uint8_t>& bytes)
{
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (offset > LargestSize - static_cast<int64_t>(i))
            throw std::logic_error("planted past the largest offset");
        planted[offset + static_cast<int64_t>(i)] = bytes[i];
    }
}

int VirtualLibrary::open(const char*, int, int)
{
    const int handle = nextHandle++;
    positions[handle] = 0;
    return handle;
}

int64_t VirtualLibrary::seek(int handle, int64_t offset, int origin)
{
    const auto h = positions.find(handle);
    if (h == positions.end())
        return -1;
    if (origin == VX_SEEK_END) {
        if (fault == Fault::SizeMinusOne)
            return -1;
        if ((offset > 0 && size > LargestSize - offset) || size + offset < 0)
            return -1;
        return h->second = size + offset;
    }
    if (origin != VX_SEEK_SET || offset < 0 || fault == Fault::SeekFails)
        return -1;
    if (fault == Fault::SeekLandsElsewhere && offset < LargestSize)
        ++offset;
    return h->second = offset;
}

// Reads what the file holds from the position, at most count bytes and never past
// the largest offset, as the real library does.
int VirtualLibrary::read(int handle, void* buffer, unsigned count)
{
    const auto h = positions.find(handle);
    if (h == positions.end() || !buffer || fault == Fault::ReadFails)
        return -1;
    const int64_t from = h->second;
    const int64_t n = std::max<int64_t>(0, std::min<int64_t>(count, size - from));
    fill(from, n, static_cast<uint8_t*>(buffer));
    h->second = from + n;
    if (fault == Fault::ReadsMoreThanAsked)
        return static_cast<int>(count) + 100;
    return static_cast<int>(n);
}

int VirtualLibrary::write(int, const void*, unsigned) { return -1; }

int VirtualLibrary::close(int handle) { return positions.erase(handle) == 1 ? 0 : -1; }

int VirtualLibrary::commit(int) { return -1; }

} // namespace testing_support
