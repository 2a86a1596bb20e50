#pragma once

// The seams the main window's banner pane is made with, and a way for tests to
// replace them (say, to point the addresses at a local server).

#include "banner/BannerSeams.h"
#include "util/Seam.h"

#include <functional>

namespace banner {

// A real run's: system clock and generator, the network downloader, the fixed
// addresses and the user's temporary folder.
Seams DefaultSeams();

// What the main window's banner pane is made with: DefaultSeams unless replaced.
extern util::Seam<Seams()> MakeSeamsSeam;

inline Seams MakeSeams() { return MakeSeamsSeam(); }

// For tests: replaces the factory for as long as it lives.
class ScopedSeams : public decltype(MakeSeamsSeam)::Override {
public:
    explicit ScopedSeams(std::function<Seams()> factory) : Override(MakeSeamsSeam, std::move(factory)) {}
};

} // namespace banner
