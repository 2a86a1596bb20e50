#include "util/Shell.h"

#include <QDesktopServices>

namespace util {

Seam<void(const QUrl&)> ShellOpenSeam{[](const QUrl& address) { QDesktopServices::openUrl(address); }};

} // namespace util
