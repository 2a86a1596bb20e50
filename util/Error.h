#pragma once

#include <stdexcept>
#include <string>

namespace util {

// A failure whose whole value is the text shown to the user.
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A failure the user has already been told about; whoever catches it stays silent.
class Reported : public std::exception {
public:
    const char* what() const noexcept override { return "already reported"; }
};

} // namespace util
