#pragma once

// The network downloader lives in a module of its own, loaded at the first fetch, so
// that start-up never loads the network libraries.

#include "banner/BannerSeams.h"

#include <memory>
#include <string>

namespace banner {

inline constexpr const char* NetworkModuleName = "libbyteloom_network.so";
// The module's one entry: a new downloader, owned by the caller.
inline constexpr const char* NetworkModuleEntry = "byteloom_network_downloader";
using NetworkModuleEntryFn = Downloader* (*)();

// A downloader that loads the module (by default the one beside the executable) at
// its first fetch. A module that cannot be loaded makes every fetch fail, later, as a
// failed transfer does.
std::unique_ptr<Downloader> ModuleDownloader(std::string modulePath = {});

} // namespace banner
