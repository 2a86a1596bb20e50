#include "banner/DefaultSeams.h"

#include "banner/NetworkModule.h"

namespace banner {

Seams DefaultSeams()
{
    Seams seams;
    seams.downloader = ModuleDownloader();
    return seams;
}

util::Seam<Seams()> MakeSeamsSeam{DefaultSeams};

} // namespace banner
