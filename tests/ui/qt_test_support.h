#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDropEvent>
#include <QWidget>

#include <functional>
#include <utility>

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

// Drags data onto widget and drops it there; answers whether the drag was offered and whether
// the drop was taken.
inline std::pair<bool, bool> DragAndDrop(QWidget* widget, const QMimeData* data) {
    const QPoint at(5, 5);
    QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &enter);
    QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &drop);
    return {enter.isAccepted(), drop.isAccepted()};
}

}  // namespace zelvor::testing
