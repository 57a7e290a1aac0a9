// Restart files: every field comes back bit for bit, and every damaged, cut, foreign or
// newer file is refused with its own reason before anything is taken from it.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>

#include "core/FileError.h"
#include "storage/RestartFile.h"
#include "storage/Snapshot.h"
#include "tests/support/SameBits.h"
#include "tests/support/TempFolder.h"

namespace {

Store SomeState() {
    Store s;
    s.RecreateTables(3);
    s.Bodies[0] = Body{1.5, -0.0, 3e300, 4, 5, 6, 7, 8, 9, 2e30};
    s.Bodies[1] = Body{1e-310, 2, 3, -4, 5e-5, 6, -7e-3, 1e100, 9, 1};
    s.Bodies[2].vx = std::numeric_limits<double>::quiet_NaN();
    s.NextPos[0] = {0.1, 0.2, 0.3};
    s.NextPos[2] = {-1, -2, 4e-320};
    s.Size1 = 1e19, s.Size2 = 5e17, s.M = 2e30, s.IM = 3e34, s.G = 6.67e-11;
    s.dT = 315360000, s.No = 1e-12, s.TotalMass = 6e31, s.Xc = 1, s.Yc = 2, s.Zc = 3;
    s.StepCount = 1234567;
    s.Plane = "yz";
    s.DrawnPlane = "xz";
    s.FileName = "папка/снимок.kvx";
    s.FileToOpen = std::string("\xff\x01 bytes", 8);  // a path is bytes, not text
    return s;
}

RunCarry SomeCarry() {
    return RunCarry{4000000000u, true, true, -1.25e40, 472.5};
}

// The bytes with a fresh checksum, as a writer of that content would have made them.
Bytes Resealed(Bytes bytes) {
    const uLong crc = crc32(0L, bytes.data(), static_cast<uInt>(bytes.size() - 4));
    const auto value = static_cast<std::uint32_t>(crc);
    std::memcpy(bytes.data() + bytes.size() - 4, &value, 4);
    return bytes;
}

FileProblem RefusalOf(const Bytes& bytes) {
    try {
        DecodeRestart(bytes);
    } catch (const RestartRefused& refused) {
        return refused.reason.problem;
    }
    ADD_FAILURE() << "accepted";
    return FileProblem::System;
}

}  // namespace

TEST(RestartFile, EveryFieldComesBackBitForBit) {
    const Store saved = SomeState();
    const Bytes bytes = EncodeRestart(saved, SomeCarry());
    const Restart r = DecodeRestart(bytes);
    const Store& s = r.store;
    ASSERT_EQ(s.N(), 3);
    ASSERT_EQ(s.NextPos.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const Body &a = saved.Bodies[i], &b = s.Bodies[i];
        for (auto f : {&Body::x, &Body::y, &Body::z, &Body::vx, &Body::vy, &Body::vz, &Body::ax,
                       &Body::ay, &Body::az, &Body::mass})
            EXPECT_TRUE(SameBits(a.*f, b.*f)) << "body " << i;
        for (auto f : {&Point3::x, &Point3::y, &Point3::z})
            EXPECT_TRUE(SameBits(saved.NextPos[i].*f, s.NextPos[i].*f)) << "next " << i;
    }
    for (auto f : {&Store::Size1, &Store::Size2, &Store::M, &Store::IM, &Store::G, &Store::dT,
                   &Store::No, &Store::TotalMass, &Store::Xc, &Store::Yc, &Store::Zc})
        EXPECT_TRUE(SameBits(saved.*f, s.*f));
    EXPECT_EQ(s.StepCount, 1234567);
    EXPECT_EQ(s.Plane, "yz");
    EXPECT_EQ(s.DrawnPlane, "xz");
    EXPECT_EQ(s.FileName, saved.FileName);
    EXPECT_EQ(s.FileToOpen, saved.FileToOpen);
    EXPECT_EQ(r.carry.seed, 4000000000u);
    EXPECT_TRUE(r.carry.pictureDrawn);
    EXPECT_TRUE(r.carry.textsShown);
    EXPECT_EQ(r.carry.shownEnergy, -1.25e40);
    EXPECT_EQ(r.carry.shownTimeStep, 472.5);
    EXPECT_TRUE(std::signbit(s.Bodies[0].y));
    // Nothing is lost or added: the state read gives the same bytes again.
    EXPECT_EQ(EncodeRestart(s, r.carry), bytes);
}

