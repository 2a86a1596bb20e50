#pragma once

// The banner pane's logic: the banner list with its download, the choice of the item
// to show, and the rotation on every banner tick. The main window owns one.

#include "banner/BannerSeams.h"
#include "util/NoCopy.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QFile;
class QIODevice;

namespace banner {

class BannerPane : NoCopy {
public:
    static constexpr std::chrono::milliseconds DownloadLimit{15000};
    static constexpr std::int64_t MaxListBytes = 1 << 20;
    static constexpr std::uint32_t DownloadEveryTicks = 50;

    BannerPane(Seams seams, HtmlView* view);
    ~BannerPane();

    // Seeds the generator, downloads the list and shows item 0 once the download ends.
    void start();
    // Starts a download into a new temporary file; the list is replaced when it succeeds
    // and kept otherwise, and the file is deleted either way. finished runs when it ends.
    // Returns false, and does nothing, while an earlier download still runs.
    bool downloadBannerList(std::function<void()> finished = {});
    // Shows item k modulo the number of items; item 0 navigates to its own address.
    void showBannerItem(std::uint32_t k);
    // One banner tick: counted only while the window is shown.
    void tick(bool windowShown);

    const std::vector<std::string>& bannerList() const { return list; }
    bool downloading() const { return file != nullptr; }
    std::uint32_t tickCount() const { return ticks; }

private:
    void downloadFinished(bool ok);

    Seams seams;
    HtmlView* view;
    std::vector<std::string> list;
    std::uint32_t ticks = 0;
    std::unique_ptr<QFile> file; // the running download's temporary file
    std::function<void()> whenFinished;
};

// Shows the stream's bytes, from its start, in the view. Either may be missing.
void loadHtmlIntoBrowser(HtmlView* view, QIODevice* stream);

} // namespace banner
