#include "support/FakeBlockIO.h"

#include <algorithm>

namespace testing_support {

FakeBlockIO::FakeBlockIO(std::vector<uint8_t> content) : bytes(std::move(content)) {}

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

int64_t FakeBlockIO::size() const { return virtualSize >= 0 ? virtualSize : static_cast<int64_t>(bytes.size()); }

int FakeBlockIO::open(const char* path, int flags, int mode)
{
    return overReal ? file::Zere100().open(path, flags, mode) : handleToGive;
}

int64_t FakeBlockIO::seek(int handle, int64_t offset, int origin)
{
    lastSeekOffset = offset;
    if (overReal) {
        const int64_t r = file::Zere100().seek(handle, offset, origin);
        if (r >= 0 && origin == VX_SEEK_SET)
            position = r;
        return r;
    }
    if (handle <= 0)
        return -1;
    position = origin == VX_SEEK_END ? size() + offset : offset;
    return position;
}

int FakeBlockIO::read(int handle, void* buffer, unsigned count)
{
    count = std::min(count, readLimit);
    if (overReal)
        return position >= failFrom ? -1 : file::Zere100().read(handle, buffer, count);
    if (handle <= 0 || position >= failFrom)
        return -1;
    if (readResult != 0)
        return readResult;
    const int64_t n = std::max<int64_t>(0, std::min<int64_t>(count, size() - position));
    auto* out = static_cast<uint8_t*>(buffer);
    if (virtualSize >= 0)
        std::fill_n(out, n, fill);
    else
        std::copy_n(bytes.begin() + position, n, out);
    position += n;
    return static_cast<int>(n);
}

int FakeBlockIO::write(int handle, const void* buffer, unsigned count)
{
    return overReal ? file::Zere100().write(handle, buffer, count) : -1;
}

int FakeBlockIO::close(int handle) { return overReal ? file::Zere100().close(handle) : 0; }

int FakeBlockIO::commit(int handle) { return overReal ? file::Zere100().commit(handle) : 0; }

} // namespace testing_support
