#pragma once

#include "util/NoCopy.h"

#include <Qt>

namespace util {

// Shows the given cursor for as long as it lives; the previous cursor comes
// back when the scope ends, also when an exception leaves it.
class CursorSwapper : NoCopy {
public:
    explicit CursorSwapper(Qt::CursorShape shape = Qt::WaitCursor);
    ~CursorSwapper();
};

} // namespace util
