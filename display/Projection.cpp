// The projection table.
#include "display/Projection.h"

std::optional<PicturePoint> Project(const Body& body, const std::string& plane, double Size1) {
    double horizontal, vertical;
    if (plane == "xy") {
        horizontal = body.x, vertical = body.y;
    } else if (plane == "xz") {
        horizontal = body.x, vertical = body.z;
    } else if (plane == "yz") {
        horizontal = body.y, vertical = body.z;
    } else {
        return std::nullopt;
    }
    const double Y = (vertical * 600) / Size1;
    const double X = (horizontal * 600) / Size1;
    return PicturePoint{static_cast<float>(X), static_cast<float>(Y)};
}
