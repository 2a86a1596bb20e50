#pragma once

// Opening a document or a web address with the user's default handler, behind a
// seam so tests can see what would have been opened.

#include "util/Seam.h"

#include <QUrl>

namespace util {

// The desktop's "open": false when the system reports that it cannot open the address.
// A handler that starts and then fails on its own is the desktop's affair.
extern Seam<bool(const QUrl& address)> ShellOpenSeam;

inline bool ShellOpen(const QUrl& address) { return ShellOpenSeam(address); }

} // namespace util
