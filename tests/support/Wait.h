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

// Generous, so that a busy machine never turns a slow answer into a failure.
inline constexpr std::chrono::milliseconds DefaultWait = std::chrono::seconds(10);

template <typename Predicate>
bool WaitUntil(Predicate&& done, std::chrono::milliseconds timeout = DefaultWait)
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

// Lets the event loop run for a while, for checks that something does NOT happen.
inline void RunEventsFor(std::chrono::milliseconds time)
{
    WaitUntil([] { return false; }, time);
}

} // namespace testing_support

#define EXPECT_EVENTUALLY(condition, timeout)                                                                   \
    do {                                                                                                        \
        if (!::testing_support::WaitUntil([&] { return static_cast<bool>(condition); }, (timeout)))           \
            ADD_FAILURE() << "still false after " << std::chrono::milliseconds(timeout).count() << " ms: " #condition; \
    } while (false)
