// The stages of the cloud builder. The constants keep exactly the digits the computation
// has always used (not the full-precision 2π and π), so that clouds stay bit-identical.
#include "start/Cloud.h"

#include <cmath>
#include <limits>

namespace {

constexpr double kFullTurn = 6.283185308;
constexpr double kHalfTurn = 3.141592654;
constexpr double kMassFloor = 1e10;

// arctan(a / b) with IEEE semantics but without raising a flag: a non-zero over zero is
// an infinite quotient (a quarter turn); zero over zero means there is nothing to turn.
bool TurnAngle(double a, double b, double& angle) {
    if (b != 0) {
        angle = std::atan(a / b);
        return true;
    }
    if (a == 0) return false;
    const double quotient =
        std::copysign(std::numeric_limits<double>::infinity(), a) * std::copysign(1.0, b);
    angle = std::atan(quotient);
    return true;
}

}  // namespace

void PlaceStars(Store& store, NextRandom& random) {
    const double h = store.Size1 / 2;
    const double third = 1.0 / 3.0;
    for (Body& b : store.Bodies) {
        const double u1 = random();
        const double R = std::pow(u1, third) * (store.Size2 / 2);
        const double u2 = random();
        const double P = 2 * store.IM * u2;
        double Phi = random() * kFullTurn;
        double Theta = (1 - 2 * static_cast<double>(random())) * (kHalfTurn / 2);
        b.x = std::cos(Theta) * R * std::cos(Phi) + h;
        b.y = std::cos(Theta) * R * std::sin(Phi) + h;
        b.z = std::sin(Theta) * R + h;
        b.mass = 2 * store.M * static_cast<double>(random()) + kMassFloor;
        Phi = random() * kFullTurn;
        Theta = random() * kFullTurn;  // a full turn here, unlike the latitude above
        b.vx = std::cos(Theta) * P * std::cos(Phi) / b.mass;
        b.vy = std::cos(Theta) * P * std::sin(Phi) / b.mass;
        b.vz = std::sin(Theta) * P / b.mass;
    }
}

void RemoveDrift(Store& store) {
    store.TotalMass = 0;
    double Px = 0, Py = 0, Pz = 0;
    for (const Body& b : store.Bodies) {
        Px += b.mass * b.vx;
        Py += b.mass * b.vy;
        Pz += b.mass * b.vz;
        store.TotalMass += b.mass;
    }
    const double driftX = Px / store.TotalMass;
    const double driftY = Py / store.TotalMass;
    const double driftZ = Pz / store.TotalMass;
    for (Body& b : store.Bodies) {
        b.vx -= driftX;
        b.vy -= driftY;
        b.vz -= driftZ;
    }
}

void CentreOfMass(const Store& store, double& Xc, double& Yc, double& Zc) {
    Xc = Yc = Zc = 0;
    for (const Body& b : store.Bodies) {
        Xc += b.mass * b.x;
        Yc += b.mass * b.y;
        Zc += b.mass * b.z;
    }
    Xc /= store.TotalMass;
    Yc /= store.TotalMass;
    Zc /= store.TotalMass;
}

namespace {

// One coordinate plane of the bodies: the fields of its two coordinates, of their two
// velocities, and the centre's two coordinates.
struct Plane {
    double Body::*p;
    double Body::*q;
    double Body::*vp;
    double Body::*vq;
    double centreP, centreQ;
};

// Turns every body, position and velocity, by the angle within the plane, about the axis
// through the centre normal to it.
void Turn(Store& store, const Plane& plane, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    for (Body& b : store.Bodies) {
        const double dp = b.*plane.p - plane.centreP, dq = b.*plane.q - plane.centreQ;
        const double vp = b.*plane.vp, vq = b.*plane.vq;
        b.*plane.p = plane.centreP + dp * c - dq * s;
        b.*plane.q = plane.centreQ + dp * s + dq * c;
        b.*plane.vp = vp * c - vq * s;
        b.*plane.vq = vp * s + vq * c;
    }
}

}  // namespace

void AlignSpin(Store& store) {
    double S1 = 0, S2 = 0, S3 = 0;
    for (const Body& b : store.Bodies) {
        const double dx = b.x - store.Xc, dy = b.y - store.Yc, dz = b.z - store.Zc;
        S1 += dz * b.vy - dy * b.vz;
        S2 += dx * b.vz - dz * b.vx;
        S3 += dy * b.vx - dx * b.vy;
    }
    double A;
    if (TurnAngle(S1, S2, A))  // about the axis through the centre parallel to z
        Turn(store, {&Body::x, &Body::y, &Body::vx, &Body::vy, store.Xc, store.Yc}, A);
    double B;
    if (TurnAngle(S2, S3, B))  // about the axis parallel to x, from the sums before turn A
        Turn(store, {&Body::y, &Body::z, &Body::vy, &Body::vz, store.Yc, store.Zc}, B);
}

void BuildCloud(Store& store, std::uint32_t seed) {
    ClearFpFlags();
    NextRandom random(seed);  // the same start state for every run of one seed
    PlaceStars(store, random);
    RemoveDrift(store);
    CentreOfMass(store, store.Xc, store.Yc, store.Zc);
    AlignSpin(store);
    for (std::size_t i = 0; i < store.Bodies.size(); ++i)
        store.NextPos[i] = Point3{store.Bodies[i].x, store.Bodies[i].y, store.Bodies[i].z};
    if (const FpFault fault = TestFpFault(); fault != FpFault::None) throw CloudError(fault);
}
