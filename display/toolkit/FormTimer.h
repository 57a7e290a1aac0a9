// The timer of a window: an interval in milliseconds, 0 stops it. Its handler is never
// re-entered and a tick is never queued twice.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

namespace toolkit {

class FormTimer {
  public:
    /// stopped runs whenever the interval is set to 0, after the timer has stopped.
    explicit FormTimer(std::function<void()> tick, std::function<void()> stopped = {});

    /// 0 stops the ticks; any value above 0 runs them at that interval.
    void SetInterval(int milliseconds);
    int Interval() const { return interval_; }
    bool Running() const { return timer_.isActive(); }

  private:
    void Fire();

    QTimer timer_;
    std::function<void()> tick_;
    std::function<void()> stopped_;
    int interval_ = 0;
    bool inTick_ = false;
};

}  // namespace toolkit
