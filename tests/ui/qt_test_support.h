#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <functional>

namespace zelvor::testing {

// Runs the event loop until done() holds or the time is up; answers done().
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// Runs the event loop for a while, for checks that something does not happen.
inline void PumpFor(int milliseconds) {
    PumpUntil([] { return false; }, milliseconds);
}

}  // namespace zelvor::testing
