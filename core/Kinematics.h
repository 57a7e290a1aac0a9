// The four kinematics primitives of the step, each evaluated in exactly this order of
// operations: the results are defined to the last bit. They are templates so that the
// fault finder can replay them with a number type that checks every operation.
#pragma once

#include <cmath>

/// Euclidean distance between (x1, y1, z1) and (x2, y2, z2); arguments interleaved.
template <class T>
T Distance(T x1, T x2, T y1, T y2, T z1, T z2) {
    using std::sqrt;
    const T dx = x2 - x1;
    T s = dx * dx;
    const T dy = y2 - y1;
    s = s + dy * dy;
    const T dz = z2 - z1;
    s = s + dz * dz;
    return sqrt(s);
}

/// Magnitude of the acceleration that a body of this mass causes at distance r.
template <class T>
T GravityAccel(T r, T mass, T G) {
    const T p = mass * G;
    const T q = r * r;
    return p / q;
}

/// One velocity component after time t under acceleration a.
template <class T>
T StepVelocity(T v, T a, T t) {
    return (a * t) + v;
}

/// One position component after time t, moving with v under acceleration a.
template <class T>
T StepPosition(T x, T v, T a, T t) {
    T h = t * t;
    h = h * a;
    h = h / 2;
    const T w = (v * t) + x;
    return h + w;
}
