#include "support/FakeBlockIO.h"

#include <algorithm>

namespace testing_support {

namespace {
FakeBlockIO* active = nullptr;
} // namespace

FakeBlockIO::FakeBlockIO(std::vector<uint8_t> content)
    : bytes(std::move(content)), previous(active), loader(Seek, Read, Write, Open, Close, Commit)
{
    active = this;
}

FakeBlockIO::FakeBlockIO(int64_t size_, uint8_t fill_) : FakeBlockIO()
{
    virtualSize = size_;
    fill = fill_;
}

FakeBlockIO::FakeBlockIO(OverRealLibrary, uint32_t readLimit_) : FakeBlockIO()
{
    overReal = true;
    readLimit = readLimit_;
}

FakeBlockIO::~FakeBlockIO() { active = previous; }

int64_t FakeBlockIO::size() const { return virtualSize >= 0 ? virtualSize : static_cast<int64_t>(bytes.size()); }

int FakeBlockIO::Open(const char* path, int flags, int mode)
{
    if (!active)
        return -1;
    FakeBlockIO& f = *active;
    ++f.opens;
    return f.overReal ? Zere100().open(path, flags, mode) : f.handleToGive;
}

int64_t FakeBlockIO::Seek(int handle, int64_t offset, int origin)
{
    if (!active)
        return -1;
    FakeBlockIO& f = *active;
    ++f.seeks;
    f.lastSeekOffset = offset;
    if (f.overReal) {
        const int64_t r = Zere100().seek(handle, offset, origin);
        if (r >= 0 && origin == VX_SEEK_SET)
            f.position = r;
        return r;
    }
    if (handle <= 0)
        return -1;
    f.position = origin == VX_SEEK_END ? f.size() + offset : offset;
    return f.position;
}

int FakeBlockIO::Read(int handle, void* buffer, unsigned count)
{
    if (!active)
        return -1;
    FakeBlockIO& f = *active;
    ++f.reads;
    count = std::min(count, f.readLimit);
    if (f.overReal)
        return f.position >= f.failFrom ? -1 : Zere100().read(handle, buffer, count);
    if (handle <= 0 || f.position >= f.failFrom)
        return -1;
    if (f.readResult != 0)
        return f.readResult;
    const int64_t n = std::max<int64_t>(0, std::min<int64_t>(count, f.size() - f.position));
    auto* out = static_cast<uint8_t*>(buffer);
    if (f.virtualSize >= 0)
        std::fill_n(out, n, f.fill);
    else
        std::copy_n(f.bytes.begin() + f.position, n, out);
    f.position += n;
    return static_cast<int>(n);
}

int FakeBlockIO::Write(int handle, const void* buffer, unsigned count)
{
    if (!active)
        return -1;
    FakeBlockIO& f = *active;
    ++f.writes;
    return f.overReal ? Zere100().write(handle, buffer, count) : -1;
}

int FakeBlockIO::Close(int handle)
{
    if (!active)
        return 0; // a file that outlived its fake closes quietly
    FakeBlockIO& f = *active;
    ++f.closes;
    return f.overReal ? Zere100().close(handle) : 0;
}

int FakeBlockIO::Commit(int handle)
{
    if (!active)
        return -1;
    FakeBlockIO& f = *active;
    ++f.commits;
    return f.overReal ? Zere100().commit(handle) : 0;
}

} // namespace testing_support
