// The one program-wide store of a simulation run: the body tables, the run parameters,
// the planes, the snapshot names and the step counter.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

/// One star. Field order matters: it is the order of the record in memory and,
/// without the accelerations, of the snapshot file.
struct Body {
    double x = 0, y = 0, z = 0;     ///< position
    double vx = 0, vy = 0, vz = 0;  ///< velocity
    double ax = 0, ay = 0, az = 0;  ///< acceleration found by the most recent step
    double mass = 0;
};

/// A position.
struct Point3 {
    double x = 0, y = 0, z = 0;
};

/// Largest body count: the snapshot file stores it in 16 bits and 32767 is reserved.
inline constexpr int kMaxBodies = 32766;

/// Owned once by the program and passed by reference to whatever reads or writes it.
struct Store {
    std::vector<Body> Bodies;     ///< the stars, N entries
    std::vector<Point3> NextPos;  ///< positions the stars take at the next tick, N entries

    double Size1 = 0;  ///< edge of the cubic space region; also the drawing scale
    double Size2 = 0;  ///< diameter of the ball that holds the initial cloud
    double M = 0;      ///< mean star mass
    double IM = 0;     ///< mean star momentum
    double G = 0;      ///< gravitational constant
    double dT = 0;     ///< integration time step
    double No = 0;     ///< revolutions per unit time of the rotating reference frame

    double TotalMass = 0;           ///< sum of all masses, set by the cloud builder
    double Xc = 0, Yc = 0, Zc = 0;  ///< centre of mass of the initial cloud

    std::int64_t StepCount = 0;  ///< ticks since the program started; never reset

    std::string Plane;       ///< plane chosen by the user: "xy", "xz" or "yz"
    std::string DrawnPlane;  ///< plane of the points currently on the picture
    std::string FileName;    ///< current snapshot name, empty when none
    std::string FileToOpen;  ///< snapshot waiting to be read by the next tick, empty when none

    /// Number of bodies. Both tables always have exactly this many entries.
    int N() const { return static_cast<int>(Bodies.size()); }

    /// Re-creates both tables with n entries, every field zero.
    void RecreateTables(int n);
};
