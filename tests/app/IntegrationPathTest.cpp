// The runner's choice of integration path changes nothing: the same snapshot, log and
// texts with the plain loop, on one thread and on several, with either way of dividing.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/support/RunnerProcess.h"

namespace {

// The default cloud of n stars in a rotating frame.
void WriteSettings(const std::string& path, int n = 300) {
    std::ofstream(path, std::ios::binary)
        << "\" 315360000\"\r\n\"6.67e-11\"\r\n\"4.61e+32\"\r\n\"2e+30\"\r\n\"" << n
        << "\"\r\n\"1e+19\"\r\n\"0.5e+18\"\r\n\"1e-12\"\r\n";
}

struct RunFiles {
    int status;
    std::string snapshot, log, out;
};

RunFiles RunWith(const TempFolder& folder, const std::string& pathOptions) {
    const RunResult r = RunRunner(folder, "--steps 4 --save s.kvx --log l.csv " + pathOptions);
    return {r.status, ReadAll(folder.path("s.kvx")), ReadAll(folder.path("l.csv")), r.out};
}

// The same snapshot, log and output as the plain loop's run, byte for byte.
void ExpectTheReferenceRun(const RunFiles& fast, const RunFiles& reference,
                           const std::string& options) {
    EXPECT_EQ(fast.status, 0) << options;
    EXPECT_TRUE(fast.snapshot == reference.snapshot) << options;
    EXPECT_EQ(fast.log, reference.log) << options;
    EXPECT_EQ(fast.out, reference.out) << options;
}

}  // namespace

TEST(RunnerIntegrationPath, SameSnapshotWithAndWithoutTheReferenceLoop) {
    TempFolder folder;
    WriteSettings(folder.path("Kvorax.ini"));
    const RunFiles reference = RunWith(folder, "--reference");
    ASSERT_EQ(reference.status, 0);
    ASSERT_EQ(reference.snapshot.size(), 2u + 56u * 300u);
    for (const std::string options : {"", "--threads 1", "--threads 2", "--threads 3"}) {
        ExpectTheReferenceRun(RunWith(folder, options), reference, options);
    }
}

TEST(RunnerIntegrationPath, EveryWayOfDividingGivesTheSameSnapshotAndLog) {
    // Enough stars for the automatic way to time both kernels and to spread the rows.
    TempFolder folder;
    WriteSettings(folder.path("Kvorax.ini"), 700);
    const RunFiles reference = RunWith(folder, "--reference");
    ASSERT_EQ(reference.status, 0);
    ASSERT_EQ(reference.snapshot.size(), 2u + 56u * 700u);
    for (const std::string way : {"auto", "reciprocals", "divisions"}) {
        for (const std::string threads : {"--threads 1", "--threads 2"}) {
            const std::string options = "--quotients " + way + " " + threads;
            ExpectTheReferenceRun(RunWith(folder, options), reference, options);
        }
    }
}

TEST(RunnerIntegrationPath, UnknownWaysOfDividingAreRefused) {
    TempFolder folder;
    for (const std::string way : {"fast", "Auto", "auto,divisions", "''"}) {
        const RunResult r = RunRunner(folder, "--quotients " + way);
        EXPECT_EQ(r.status, 2) << way;
        EXPECT_NE(r.err.find("--quotients"), std::string::npos) << way << ": " << r.err;
        if (way != "''") {
            EXPECT_NE(r.err.find("«" + way + "»"), std::string::npos) << r.err;
        }
    }
}

TEST(RunnerIntegrationPath, BadThreadCountsAreRefused) {
    TempFolder folder;
    for (const std::string count : {"0", "-2", "two", "1.5", "100000"}) {
        const RunResult r = RunRunner(folder, "--threads " + count);
        EXPECT_EQ(r.status, 2) << count;
        EXPECT_NE(r.err.find(count), std::string::npos) << count;
    }
}
