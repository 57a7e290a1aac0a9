// Results pinned to constants, so that a change that moves the plain loop and the fast path
// alike, or a processor on which both differ from the others, cannot pass unseen. Each
// system starts from committed snapshot bytes (not from the cloud builder, whose library
// functions may round otherwise elsewhere), runs a number of ticks, and must give the
// energy of every tick and the final snapshot's hash below, on the plain loop and on every
// kernel, thread count and way of dividing.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "storage/Snapshot.h"
#include "tests/core/FastPathSupport.h"
#include "tests/support/FileContents.h"
#include "tests/support/Fnv1a.h"

using namespace fastpath;

namespace {

std::string Hex(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%a", v);
    return text;
}

struct PinnedSystem {
    const char* file;  ///< in tests/core/data
    double G, dT, No;
    std::vector<std::string> energies;  ///< of each tick, in order
    std::string finalHash;  ///< of the snapshot after the last tick's positions are committed
};

struct TicksRun {
    std::vector<std::string> energies;
    std::string finalHash;
    FpFault fault = FpFault::None;
};

Store Load(const PinnedSystem& system) {
    const std::string text = ReadAll(std::string(KVORAX_TEST_DATA) + "/" + system.file);
    const Bytes bytes(text.begin(), text.end());
    Store s;
    s.RecreateTables(static_cast<int>(DecodeSnapshot(bytes).size()));
    s.Bodies = DecodeSnapshot(bytes);
    for (int i = 0; i < s.N(); ++i)
        s.NextPos[i] = {s.Bodies[i].x, s.Bodies[i].y, s.Bodies[i].z};
    s.G = system.G, s.dT = system.dT, s.No = system.No;
    return s;
}

void CommitNextPositions(Store& s) {
    for (int i = 0; i < s.N(); ++i)
        s.Bodies[i].x = s.NextPos[i].x, s.Bodies[i].y = s.NextPos[i].y,
        s.Bodies[i].z = s.NextPos[i].z;
}

TicksRun RunTicks(const PinnedSystem& system, const IntegratorOptions& options) {
    Store s = Load(system);
    Integrator integrator(options);
    TicksRun run;
    for (std::size_t tick = 0; tick < system.energies.size(); ++tick) {
        CommitNextPositions(s);
        const IntegrationResult r = integrator.Integrate(s);
        if ((run.fault = r.fault) != FpFault::None) return run;
        run.energies.push_back(Hex(r.Energy));
    }
    CommitNextPositions(s);  // as the next tick would, so that the hash covers NextPos
    run.finalHash = Fnv1a64(EncodeSnapshot(s));
    return run;
}

void ExpectPinned(const PinnedSystem& system, const IntegratorOptions& options,
                  const std::string& where) {
    const TicksRun run = RunTicks(system, options);
    ASSERT_EQ(run.fault, FpFault::None) << where;
    for (std::size_t t = 0; t < system.energies.size(); ++t)
        EXPECT_EQ(run.energies[t], system.energies[t]) << where << ", energy of tick " << t + 1;
    EXPECT_EQ(run.finalHash, system.finalHash) << where << ", final snapshot";
}

// Every width of this processor at 1, 2 and 3 threads with the rows always spread, each
// with corrected reciprocals and with true divisions.
std::vector<Config> EveryKernel() {
    std::vector<Config> configs;
    for (SimdWidth width : SupportedSimdWidths())
        for (int threads : {1, 2, 3})
            for (bool corrected : {true, false})
                configs.push_back({width, threads, corrected});
    return configs;
}

// The start form's default cloud of 100 stars, as the cloud builder made it.
const PinnedSystem kDefaultCloud{
    "default-cloud.kvx",
    6.67e-11,
    315360000,
    0,
    {"0x1.06e7ef4d8e11cp+124", "0x1.06e7edd17aec6p+124", "0x1.06e7ec5567c91p+124",
     "0x1.06e7ead9549fbp+124", "0x1.06e7e95d41761p+124", "0x1.06e7e7e12e4cep+124",
     "0x1.06e7e6651b202p+124", "0x1.06e7e4e907f4p+124", "0x1.06e7e36cf4c1fp+124",
     "0x1.06e7e1f0e190bp+124", "0x1.06e7e074ce608p+124", "0x1.06e7def8bb2c4p+124"},
    "f7c71a4628a13c90"};
// A random system of the speed tests: magnitudes over six orders, zeros, shared coordinates.
const PinnedSystem kRandomSystem{
    "random-300.kvx",
    6.67e-3,
    0.37,
    0.013,
    {"0x1.eaa955397833cp+39", "0x1.ebb06517c15d4p+39", "0x1.ecb885efbea0fp+39",
     "0x1.edc1a2493dea5p+39", "0x1.eecbb51ff710bp+39", "0x1.efd6c1d2908c3p+39"},
    "6c12050b59976e90"};
// Coordinates and masses on the edges of the window in which quotients come from corrected
// reciprocals and just past them, subnormal coordinates and massless bodies.
const PinnedSystem kWindowEdges{
    "window-edges.kvx",
    6.67e-11,
    1e10,
    1e-9,
    {"0x1.c178a421d609p+185", "0x1.b13d8b50dfe25p+199", "0x1.a1988e1b7fc61p+213",
     "0x1.9284301481809p+227", "0x1.83fb384f89b2ap+241", "0x1.75f89e275f98bp+255",
     "0x1.6877877f5ec5ap+269", "0x1.5b7347154c172p+283", "0x1.4ee75ae2b3428p+297",
     "0x1.42cf6a8d3d5e7p+311", "0x1.372745e576024p+325", "0x1.2beae373798fcp+339"},
    "0d89149b555300dc"};

}  // namespace

TEST(PinnedResults, EveryKernelGivesThePinnedEnergiesAndSnapshot) {
    for (const PinnedSystem* system : {&kDefaultCloud, &kRandomSystem, &kWindowEdges}) {
        ExpectPinned(*system, ReferenceOptions(), std::string(system->file) + " plain loop");
        for (const Config& c : EveryKernel())
            ExpectPinned(*system, FastOptions(c), std::string(system->file) + " " + c.Name());
    }
}
