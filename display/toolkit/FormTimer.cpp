// A QTimer with interval 0 would fire whenever the event loop is idle, so 0 means stop.
#include "display/toolkit/FormTimer.h"

namespace toolkit {

FormTimer::FormTimer(std::function<void()> tick, std::function<void()> stopped)
    : tick_(std::move(tick)), stopped_(std::move(stopped)) {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Fire(); });
}

void FormTimer::SetInterval(int milliseconds) {
    interval_ = milliseconds > 0 ? milliseconds : 0;
    if (interval_ == 0) {
        timer_.stop();
        if (stopped_) stopped_();
        return;
    }
    if (timer_.isActive() && timer_.interval() == interval_) return;  // keep the phase
    timer_.start(interval_);
}

void FormTimer::Fire() {
    if (inTick_) return;  // a nested event loop inside the handler
    inTick_ = true;
    tick_();
    inTick_ = false;
}

}  // namespace toolkit
