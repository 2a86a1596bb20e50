#include "util/Module.h"

#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

namespace util {

std::string ExecutableFolder()
{
    char buffer[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return {};
    const std::string path(buffer, static_cast<size_t>(n));
    return path.substr(0, path.find_last_of('/'));
}

void* OpenModuleBesideExecutable(const char* name)
{
    const std::string folder = ExecutableFolder();
    void* module = folder.empty() ? nullptr : dlopen((folder + "/" + name).c_str(), RTLD_NOW | RTLD_LOCAL);
    return module ? module : dlopen(name, RTLD_NOW | RTLD_LOCAL);
}

} // namespace util
