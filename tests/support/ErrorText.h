#pragma once

// The text of the util::Error an action raises, or "no error".

#include "util/Error.h"

#include <functional>
#include <string>

namespace testing_support {

inline std::string ErrorText(const std::function<void()>& action)
{
    try {
        action();
    } catch (const util::Error& e) {
        return e.what();
    }
    return "no error";
}

} // namespace testing_support
