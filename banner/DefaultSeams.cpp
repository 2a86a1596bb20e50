#include "banner/DefaultSeams.h"

#include "banner/HttpDownloader.h"

namespace banner {

Seams DefaultSeams()
{
    Seams seams;
    seams.downloader = std::make_unique<HttpDownloader>();
    return seams;
}

util::Seam<Seams()> MakeSeamsSeam{DefaultSeams};

} // namespace banner
