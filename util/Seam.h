#pragma once

// A platform call that a test may replace for a scope:
//
//     util::Seam<void(const QUrl&)> ShellSeam{[](const QUrl& u) { QDesktopServices::openUrl(u); }};
//     ShellSeam(url);                                   // the real call
//     util::Seam<void(const QUrl&)>::Override fake(ShellSeam, [&](const QUrl& u) { seen = u; });
//
// Overrides nest: each restores the one it replaced when its scope ends.

#include "util/NoCopy.h"

#include <functional>
#include <utility>

namespace util {

template <typename Signature>
class Seam;

template <typename R, typename... Args>
class Seam<R(Args...)> : NoCopy {
public:
    using Function = std::function<R(Args...)>;

    explicit Seam(Function real_) : real(std::move(real_)) {}

    R operator()(Args... args) const
    {
        return replacement ? replacement(std::forward<Args>(args)...) : real(std::forward<Args>(args)...);
    }

    // Replaces the call for as long as it lives; an empty function leaves the real call in place.
    class Override : NoCopy {
    public:
        Override(Seam& seam_, Function with) : seam(seam_), previous(std::exchange(seam_.replacement, std::move(with))) {}
        ~Override() { seam.replacement = std::move(previous); }

    private:
        Seam& seam;
        Function previous;
    };

private:
    Function real;
    Function replacement;
};

} // namespace util
