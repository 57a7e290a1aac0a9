// Runs kvorax-run in a folder as a user would, and collects its exit status and output.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <string>

#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"

struct RunResult {
    int status = -1;
    std::string out, err;
};

/// arguments are already quoted for the shell; standard output goes to output (a file
/// name for the shell) instead of being collected when given; prefix is a command put
/// before the runner's (see WithinSeconds, kAsNobody).
inline RunResult RunRunner(const TempFolder& folder, const std::string& arguments,
                           const std::string& output = "out.txt", const std::string& prefix = "") {
    const std::string command = "cd '" + folder.path() + "' && " + prefix +
                                "'" KVORAX_RUN_PATH "' " + arguments + " >" + output + " 2>err.txt";
    const int raw = std::system(command.c_str());
    RunResult r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    r.out = ReadAll(folder.path("out.txt"));
    r.err = ReadAll(folder.path("err.txt"));
    std::filesystem::remove(folder.path("out.txt"));
    std::filesystem::remove(folder.path("err.txt"));
    return r;
}

/// The exit status of a run that WithinSeconds ended: killed by SIGKILL.
constexpr int kKilledAtTheBound = 128 + 9;

/// A prefix that kills a run still going after seconds, so that a run that would wait for
/// good fails its test instead of stopping the whole suite.
inline std::string WithinSeconds(double seconds) {
    char prefix[64];
    std::snprintf(prefix, sizeof prefix, "timeout -s KILL %g ", seconds);
    return prefix;
}

/// A prefix that runs the runner as the user nobody, without supplementary groups; it needs
/// root. Standard output and error are still files the shell opened as the caller.
inline const std::string kAsNobody = "setpriv --reuid=65534 --regid=65534 --clear-groups ";

/// Arguments that the runner refuses, and what its message must name.
struct Refused {
    const char* arguments;
    const char* named;
};

/// Runs each case: each must exit with status and name what it refused, and every message
/// must name `always` as well.
inline void ExpectEachRefused(const TempFolder& folder, int status,
                              std::initializer_list<Refused> cases,
                              const std::string& always = "") {
    for (const Refused& c : cases) {
        const RunResult r = RunRunner(folder, c.arguments);
        EXPECT_EQ(r.status, status) << c.arguments;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << c.arguments << ": " << r.err;
        EXPECT_NE(r.err.find(always), std::string::npos) << c.arguments << ": " << r.err;
    }
}
