#pragma once

// Waiting for the event loop to bring something about, in a way GoogleTest sees:
// WaitUntil says whether it came in time, EXPECT_EVENTUALLY fails the test if not.
// QtTest's QTRY_* macros only log inside a GoogleTest test.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <chrono>

namespace testing_support {

template <typename Predicate>
bool WaitUntil(Predicate&& done, std::chrono::milliseconds timeout = std::chrono::seconds(5))
{
    const QDeadlineTimer deadline(timeout);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

} // namespace testing_support

#define EXPECT_EVENTUALLY(condition, timeout)                                                                   \
    do {                                                                                                        \
        if (!::testing_support::WaitUntil([&] { return static_cast<bool>(condition); }, (timeout)))           \
            ADD_FAILURE() << "still false after " << std::chrono::milliseconds(timeout).count() << " ms: " #condition; \
    } while (false)
