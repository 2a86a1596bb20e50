#include "banner/NetworkModule.h"

#include "util/Module.h"

#include <QObject>
#include <QTimer>
#include <QtGlobal>

#include <dlfcn.h>

namespace banner {

namespace {

// Stands in for the module that could not be loaded: each fetch ends in failure from
// the event loop, never inside the call, as the downloader's contract says.
class FailingDownloader final : public Downloader {
public:
    void fetch(const DownloadRequest&, QIODevice&, Done done) override
    {
        cancel();
        QTimer::singleShot(0, context.get(), [done = std::move(done)] { done(false); });
    }
    void cancel() override { context = std::make_unique<QObject>(); }

private:
    std::unique_ptr<QObject> context = std::make_unique<QObject>();
};

class LoadingDownloader final : public Downloader {
public:
    explicit LoadingDownloader(std::string path_) : path(std::move(path_)) {}

    void fetch(const DownloadRequest& request, QIODevice& target, Done done) override
    {
        if (!loaded)
            loaded = load();
        loaded->fetch(request, target, std::move(done));
    }
    void cancel() override
    {
        if (loaded)
            loaded->cancel();
    }
    std::string finalAddress() const override { return loaded ? loaded->finalAddress() : std::string(); }

private:
    std::unique_ptr<Downloader> load()
    {
        const std::string file = path.empty() ? NetworkModuleName : path;
        // Never closed: the module's code serves every downloader of the run.
        void* module = path.empty() ? util::OpenModuleBesideExecutable(NetworkModuleName)
                                    : dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        const auto entry = module ? reinterpret_cast<NetworkModuleEntryFn>(dlsym(module, NetworkModuleEntry)) : nullptr;
        if (Downloader* made = entry ? entry() : nullptr)
            return std::unique_ptr<Downloader>(made);
        const char* why = dlerror();
        qWarning("banner downloads fail: cannot load %s: %s", file.c_str(), why ? why : "no downloader in it");
        return std::make_unique<FailingDownloader>();
    }

    std::string path;
    std::unique_ptr<Downloader> loaded;
};

} // namespace

std::unique_ptr<Downloader> ModuleDownloader(std::string modulePath)
{
    return std::make_unique<LoadingDownloader>(std::move(modulePath));
}

} // namespace banner
