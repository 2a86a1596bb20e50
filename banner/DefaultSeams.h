#pragma once

// The seams the main window's banner pane is made with, and a way for tests to
// replace them (say, to point the addresses at a local server).

#include "banner/BannerSeams.h"

#include <functional>

namespace banner {

// A real run's: system clock and generator, the network downloader, the fixed
// addresses and the user's temporary folder.
Seams DefaultSeams();

// DefaultSeams, or what the installed factory makes.
Seams MakeSeams();

// Installs a factory for MakeSeams for as long as the guard lives.
class ScopedSeams {
public:
    explicit ScopedSeams(std::function<Seams()> factory);
    ~ScopedSeams();
    ScopedSeams(const ScopedSeams&) = delete;
    ScopedSeams& operator=(const ScopedSeams&) = delete;

private:
    std::function<Seams()> previous;
};

} // namespace banner
