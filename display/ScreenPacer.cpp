// A tick is shown when a frame has passed since the last showing; the rest wait for a
// later tick or for the timer to stop.
#include "display/ScreenPacer.h"

ScreenPacer::ScreenPacer(std::function<void()> show, Clock::duration frame)
    : show_(std::move(show)), frame_(frame) {}

void ScreenPacer::Drawn(bool timerRunning, Clock::time_point now) {
    pending_ = true;
    if (!timerRunning || now >= shownAt_ + frame_) Show(now);
}

void ScreenPacer::Flush(Clock::time_point now) {
    if (pending_) Show(now);
}

void ScreenPacer::Show(Clock::time_point now) {
    pending_ = false;
    shownAt_ = now;
    show_();
}
