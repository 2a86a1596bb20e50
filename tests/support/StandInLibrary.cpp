#include "support/StandInLibrary.h"

namespace testing_support {

namespace {
StandInLibrary* active = nullptr;
} // namespace

StandInLibrary::StandInLibrary() : previous(active), loader(Seek, Read, Write, Open, Close, Commit) { active = this; }

StandInLibrary::~StandInLibrary() { active = previous; }

int StandInLibrary::Open(const char* path, int flags, int mode)
{
    if (!active)
        return -1;
    ++active->opens;
    return active->open(path, flags, mode);
}

int64_t StandInLibrary::Seek(int handle, int64_t offset, int origin)
{
    if (!active)
        return -1;
    ++active->seeks;
    return active->seek(handle, offset, origin);
}

int StandInLibrary::Read(int handle, void* buffer, unsigned count)
{
    if (!active)
        return -1;
    ++active->reads;
    return active->read(handle, buffer, count);
}

int StandInLibrary::Write(int handle, const void* buffer, unsigned count)
{
    if (!active)
        return -1;
    ++active->writes;
    return active->write(handle, buffer, count);
}

int StandInLibrary::Close(int handle)
{
    if (!active)
        return 0; // a file that outlived its stand-in closes quietly
    ++active->closes;
    return active->close(handle);
}

int StandInLibrary::Commit(int handle)
{
    if (!active)
        return -1;
    ++active->commits;
    return active->commit(handle);
}

} // namespace testing_support
