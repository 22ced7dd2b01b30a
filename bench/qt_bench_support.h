#pragma once

// What the window's benchmarks share: an offscreen screen unless one is chosen, integer
// options, and a probe of the event loop's longest stall.

#include <QElapsedTimer>
#include <QStringList>
#include <QTimer>

#include <algorithm>

namespace zelvor::bench {

inline void UseOffscreenUnlessSet() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

// The number after name in arguments, or fallback.
inline int Argument(const QStringList& arguments, const QString& name, int fallback) {
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1].toInt() : fallback;
}

// A fast timer notes the longest gap between its ticks: the time the loop could not answer.
class StallProbe {
  public:
    StallProbe() {
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
            longestNs_ = std::max(longestNs_, sinceTick_.nsecsElapsed());
            sinceTick_.restart();
        });
    }

    void Start() {
        sinceTick_.start();
        timer_.start(1);
    }
    double LongestMs() const { return static_cast<double>(longestNs_) / 1e6; }

  private:
    QTimer timer_;
    QElapsedTimer sinceTick_;
    qint64 longestNs_ = 0;
};

}  // namespace zelvor::bench