TEST(RestartFile, TheFrameIsMagicVersionLengthAndChecksum) {
    const Bytes bytes = EncodeRestart(SomeState(), SomeCarry());
    const std::uint8_t magic[] = {'K', 'V', 'X', 'R', '\r', '\n', 0x1A, '\n', 1, 0, 0, 0};
    ASSERT_GT(bytes.size(), sizeof magic);
    EXPECT_EQ(std::memcmp(bytes.data(), magic, sizeof magic), 0);
    std::uint64_t length;
    std::memcpy(&length, bytes.data() + 12, 8);
    EXPECT_EQ(length, bytes.size());
    EXPECT_EQ(Resealed(bytes), bytes);
}

TEST(RestartFile, EverySingleBitFlipIsRefused) {
    const Bytes good = EncodeRestart(SomeState(), SomeCarry());
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (int bit : {0, 7}) {
            Bytes bad = good;
            bad[at] ^= static_cast<std::uint8_t>(1 << bit);
            const FileProblem p = RefusalOf(bad);
            if (at < 8)
                EXPECT_EQ(p, FileProblem::RestartForeign) << at;
            else if (at < 12)
                EXPECT_EQ(p, FileProblem::RestartNewerVersion) << at;
            else if (at < 20)
                EXPECT_TRUE(p == FileProblem::RestartTruncated || p == FileProblem::RestartTooLong)
                    << at;
            else
                EXPECT_EQ(p, FileProblem::RestartBadChecksum) << at;
        }
    }
}

TEST(RestartFile, CutLongForeignAndNewerFilesAreRefused) {
    const Bytes good = EncodeRestart(SomeState(), SomeCarry());
    EXPECT_EQ(RefusalOf({}), FileProblem::RestartEmpty);
    for (std::size_t size :
         {std::size_t{5}, std::size_t{15}, std::size_t{20}, good.size() / 2, good.size() - 1}) {
        const Bytes cut(good.begin(), good.begin() + static_cast<long>(size));
        EXPECT_EQ(RefusalOf(cut),
                  size < 8 ? FileProblem::RestartForeign : FileProblem::RestartTruncated)
            << size;
    }
    Bytes longer = good;
    longer.push_back(0);
    EXPECT_EQ(RefusalOf(longer), FileProblem::RestartTooLong);
    Store one;
    one.RecreateTables(1);
    EXPECT_EQ(RefusalOf(EncodeSnapshot(one)), FileProblem::RestartForeign);
    Bytes newer = good;
    newer[8] = 2;
    try {
        DecodeRestart(Resealed(newer));
        ADD_FAILURE() << "a newer version was accepted";
    } catch (const RestartRefused& refused) {
        EXPECT_EQ(refused.reason.problem, FileProblem::RestartNewerVersion);
        EXPECT_EQ(refused.reason.count, 2);
    }
}

TEST(RestartFile, AnIntactChecksumOverContradictoryPartsIsRefused) {
    Store empty;  // no bodies: a count no run has
    EXPECT_EQ(RefusalOf(EncodeRestart(empty, {})), FileProblem::RestartInconsistent);
    Bytes flag = EncodeRestart(SomeState(), SomeCarry());
    flag[124] = 2;  // the picture flag
    EXPECT_EQ(RefusalOf(Resealed(flag)), FileProblem::RestartInconsistent);
    Bytes text = EncodeRestart(SomeState(), SomeCarry());
    text[142] = 200;  // Plane's length now runs past the tables
    EXPECT_EQ(RefusalOf(Resealed(text)), FileProblem::RestartInconsistent);
}

TEST(RestartFile, WrittenAndReadThroughTheFileCode) {
    TempFolder folder;
    const std::string path = folder.path("s.kvxr");
    WriteRestart(path, SomeState(), SomeCarry());
    EXPECT_EQ(ReadRestart(path).store.StepCount, 1234567);
    std::ofstream(path, std::ios::binary | std::ios::trunc).write("KVXR", 4);
    try {
        ReadRestart(path);
        ADD_FAILURE() << "a cut file was accepted";
    } catch (const FileError& refused) {
        EXPECT_EQ(refused.action(), FileAction::Resume);
        EXPECT_EQ(refused.path(), path);
        EXPECT_EQ(refused.reason().problem, FileProblem::RestartForeign);
    }
}
