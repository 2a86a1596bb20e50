#include "file/File64.h"

#include "util/Module.h"

#include <cstdio>
#include <dlfcn.h>

namespace {

template <typename Fn>
Fn entry(void* module, const char* name)
{
    return module ? reinterpret_cast<Fn>(dlsym(module, name)) : nullptr;
}

// Made when the program starts, before any window; released when it ends.
const DllLoader theLoader;

} // namespace

DllLoader::DllLoader()
{
    module = util::OpenModuleBesideExecutable(LibraryName);
    load(std::string());
}

DllLoader::DllLoader(const std::string& library)
{
    module = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    load(library);
}

DllLoader::DllLoader(vx_seek_fn seek_, vx_read_fn read_, vx_write_fn write_, vx_open_fn open_,
                     vx_close_fn close_, vx_commit_fn commit_)
    : seek(seek_), read(read_), write(write_), open(open_), close(close_), commit(commit_), standIn(true)
{
}

void DllLoader::load(const std::string&)
{
    seek = entry<vx_seek_fn>(module, "vx_seek");
    read = entry<vx_read_fn>(module, "vx_read");
    write = entry<vx_write_fn>(module, "vx_write");
    open = entry<vx_open_fn>(module, "vx_open");
    close = entry<vx_close_fn>(module, "vx_close");
    commit = entry<vx_commit_fn>(module, "vx_commit");
}

DllLoader::~DllLoader()
{
    if (module)
        dlclose(module);
}

bool DllLoader::complete() const
{
    return (module || standIn) && seek && read && write && open && close && commit;
}

namespace file {

const DllLoader& Zere100() { return theLoader; }

util::Seam<void(const char*)> LoadFailureSeam{[](const char* text) { std::fprintf(stderr, "%s\n", text); }};

} // namespace file

namespace util {

File64::File64(const std::string& path, const DllLoader& library)
    : imp(std::make_unique<File64Imp>(path, library))
{
}

File64::~File64() = default;

int64_t File64::size() const { return imp->size(); }
File64::Iterator File64::begin() const { return {imp.get(), 0}; }
File64::Iterator File64::end() const { return {imp.get(), imp->size()}; }

File64::File64Imp::File64Imp(const std::string& path, const DllLoader& library_)
    : library(library_)
{
    constexpr int flags = VX_BINARY | VX_RDONLY;
    if (!library.complete()) {
        file::LoadFailureSeam(file::LoadFailureText);
        throw Reported();
    }
    // Allocated before the open, so that a failed allocation leaves no handle behind.
    window = std::make_unique<uint8_t[]>(WindowSize);
    handle = library.open(path.c_str(), flags, 0);
    // Both seeks run before the handle is tested; the library answers -1 to a bad handle.
    fileSize = library.seek(handle, 0, VX_SEEK_END);
    const int64_t start = library.seek(handle, 0, VX_SEEK_SET);
    windowLength = 0;
    if (handle <= 0 || start != 0 || fileSize < 0) {
        if (handle > 0)
            library.close(handle);
        if (handle <= 0 || start != 0)
            throw Error("Can't open file");
        seekError(); // the library answered a negative size
    }
    // Not tested: a failed first read leaves the window empty, so the first access refills.
    windowLength = Checked(library.read(handle, window.get(), WindowSize));
}

File64::File64Imp::~File64Imp() { library.close(handle); }

void File64::File64Imp::seekError() { throw Error("file seek error"); }

int32_t File64::File64Imp::Checked(int count, int32_t asked) { return count >= 0 && count <= asked ? count : 0; }

// Until the seek and the read have both answered as asked, the window is empty.
int32_t File64::File64Imp::refill(int64_t offset)
{
    windowLength = 0;
    const int32_t count = fetch(offset, window.get());
    windowStart = offset;
    windowLength = count;
    return 0;
}

int32_t File64::File64Imp::fetch(int64_t offset, uint8_t* buffer, int32_t asked)
{
    if (offset >= fileSize || library.seek(handle, offset, VX_SEEK_SET) != offset || offset < 0)
        seekError();
    const int32_t count = Checked(library.read(handle, buffer, static_cast<unsigned>(asked)), asked);
    if (count <= 0)
        throw Error("file read error");
    return count;
}

int32_t File64::readAt(int64_t offset, uint8_t* buffer) const { return readBlock(offset, buffer, File64Imp::WindowSize); }

int32_t File64::readBlock(int64_t offset, uint8_t* buffer, int32_t count) const
{
    const int32_t got = imp->fetch(offset, buffer, std::clamp(count, int32_t{1}, BlockLimit));
    return static_cast<int32_t>(std::min<int64_t>(got, imp->size() - offset));
}

} // namespace util
