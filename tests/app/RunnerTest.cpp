// The runner as a user runs it: exit statuses, printed texts and the files it writes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "storage/Snapshot.h"
#include "tests/support/Bodies.h"
#include "tests/support/RunnerProcess.h"
#include "tests/support/SettingsFiles.h"

TEST(Runner, DefaultRunPrintsTheTextsAndWritesNoSettings) {
    TempFolder f;
    const RunResult r = RunRunner(f, "--steps 3 --save a.kvx --photo a.wmf --log a.csv");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "Кворакс  3 шаг");
    EXPECT_NE(r.out.find("\nЭнергия системы: "), std::string::npos);
    EXPECT_NE(r.out.find("\n 315360000\n"), std::string::npos);
    EXPECT_EQ(ReadAll(f.path("a.kvx")).size(), SnapshotSize(100));
    EXPECT_EQ(ReadAll(f.path("a.wmf")).substr(0, 2), "BM");
    const std::string log = ReadAll(f.path("a.csv"));
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 3);
    EXPECT_EQ(log.substr(0, 2), "1,");
    EXPECT_NE(log.find(",315360000\n3,"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(f.path("Kvorax.ini")));
}

TEST(Runner, OpenedSnapshotRunsWithTheSettingsParameters) {
    TempFolder f;
    WriteUnitSettings(f.path("unit.ini"));
    WriteSnapshot(f.path("two.kvx"), StoreOf({AtRest(0, 0, 0, 1), AtRest(2, 0, 0, 1)}));
    const RunResult r =
        RunRunner(f, "--settings unit.ini --open two.kvx --plane xz --save out.kvx");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Кворакс  1 шаг\nЭнергия системы: 0.5625\n 1\n");
    Store out;
    ReadSnapshot(f.path("out.kvx"), out);
    ASSERT_EQ(out.N(), 2);
    EXPECT_EQ(out.Bodies[0].x, 0.0);  // the drawn positions, the advanced velocities
    EXPECT_EQ(out.Bodies[0].vx, 0.25);
    EXPECT_EQ(out.Bodies[1].vx, -0.25);
}

