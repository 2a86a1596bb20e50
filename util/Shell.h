#pragma once

// Opening a document or a web address with the user's default handler, behind a
// seam so tests can see what would have been opened.

#include "util/Seam.h"

#include <QUrl>

namespace util {

// The desktop's "open": what the desktop makes of the address is its own affair.
extern Seam<void(const QUrl& address)> ShellOpenSeam;

inline void ShellOpen(const QUrl& address) { ShellOpenSeam(address); }

// For tests: replaces the call for as long as it lives.
class ScopedShellSeam : public decltype(ShellOpenSeam)::Override {
public:
    explicit ScopedShellSeam(std::function<void(const QUrl&)> open) : Override(ShellOpenSeam, std::move(open)) {}
};

} // namespace util
