// The eight texts of the start form, as typed, with their design defaults.
#pragma once

#include <array>
#include <string>

#include "core/UserError.h"

struct StartTexts {
    std::string TextN = "100";
    std::string TextSize1 = "1e+19";
    std::string TextSize2 = "0.5e+18";
    std::string TextM = "2e+30";
    std::string TextIM = "4.61e+32";
    std::string TextdT = " 315360000";
    std::string TextG = "6.67e-11";
    std::string TextNo = "Text1";

    std::string& text(StartBox box);
    const std::string& text(StartBox box) const;
};

/// The boxes in the line order of the settings file.
inline constexpr std::array<StartBox, kStartBoxCount> kSettingsLineOrder = {
    StartBox::dT, StartBox::G,     StartBox::IM,    StartBox::M,
    StartBox::N,  StartBox::Size1, StartBox::Size2, StartBox::No};
