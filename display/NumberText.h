// The number-to-text rule of every number shown: a leading blank for zero and positive
// values, a minus otherwise, "." as decimal separator, at most 15 significant digits,
// plain for moderate magnitudes and with an exponent (1E+19, 6.67E-11) otherwise.
// Independent of the process locale.
#pragma once

#include <cstdint>
#include <string>

std::string NumberText(double value);
std::string NumberText(std::int64_t value);

/// The caption, the energy label and the time-step label after a tick.
struct TickTexts {
    std::string caption;
    std::string energy;
    std::string timeStep;
};

TickTexts MakeTickTexts(std::int64_t StepCount, double Energy, double dT);

/// The texts after a tick that halted on a fault: its step in the caption and the time step;
/// the energy label keeps what it shows (the last completed tick's energy, or its design text).
TickTexts MakeHaltTexts(const TickTexts& shown, std::int64_t StepCount, double dT);

inline const char* const kDrawCaption = "Кворакс";
inline const char* const kEnergyLabelDesign = "Энергия системы-";
inline const char* const kTimeStepLabelDesign = "Label2";
