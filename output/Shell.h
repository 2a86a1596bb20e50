#pragma once

// Opening a document or a web address with the user's default handler, behind a
// seam so tests can see what would have been opened.

#include <QUrl>

#include <functional>

namespace util {

// Hands the address to the desktop; what the desktop makes of it is its own affair.
void ShellOpen(const QUrl& address);

// Installs a replacement for as long as the guard lives.
class ScopedShellSeam {
public:
    explicit ScopedShellSeam(std::function<void(const QUrl&)> open);
    ~ScopedShellSeam();
    ScopedShellSeam(const ScopedShellSeam&) = delete;
    ScopedShellSeam& operator=(const ScopedShellSeam&) = delete;

private:
    std::function<void(const QUrl&)> previous;
};

} // namespace util
