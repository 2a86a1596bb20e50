#pragma once

// Modules the program loads at run time live beside its executable, installed or built.

#include <string>

namespace util {

// The executable's folder, links resolved; empty when the system does not tell.
std::string ExecutableFolder();

// Opens the module of that file name beside the executable, else wherever the loader
// finds it by plain name; null when neither can be loaded (dlerror says why).
void* OpenModuleBesideExecutable(const char* name);

} // namespace util
