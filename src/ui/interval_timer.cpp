#include "ui/interval_timer.h"

#include "ui/thread_call.h"

#include <algorithm>

namespace zelvor {

IntervalTimer::IntervalTimer(QObject* parent) : QObject(parent) {
    // A coarse timer may tick up to 5% off its interval.
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &IntervalTimer::Tick);
}

void IntervalTimer::SetInterval(int milliseconds) {
    CallOnOwnerThread(this, [&] {
        const int interval = std::max(milliseconds, 0);
        if (interval == interval_) {
            return;
        }
        interval_ = interval;
        if (interval == 0) {
            timer_.stop();
        } else {
            timer_.start(interval);
        }
    });
}

}  // namespace zelvor
