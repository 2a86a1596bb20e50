#include "util/Shell.h"

#include <QDesktopServices>

namespace util {

Seam<bool(const QUrl&)> ShellOpenSeam{[](const QUrl& address) { return QDesktopServices::openUrl(address); }};

} // namespace util
