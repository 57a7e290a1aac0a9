// The line on standard error that tells how far a long run has come: the step, the steps
// per second and the time left, redrawn in place while the run goes on.
#pragma once

#include <chrono>
#include <string>

/// "Шаг 500 из 2000, 250 шаг/с, осталось 0:00:06" after done of total steps in seconds.
std::string ProgressText(long long done, long long total, double seconds);

class ProgressLine {
  public:
    /// Shown only when standard error is a terminal and the run has at least kShownFrom
    /// steps; shorter runs end before a line would help.
    static constexpr long long kShownFrom = 1000;

    explicit ProgressLine(long long total);
    /// Redraws at most five times a second, and always after the last step.
    void Update(long long done);
    /// Ends a line that was drawn, so that what follows starts on a fresh line.
    void Stop();

  private:
    using Clock = std::chrono::steady_clock;

    long long total_;
    bool shown_;
    bool drawn_ = false;
    Clock::time_point start_ = Clock::now();
    Clock::time_point last_ = start_;
};
