#pragma once

// What the banner needs from the platform, behind small interfaces so tests can
// stand in for the clock, the random numbers, the network and the view.

#include "banner/Cryptapi.h"

#include <QByteArray>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>

class QIODevice;

namespace banner {

// The program's one random number generator.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    virtual void seed(std::uint32_t value) = 0;
    virtual std::uint32_t next() = 0;
};

class StdRandom final : public RandomSource {
public:
    void seed(std::uint32_t value) override { engine.seed(value); }
    std::uint32_t next() override { return static_cast<std::uint32_t>(engine()); }

private:
    std::mt19937 engine;
};

struct DownloadRequest {
    std::string url;
    std::chrono::milliseconds limit;
    std::int64_t maxBytes;
};

// Fetches an address into an open file without blocking the caller.
class Downloader {
public:
    using Done = std::function<void(bool ok)>;
    virtual ~Downloader() = default;
    // Writes the body into target and later calls done once: true only when the whole
    // body arrived within the time limit and the size limit and was written.
    virtual void fetch(const DownloadRequest& request, QIODevice& target, Done done) = 0;
    // Stops the running fetch; its done is never called.
    virtual void cancel() = 0;
    // Where the last finished fetch's body came from, redirects followed; empty when unknown.
    virtual std::string finalAddress() const { return {}; }
};

// The embedded view that shows the banner.
class HtmlView {
public:
    virtual ~HtmlView() = default;
    // Fetches the page at the address and shows it when it arrives.
    virtual void navigate(const std::string& address) = 0;
    // Shows the bytes as its document at once.
    virtual void loadHtml(const QByteArray& bytes) = 0;
};

struct Seams {
    std::function<std::int64_t()> clock;         // seconds since the epoch; the system clock when empty
    std::unique_ptr<RandomSource> random;        // a StdRandom when empty
    std::unique_ptr<Downloader> downloader;      // downloads fail when empty
    std::function<std::string()> listAddress = BannerListAddress;
    std::function<std::string()> itemZeroAddress = ItemZeroAddress;
    QString tempFolder;                          // TempFolder() when empty
};

} // namespace banner
