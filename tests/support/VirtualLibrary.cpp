#include "support/VirtualLibrary.h"

#include <algorithm>
#include <stdexcept>

namespace testing_support {

namespace {
VirtualLibrary* current = nullptr;
}

VirtualLibrary::VirtualLibrary(int64_t size_)
    : size(size_), library(Seek, Read, Write, Open, Close, Commit)
{
    if (current)
        throw std::logic_error("one VirtualLibrary at a time");
    current = this;
}

VirtualLibrary::~VirtualLibrary() { current = nullptr; }

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

int VirtualLibrary::Open(const char*, int, int)
{
    VirtualLibrary& v = *current;
    ++v.opens;
    const int handle = v.nextHandle++;
    v.positions[handle] = 0;
    return handle;
}

int64_t VirtualLibrary::Seek(int handle, int64_t offset, int origin)
{
    VirtualLibrary& v = *current;
    ++v.seeks;
    const auto h = v.positions.find(handle);
    if (h == v.positions.end())
        return -1;
    if (origin == VX_SEEK_END) {
        if (v.fault == Fault::SizeMinusOne)
            return -1;
        if ((offset > 0 && v.size > LargestSize - offset) || v.size + offset < 0)
            return -1;
        return h->second = v.size + offset;
    }
    if (origin != VX_SEEK_SET || offset < 0 || v.fault == Fault::SeekFails)
        return -1;
    if (v.fault == Fault::SeekLandsElsewhere && offset < LargestSize)
        ++offset;
    return h->second = offset;
}

// Reads what the file holds from the position, at most count bytes and never past
// the largest offset, as the real library does.
int VirtualLibrary::Read(int handle, void* buffer, unsigned count)
{
    VirtualLibrary& v = *current;
    ++v.reads;
    const auto h = v.positions.find(handle);
    if (h == v.positions.end() || !buffer || v.fault == Fault::ReadFails)
        return -1;
    const int64_t from = h->second;
    const int64_t n = std::max<int64_t>(0, std::min<int64_t>(count, v.size - from));
    v.fill(from, n, static_cast<uint8_t*>(buffer));
    h->second = from + n;
    if (v.fault == Fault::ReadsMoreThanAsked)
        return static_cast<int>(count) + 100;
    return static_cast<int>(n);
}

int VirtualLibrary::Write(int, const void*, unsigned)
{
    ++current->writes;
    return -1;
}

int VirtualLibrary::Close(int handle)
{
    VirtualLibrary& v = *current;
    ++v.closes;
    return v.positions.erase(handle) == 1 ? 0 : -1;
}

int VirtualLibrary::Commit(int)
{
    ++current->commits;
    return -1;
}

} // namespace testing_support
