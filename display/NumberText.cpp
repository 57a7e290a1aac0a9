// %.15G without the C library, so a decimal-comma locale cannot change the texts.
#include "display/NumberText.h"

#include <charconv>

std::string NumberText(double value) {
    if (value == 0) return " 0";  // also -0
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    std::string text(buffer, result.ptr);
    for (char& c : text)
        if (c == 'e') c = 'E';
    return value > 0 ? " " + text : text;
}

std::string NumberText(std::int64_t value) {
    const std::string digits = std::to_string(value);
    return value >= 0 ? " " + digits : digits;
}

TickTexts MakeTickTexts(std::int64_t StepCount, double Energy, double dT) {
    return {std::string("Кворакс ") + NumberText(StepCount) + " шаг",
            "Энергия системы:" + NumberText(Energy), NumberText(dT)};
}

TickTexts MakeHaltTexts(const TickTexts& shown, std::int64_t StepCount, double dT) {
    const TickTexts halted = MakeTickTexts(StepCount, 0, dT);
    return {halted.caption, shown.energy, halted.timeStep};
}