TEST(Runner, BadArgumentsAndStartParametersExitWithTwo) {
    TempFolder f;
    std::ofstream(f.path("zero.ini"), std::ios::binary)
        << "\"1\"\r\n\"1\"\r\n\"1\"\r\n\"1\"\r\n\"0\"\r\n";
    for (const char* arguments :
         {"--steps -1", "--steps x", "--plane XY", "--bogus", "extra", "--settings zero.ini"}) {
        const RunResult r = RunRunner(f, arguments);
        EXPECT_EQ(r.status, 2) << arguments;
        EXPECT_FALSE(r.err.empty()) << arguments;
    }
    EXPECT_NE(RunRunner(f, "--settings zero.ini").err.find("Количество звезд"), std::string::npos);
    EXPECT_EQ(RunRunner(f, "--help").status, 0);
    const RunResult version = RunRunner(f, "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_NE(version.out.find("kvorax-run"), std::string::npos);
}

TEST(Runner, FaultStopsWithThreeAndKeepsTheLastConsistentState) {
    TempFolder f;
    WriteUnitSettings(f.path("Kvorax.ini"));
    WriteSnapshot(f.path("same.kvx"),
                  StoreOf({AtRest(1, 0, 0, 1), AtRest(1, 0, 0, 1), AtRest(5, 0, 0, 1)}));
    const RunResult r = RunRunner(f, "--open same.kvx --steps 4 --save out.kvx --photo out.wmf");
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("шаге 1"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("деление на ноль"), std::string::npos) << r.err;
    Store out;
    ReadSnapshot(f.path("out.kvx"), out);
    EXPECT_EQ(out.N(), 3);
    EXPECT_EQ(out.Bodies[2].x, 5.0);
    EXPECT_EQ(out.Bodies[2].vx, 0.0);  // velocities as before the failing step
    EXPECT_EQ(ReadAll(f.path("out.wmf")).substr(0, 2), "BM");
}

TEST(Runner, FrameFactorOverflowHaltsAtTheFirstStep) {
    // No × 12.566370616 overflows: an overflow at step 1, never a run of infinities.
    for (const char* No : {"1.5e307", "-1e308"}) {
        TempFolder f;
        std::ofstream(f.path("Kvorax.ini"), std::ios::binary)
            << "\" 315360000\"\r\n\"6.67e-11\"\r\n\"4.61e+32\"\r\n\"2e+30\"\r\n\"100\"\r\n"
            << "\"1e+19\"\r\n\"0.5e+18\"\r\n\"" << No << "\"\r\n";
        const RunResult r = RunRunner(f, "--steps 3 --save x.kvx --log x.csv");
        EXPECT_EQ(r.status, 3) << No;
        EXPECT_NE(r.err.find("шаге 1"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("переполнение"), std::string::npos) << r.err;
        for (const std::string& text : {r.out, ReadAll(f.path("x.csv"))})
            for (const char* notANumber : {"inf", "nan"})
                EXPECT_EQ(text.find(notANumber), std::string::npos) << text;
        Store out;
        ReadSnapshot(f.path("x.kvx"), out);  // finite, or it would be refused
        EXPECT_EQ(out.N(), 100);
    }
}

TEST(Runner, FileFailuresExitWithFourAndWriteWhatTheyCan) {
    TempFolder f;
    std::ofstream(f.path("short.kvx")) << "x";
    ExpectEachRefused(f, 4,
                      {
                          {"--open missing.kvx", "missing.kvx"},
                          {"--open short.kvx", "short.kvx"},
                          {"--open .", "«.»"},
                          {"--settings none.ini", "none.ini"},
                          {"--log /dev/full --steps 2", "/dev/full"},
                          {"--save nofolder/a.kvx --photo b.wmf", "nofolder/a.kvx"},
                      });
    EXPECT_EQ(ReadAll(f.path("b.wmf")).substr(0, 2), "BM");  // the other write still happened
    EXPECT_EQ(f.entries(), (std::vector<std::string>{"b.wmf", "short.kvx"}));  // no temporaries
}

TEST(Runner, MalformedSnapshotsAreRefusedWithTheirReason) {
    TempFolder f;
    const Bytes good = [] {
        Store s;
        s.RecreateTables(2);
        return EncodeSnapshot(s);
    }();
    auto withCount = [](int n, std::size_t size) {
        Bytes b(size, 0);
        b[0] = static_cast<std::uint8_t>(n & 0xFF);
        b[1] = static_cast<std::uint8_t>((n >> 8) & 0xFF);
        return b;
    };
    auto withValue = [&](double v) {
        Bytes b = good;
        std::memcpy(b.data() + 2 + 8, &v, 8);
        return b;
    };
    const struct {
        const char* name;
        Bytes bytes;
        const char* reason;
    } cases[] = {
        {"empty", {}, "короче двух байт"},
        {"one byte", {0x01}, "короче двух байт"},
        {"count 0", withCount(0, 100), "число звезд 0"},
        {"count -1", withCount(-1, 100), "число звезд -1"},
        {"count 32767", withCount(32767, SnapshotSize(32767)), "число звезд 32767"},
        {"count larger than the data", withCount(3, SnapshotSize(3) - 1), "обрывается"},
        {"NaN", withValue(std::nan("")), "конечным"},
        {"infinity", withValue(HUGE_VAL), "конечным"},
    };
    for (const auto& c : cases) {
        {
            std::ofstream out(f.path("bad.kvx"), std::ios::binary);
            out.write(reinterpret_cast<const char*>(c.bytes.data()),
                      static_cast<long>(c.bytes.size()));
        }
        const RunResult r = RunRunner(f, "--open bad.kvx --save out.kvx");
        EXPECT_EQ(r.status, 4) << c.name;
        EXPECT_NE(r.err.find("«bad.kvx»"), std::string::npos) << c.name << ": " << r.err;
        EXPECT_NE(r.err.find(c.reason), std::string::npos) << c.name << ": " << r.err;
        EXPECT_FALSE(std::filesystem::exists(f.path("out.kvx"))) << c.name;
    }
    std::filesystem::create_directory(f.path("dir.kvx"));
    const RunResult r = RunRunner(f, "--open dir.kvx");
    EXPECT_EQ(r.status, 4);
    EXPECT_NE(r.err.find("это папка"), std::string::npos) << r.err;
}

TEST(Runner, FileNamesAreTheBytesGiven) {
    TempFolder f;
    // Not UTF-8: a decoding would turn both bytes into U+FFFD and another name.
    const std::string name = "bad\xff\xfe.kvx";
    ASSERT_EQ(RunRunner(f, "--save '" + name + "'").status, 0);
    EXPECT_EQ(f.entries(), std::vector<std::string>{name});
    const RunResult opened = RunRunner(f, "--open '" + name + "' --steps 2");
    EXPECT_EQ(opened.status, 0) << opened.err;
    EXPECT_EQ(opened.out.substr(0, opened.out.find('\n')), "Кворакс  2 шаг");
    const RunResult missing = RunRunner(f, "--open 'nope\xff.kvx'");
    EXPECT_EQ(missing.status, 4);
    EXPECT_NE(missing.err.find("«nope\\xFF.kvx»"), std::string::npos) << missing.err;
}

TEST(Runner, EmptyFileAndFolderNamesExitWithTwoNamingTheOption) {
    TempFolder f;
    for (const char* option : {"--settings", "--open", "--save", "--photo", "--log"}) {
        const RunResult r = RunRunner(f, std::string(option) + " ''");
        EXPECT_EQ(r.status, 2) << option;
        EXPECT_NE(r.err.find(std::string(option) + " задан с пустым именем файла"),
                  std::string::npos)
            << r.err;
    }
    for (const char* option : {"--frames", "--checkpoints"}) {
        const RunResult r = RunRunner(f, std::string(option) + " '' --every 1");
        EXPECT_EQ(r.status, 2) << option;
        EXPECT_NE(r.err.find(std::string(option) + " задан с пустым именем папки"),
                  std::string::npos)
            << r.err;
    }
    EXPECT_TRUE(f.entries().empty());  // nothing run, nothing written
}

TEST(Runner, StandardOutputThatFailsExitsWithFour) {
    TempFolder f;
    for (const char* arguments : {"--steps 1", "--help", "--version"}) {
        const RunResult r = RunRunner(f, arguments, "/dev/full");
        EXPECT_EQ(r.status, 4) << arguments;
        EXPECT_NE(r.err.find("стандартный вывод: нет места на диске"), std::string::npos) << r.err;
    }
}

TEST(Runner, QtsOwnTextsAreRussian) {
    TempFolder f;
    EXPECT_NE(RunRunner(f, "--bogus").err.find("Неизвестный параметр «bogus»"), std::string::npos);
    const RunResult help = RunRunner(f, "--help");
    EXPECT_NE(help.out.find("Параметры:"), std::string::npos) << help.out;
    EXPECT_EQ(help.out.find("Options:"), std::string::npos);
}

TEST(Runner, AfterAHaltItPrintsWhatTheWindowShows) {
    TempFolder f;
    // G = 0, dT = 1: the two stars move straight at each other and meet at step 4, where
    // 0 ÷ 0 halts the run.
    std::ofstream(f.path("Kvorax.ini"), std::ios::binary)
        << "\"1\"\r\n\"0\"\r\n\"0\"\r\n\"1\"\r\n\"2\"\r\n\"600\"\r\n\"1\"\r\n\"0\"\r\n";
    Body left = AtRest(0, 0, 0, 1), right = AtRest(6, 0, 0, 1);
    left.vx = 1, right.vx = -1;
    WriteSnapshot(f.path("meet.kvx"), StoreOf({left, right}));
    const RunResult at4 = RunRunner(f, "--open meet.kvx --steps 9");
    EXPECT_EQ(at4.status, 3);
    EXPECT_NE(at4.err.find("шаге 4"), std::string::npos) << at4.err;
    EXPECT_EQ(at4.out, "Кворакс  4 шаг\nЭнергия системы: 1\n 1\n");
    // At step 1 no tick has ended: the energy label keeps its design text, the time-step
    // label shows the time step.
    WriteSnapshot(f.path("same.kvx"), StoreOf({AtRest(1, 0, 0, 1), AtRest(1, 0, 0, 1)}));
    const RunResult at1 = RunRunner(f, "--open same.kvx --steps 2");
    EXPECT_EQ(at1.status, 3);
    EXPECT_EQ(at1.out, "Кворакс  1 шаг\nЭнергия системы-\n 1\n");
}
