// Stars and stores made by hand for the tests.
#pragma once

#include <vector>

#include "core/Store.h"

/// A star at rest at (x, y, z).
inline Body AtRest(double x, double y, double z, double mass) {
    Body b;
    b.x = x, b.y = y, b.z = z, b.mass = mass;
    return b;
}

/// A massless star at x on the x axis, moving along it at vx.
inline Body Moving(double x, double vx) {
    Body b;
    b.x = x, b.vx = vx;
    return b;
}

/// A store whose tables hold these stars and nothing else set.
inline Store StoreOf(const std::vector<Body>& bodies) {
    Store s;
    s.RecreateTables(static_cast<int>(bodies.size()));
    s.Bodies = bodies;
    return s;
}

/// A store ready to tick: these stars where the first tick draws them, on the xy plane
/// at the scale Size1 = 1 unless changed.
inline Store TickingStore(const std::vector<Body>& bodies, double G, double dT, double No = 0) {
    Store s = StoreOf(bodies);
    for (std::size_t i = 0; i < bodies.size(); ++i)
        s.NextPos[i] = {bodies[i].x, bodies[i].y, bodies[i].z};
    s.G = G, s.dT = dT, s.No = No, s.Size1 = 1;
    s.Plane = s.DrawnPlane = "xy";
    return s;
}
