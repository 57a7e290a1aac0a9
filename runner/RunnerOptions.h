// The runner's command line: its options, and the refusal of arguments that cannot run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Integrator.h"
#include "core/UserError.h"

/// What the runner is asked to do. Paths are the bytes given, whatever their encoding.
struct RunnerOptions {
    std::string settings, open, save, photo, log;  ///< empty: not given
    std::string saveState;  ///< restart file written after the last tick; empty: none
    std::string resume;     ///< restart file the run goes on from; empty: a new run
    std::uint32_t seed = 0;
    std::string plane = "xy";
    long long steps = 1;
    std::string frames, checkpoints;  ///< folders for the periodic files; empty: none
    long long every = 0;              ///< the period of those files, at least 1 when named
    IntegratorOptions integration;    ///< every core and the widest vectors unless told
};

/// Largest --threads: far past any core count; keeps a typo from starting thousands.
inline constexpr int kMaxRunnerThreads = 256;

/// A run, or the text that --help or --version asks for.
struct RunnerRequest {
    RunnerOptions options;
    std::string text;  ///< when not empty, print it and run nothing
};

/// The options of the command line, given as bytes with the program's name first. Throws
/// ArgumentError for arguments that cannot run.
RunnerRequest ParseRunnerArguments(const std::vector<std::string>& arguments);
