#include "banner/DefaultSeams.h"

#include "banner/HttpDownloader.h"

namespace banner {

namespace {
std::function<Seams()> installed;
}

Seams DefaultSeams()
{
    Seams seams;
    seams.downloader = std::make_unique<HttpDownloader>();
    return seams;
}

Seams MakeSeams() { return installed ? installed() : DefaultSeams(); }

ScopedSeams::ScopedSeams(std::function<Seams()> factory) : previous(std::move(installed))
{
    installed = std::move(factory);
}

ScopedSeams::~ScopedSeams() { installed = std::move(previous); }

} // namespace banner
