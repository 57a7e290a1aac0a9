// Orthogonal projection of a body on the plane "xy", "xz" or "yz": a coordinate of Size1
// maps to 600 picture units, no offset, no flip (larger y or z is lower on the picture).
#pragma once

#include <optional>
#include <string>

#include "core/Store.h"

struct PicturePoint {
    float X, Y;
};

/// The picture point of the body, or nothing when the plane is none of the three codes.
std::optional<PicturePoint> Project(const Body& body, const std::string& plane, double Size1);
