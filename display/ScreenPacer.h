// Decides when the main window shows what the ticks drew. The ticks paint the persistent
// image every millisecond, but a screen shows at most about 60 frames a second: while the
// timer runs, the picture and the texts go to the screen at most once a frame; when the
// timer stops, or a tick is run by hand, at once.
#pragma once

#include <chrono>
#include <functional>

class ScreenPacer {
  public:
    using Clock = std::chrono::steady_clock;
    /// One frame of a 60 Hz screen.
    static constexpr Clock::duration kFrame = std::chrono::microseconds(16667);

    /// show puts the current picture and texts on the screen.
    explicit ScreenPacer(std::function<void()> show, Clock::duration frame = kFrame);

    /// A tick has drawn. While the timer runs the screen follows when a frame has passed
    /// since it was last shown; a tick without the timer is a single step, so no later
    /// tick would carry it to the screen: it is shown at once.
    void Drawn(bool timerRunning, Clock::time_point now = Clock::now());

    /// Shows what the ticks drew since the screen was last shown, if anything: the timer
    /// has stopped, and the screen must hold the current picture and texts.
    void Flush(Clock::time_point now = Clock::now());

    /// True while a tick's drawing waits for the next frame.
    bool Pending() const { return pending_; }

  private:
    void Show(Clock::time_point now);

    std::function<void()> show_;
    Clock::duration frame_;
    Clock::time_point shownAt_ = Clock::time_point::min();  // the first tick is shown at once
    bool pending_ = false;
};
