#pragma once

#include <QObject>
#include <QTimer>

namespace zelvor {

// A timer whose one setting is its interval in milliseconds; 0 means stopped. Ticks never pile
// up: while the thread is busy at most one waits. SetInterval may be called from any thread.
class IntervalTimer : public QObject {
    Q_OBJECT

  public:
    explicit IntervalTimer(QObject* parent = nullptr);

    int Interval() const { return interval_; }
    // A negative interval is 0. The current value changes nothing, so a running timer keeps its
    // period; another value starts the period afresh.
    void SetInterval(int milliseconds);

    // Milliseconds to the next tick; -1 while stopped.
    int RemainingTime() const { return timer_.remainingTime(); }

  signals:
    void Tick();

  private:
    QTimer timer_{this};
    int interval_ = 0;
};

}  // namespace zelvor
