// Shared by the tests of the fast path: configurations of width and threads, random
// systems with many orders of magnitude, and comparisons to the bit.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/Integrator.h"
#include "tests/support/SameBits.h"

namespace fastpath {

struct Config {
    SimdWidth width;
    int threads;
    bool corrected = true;  ///< quotients from corrected reciprocals where possible
    std::string Name() const {
        return std::string(SimdWidthName(width)) + " x" + std::to_string(threads) +
               (corrected ? "" : " divisions");
    }
};

// Every width this processor has at 1, 2 and 3 threads, with the rows always spread, with
// corrected reciprocals and (on one and three threads) with true divisions only.
inline std::vector<Config> AllConfigs() {
    std::vector<Config> configs;
    for (SimdWidth width : SupportedSimdWidths()) {
        for (int threads : {1, 2, 3})
            configs.push_back({width, threads, true});
        if (width != SimdWidth::Plain)
            for (int threads : {1, 3})
                configs.push_back({width, threads, false});
    }
    return configs;
}

inline IntegratorOptions FastOptions(const Config& c) {
    IntegratorOptions o;
    o.width = c.width;
    o.threads = c.threads;
    o.parallelFromBodies = 0;
    o.quotients = c.corrected ? Quotients::Reciprocals : Quotients::Divisions;
    return o;
}

inline IntegratorOptions ReferenceOptions() {
    IntegratorOptions o;
    o.reference = true;
    return o;
}

// Magnitudes over many orders, both signs, some exact zeros and shared coordinates, so
// that any change of rounding (contraction, reciprocals, another order) shows.
inline Store RandomStore(int n, unsigned seed) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> unit(-1, 1), exponent(-3, 3);
    auto value = [&](double scale) {
        return random() % 17 == 0 ? 0.0 : scale * unit(random) * std::pow(10.0, exponent(random));
    };
    Store s;
    s.RecreateTables(n);
    for (int i = 0; i < n; ++i) {
        Body& b = s.Bodies[i];
        b.x = value(1e3), b.y = value(1e3), b.z = value(1e3);
        if (i > 0 && random() % 5 == 0) b.y = s.Bodies[i - 1].y;
        b.vx = value(10), b.vy = value(10), b.vz = value(10);
        b.mass = std::abs(value(1e2));
        s.NextPos[i] = {b.x, b.y, b.z};
    }
    s.G = 6.67e-3, s.dT = 0.37, s.No = 0.013;
    return s;
}

inline void ExpectSameBits(const Store& expected, const Store& actual, const std::string& where) {
    ASSERT_EQ(expected.N(), actual.N());
    for (int i = 0; i < expected.N(); ++i) {
        const Body &e = expected.Bodies[i], &a = actual.Bodies[i];
        const Point3 &ep = expected.NextPos[i], &ap = actual.NextPos[i];
        const double want[] = {e.x,  e.y,  e.z,    e.vx, e.vy, e.vz, e.ax,
                               e.ay, e.az, e.mass, ep.x, ep.y, ep.z};
        const double got[] = {a.x,  a.y,  a.z,    a.vx, a.vy, a.vz, a.ax,
                              a.ay, a.az, a.mass, ap.x, ap.y, ap.z};
        for (int k = 0; k < 13; ++k)
            ASSERT_TRUE(SameBits(want[k], got[k]))
                << where << ": body " << i << " field " << k << ": " << want[k] << " vs " << got[k];
    }
}

// The plain loop's result and fault on a copy of the store.
struct Outcome {
    Store store;
    IntegrationResult result;
};
inline Outcome RunWith(const IntegratorOptions& options, Store store) {
    Integrator integrator(options);
    const IntegrationResult result = integrator.Integrate(store);
    return {std::move(store), result};
}

}  // namespace fastpath
