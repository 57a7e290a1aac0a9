// Rate and time left from the steps done so far; the line is rewritten after a carriage
// return and cleared to its end, since a new text may be shorter.
#include "runner/ProgressLine.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>

namespace {

std::string Rate(double perSecond) {
    char text[32];
    if (perSecond >= 10)
        std::snprintf(text, sizeof text, "%.0f", perSecond);
    else
        std::snprintf(text, sizeof text, "%.1f", perSecond);
    return text;
}

std::string Duration(double seconds) {
    const long long whole = std::llround(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60,
                  whole % 60);
    return text;
}

}  // namespace

std::string ProgressText(long long done, long long total, double seconds) {
    std::string text = "Шаг " + std::to_string(done) + " из " + std::to_string(total);
    if (done <= 0 || seconds <= 0) return text;
    const double rate = done / seconds;
    return text + ", " + Rate(rate) + " шаг/с, осталось " + Duration((total - done) / rate);
}

ProgressLine::ProgressLine(long long total)
    : total_(total), shown_(total >= kShownFrom && ::isatty(STDERR_FILENO)) {}

void ProgressLine::Update(long long done) {
    if (!shown_) return;
    const auto now = Clock::now();
    if (done != total_ && now - last_ < std::chrono::milliseconds(200)) return;
    last_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    std::fprintf(stderr, "\r%s\033[K", ProgressText(done, total_, seconds).c_str());
    drawn_ = true;
}

void ProgressLine::Stop() {
    if (drawn_) std::fprintf(stderr, "\n");
    drawn_ = false;
}
