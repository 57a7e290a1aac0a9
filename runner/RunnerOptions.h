// The runner's command line: its options, and the refusal of arguments that cannot run.
#pragma once

#include <QStringList>
#include <string>

#include "core/Integrator.h"
#include "core/UserError.h"

/// What the runner is asked to do.
struct RunnerOptions {
    std::string settings, open, save, photo, log;
    std::string plane = "xy";
    long long steps = 1;
    std::string frames, checkpoints;  ///< folders for the periodic files; empty: none
    long long every = 0;              ///< the period of those files, at least 1 when named
    IntegratorOptions integration;    ///< every core and the widest vectors unless told
};

/// Largest --threads: far past any core count; keeps a typo from starting thousands.
inline constexpr int kMaxRunnerThreads = 256;

/// The options of the command line. Prints the help or the version and exits with status
/// 0 when asked for; throws ArgumentError for arguments that cannot run.
RunnerOptions ParseRunnerArguments(const QStringList& arguments);
