#include "output/Shell.h"

#include <QDesktopServices>

namespace util {

namespace {
std::function<void(const QUrl&)> installed;
}

void ShellOpen(const QUrl& address)
{
    if (installed)
        installed(address);
    else
        QDesktopServices::openUrl(address);
}

ScopedShellSeam::ScopedShellSeam(std::function<void(const QUrl&)> open) : previous(std::move(installed))
{
    installed = std::move(open);
}

ScopedShellSeam::~ScopedShellSeam() { installed = std::move(previous); }

} // namespace util
