// Snapshot files: the exact bytes, the round trip bit for bit, and every refusal leaving
// the store as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "core/FileError.h"
#include "storage/Snapshot.h"
#include "tests/support/TempFolder.h"

namespace {

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

Bytes Count(int n) {
    const auto u = static_cast<std::uint16_t>(n);
    return {static_cast<std::uint8_t>(u & 0xFF), static_cast<std::uint8_t>(u >> 8)};
}

Store TwoBodies() {
    Store s;
    s.RecreateTables(2);
    s.Bodies[0] = Body{1.5, -0.0, 3e300, 4, 5, 6, 7, 8, 9, 2e30};
    s.Bodies[1] = Body{1e-310, 2, 3, -4, 5e-5, 6, 0, 0, 0, 1};
    return s;
}

}  // namespace

TEST(Snapshot, BytesOfOneBody) {
    Store s;
    s.RecreateTables(1);
    s.Bodies[0].x = 1;
    s.Bodies[0].mass = 2;
    s.Bodies[0].ax = 99;  // accelerations are not stored
    Bytes expected = {0x01, 0x00, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
    expected.resize(2 + 8 + 40, 0);
    for (std::uint8_t b : {0, 0, 0, 0, 0, 0, 0, 0x40})
        expected.push_back(b);
    EXPECT_EQ(EncodeSnapshot(s), expected);
    EXPECT_EQ(EncodeSnapshot(TwoBodies()).size(), 114u);
}

TEST(Snapshot, RoundTripIsBitForBit) {
    TempFolder folder;
    const Store saved = TwoBodies();
    WriteSnapshot(folder.path("a.kvx"), saved);
    Store loaded;
    loaded.RecreateTables(7);
    loaded.StepCount = 12;
    ReadSnapshot(folder.path("a.kvx"), loaded);
    ASSERT_EQ(loaded.N(), 2);
    ASSERT_EQ(loaded.NextPos.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const Body &a = saved.Bodies[i], &b = loaded.Bodies[i];
        for (auto field :
             {&Body::x, &Body::y, &Body::z, &Body::vx, &Body::vy, &Body::vz, &Body::mass})
            EXPECT_EQ(std::memcmp(&(a.*field), &(b.*field), 8), 0);
        EXPECT_EQ(b.ax, 0.0);
        EXPECT_EQ(loaded.NextPos[i].x, 0.0);
    }
    EXPECT_TRUE(std::signbit(loaded.Bodies[0].y));  // -0 survives
    EXPECT_EQ(loaded.StepCount, 12);
}

TEST(Snapshot, BytesAfterTheLastRecordAreIgnored) {
    Bytes bytes = EncodeSnapshot(TwoBodies());
    bytes.insert(bytes.end(), {0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3});
    EXPECT_EQ(DecodeSnapshot(bytes).size(), 2u);
}

TEST(Snapshot, MalformedFilesAreRefusedAndChangeNothing) {
    TempFolder folder;
    const Bytes good = EncodeSnapshot(TwoBodies());
    auto withValue = [&](double v) {
        Bytes b = good;
        std::memcpy(b.data() + 2 + 56 + 24, &v, 8);  // second body's vx
        return b;
    };
    Bytes maxCount = Count(32766);
    maxCount.resize(SnapshotSize(32766) - 1);
    const std::vector<std::pair<std::string, Bytes>> cases = {
        {"empty", {}},
        {"one byte", {0x01}},
        {"count 0", Count(0)},
        {"count -1", Count(-1)},
        {"count 32767", Count(32767)},
        {"count larger than the data", Bytes(good.begin(), good.end() - 1)},
        {"32766 bodies, one byte short", maxCount},
        {"NaN", withValue(NAN)},
        {"infinity", withValue(-INFINITY)},
    };
    for (const auto& [name, bytes] : cases) {
        WriteBytes(folder.path("bad.kvx"), bytes);
        Store s = TwoBodies();
        s.FileName = "kept.kvx";
        try {
            ReadSnapshot(folder.path("bad.kvx"), s);
            ADD_FAILURE() << name << " was accepted";
        } catch (const FileError& e) {
            EXPECT_EQ(e.path(), folder.path("bad.kvx")) << name;
            EXPECT_NE(e.reason().problem, FileProblem::System) << name;
        }
        EXPECT_EQ(s.N(), 2) << name;
        EXPECT_EQ(s.Bodies[0].x, 1.5) << name;
        EXPECT_EQ(s.FileName, "kept.kvx") << name;
    }
    Store s = TwoBodies();
    std::filesystem::create_directory(folder.path("folder.kvx"));
    EXPECT_THROW(ReadSnapshot(folder.path("folder.kvx"), s), FileError);
    EXPECT_THROW(ReadSnapshot(folder.path("missing.kvx"), s), FileError);
    EXPECT_THROW(ReadSnapshot("", s), FileError);
    EXPECT_EQ(s.N(), 2);
}

TEST(Snapshot, LargestCountIsAccepted) {
    const Bytes count = Count(32766);
    Bytes bytes(SnapshotSize(32766), 0);
    std::copy(count.begin(), count.end(), bytes.begin());
    EXPECT_EQ(DecodeSnapshot(bytes).size(), 32766u);
}
