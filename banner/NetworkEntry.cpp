// The network module's entry, the one symbol it exports.
#include "banner/HttpDownloader.h"
#include "banner/NetworkModule.h"

extern "C" __attribute__((visibility("default"))) banner::Downloader* byteloom_network_downloader()
{
    return new banner::HttpDownloader;
}

static_assert(std::is_same_v<decltype(&byteloom_network_downloader), banner::NetworkModuleEntryFn>);
