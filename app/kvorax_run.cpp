// kvorax-run: the simulation without windows, for scripts and checks. It starts a run as
// the start form's "OK" does, runs ticks through the same tick, picture and file code as
// the window program, writes frames and checkpoints along the way when asked, and writes
// the requested files at the end.
#include <QCoreApplication>
#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>

#include "app/Messages.h"
#include "core/Tick.h"
#include "core/UserError.h"
#include "display/Picture.h"
#include "display/PictureExport.h"
#include "display/TickView.h"
#include "display/toolkit/QtLanguage.h"
#include "runner/ArgumentBytes.h"
#include "runner/PeriodicOutputs.h"
#include "runner/ProgressLine.h"
#include "runner/RunState.h"
#include "runner/RunnerOptions.h"
#include "runner/StandardOutput.h"
#include "start/Settings.h"
#include "start/StartParameters.h"
#include "storage/FileAccess.h"
#include "storage/RestartFile.h"
#include "storage/Snapshot.h"

namespace {

enum ExitStatus { kDone = 0, kBadArguments = 2, kFault = 3, kFileFailure = 4 };

void PrintError(const UserError& failure) {
    std::fprintf(stderr, "%s\n", Message(failure).c_str());
}

// False, after telling why, when standard output could not take the text.
bool Print(const std::string& text) {
    try {
        PrintToStandardOutput(text);
        return true;
    } catch (const StandardOutputError& failure) {
        PrintError(failure);
        return false;
    }
}

StartTexts LoadStartTexts(const RunnerOptions& options) {
    StartTexts texts;
    if (options.settings.empty()) {
        LoadSettings(texts);
    } else {
        ReadSettings(texts, options.settings);  // a file named explicitly must be there
    }
    return texts;
}

std::string Full(double value) {
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17).ptr;
    return std::string(buffer, end);
}

// Tries every write; reports each failure and returns whether all succeeded. After a fault
// the restart file holds the state before the failing tick, from which it runs again.
bool WriteOutputs(const RunnerOptions& options, const RunState& state, bool faulted,
                  AtomicFileWriter* log) {
    const Store& store = state.store;
    bool ok = true;
    auto attempt = [&](auto write) {
        try {
            write();
        } catch (const FileError& failure) {
            PrintError(failure);
            ok = false;
        }
    };
    if (!options.save.empty()) attempt([&] { WriteSnapshot(options.save, store); });
    if (!options.photo.empty())
        attempt([&] { WritePicture(options.photo, state.picture.Image()); });
    if (!options.saveState.empty())
        attempt([&] {
            WriteFileAtomically(options.saveState,
                                faulted ? state.RestartBytesBeforeTick() : state.RestartBytes());
        });
    if (log) attempt([&] { log->Commit(); });
    return ok;
}

// A run's state from its start to its end.
struct Run {
    RunState state;
    std::unique_ptr<AtomicFileWriter> log;
    std::optional<PeriodicOutputs> periodic;
    int status = kDone;
};

bool Refuse(Run& run, const UserError& failure, ExitStatus status) {
    PrintError(failure);
    run.status = status;
    return false;
}

// Builds the cloud, or takes the state of the restart file, and opens every output before
// the first tick, so that a bad start or an unusable file or folder stops the run before
// anything is computed or written.
bool Prepare(const RunnerOptions& options, Run& run) {
    try {
        if (!options.resume.empty()) {
            run.state.Resume(ReadRestart(options.resume));
        } else {
            run.state.Start(LoadStartTexts(options), options.seed);
            run.state.store.Plane = options.plane;
            run.state.store.FileToOpen = options.open;
        }
        if (!options.log.empty()) run.log = std::make_unique<AtomicFileWriter>(options.log);
        run.periodic.emplace(options.frames, options.checkpoints, options.every);
        return true;
    } catch (const FileError& failure) {
        return Refuse(run, failure, kFileFailure);
    } catch (const OutputFolderError& failure) {
        return Refuse(run, failure, kFileFailure);
    } catch (const StartParameterError& bad) {
        return Refuse(run, bad, kBadArguments);
    } catch (const CloudError& bad) {
        return Refuse(run, bad, kBadArguments);
    }
}

void AppendToLog(Run& run, const TickOutcome& outcome) {
    if (!run.log) return;
    try {
        run.log->Write(std::to_string(outcome.step) + "," + Full(run.state.view.energy()) + "," +
                       Full(run.state.store.dT) + "\n");
    } catch (const FileError& failure) {
        PrintError(failure);
        run.log.reset();
        run.status = kFileFailure;
    }
}

// Runs the ticks until the last, a fault or a failed periodic write; false when the run
// must end without writing anything more.
bool RunTicks(const RunnerOptions& options, Run& run) {
    Integrator integrator(options.integration);
    ProgressLine progress(options.steps);
    for (long long k = 0; k < options.steps; ++k) {
        const TickOutcome outcome = run.state.Tick(integrator);
        if (outcome.loadError) {
            progress.Stop();
            PrintError(*outcome.loadError);
            run.status = kFileFailure;
            return false;  // nothing of an unintended run is written
        }
        if (outcome.fault != FpFault::None) {
            progress.Stop();
            run.state.view.ShowHalt(run.state.store, outcome.step);
            PrintError(TickFault(outcome.fault, outcome.step));
            run.periodic->AfterFault(outcome.step, run.state);
            run.status = kFault;
            break;
        }
        AppendToLog(run, outcome);
        run.periodic->AfterTick(outcome.step, k + 1 == options.steps, run.state);
        if (run.periodic->failed()) break;
        progress.Update(k + 1);
    }
    progress.Stop();
    // The run stopped at the first file it could not write; nothing later is written.
    auto stopped = [&](const UserError& failure) {
        PrintError(failure);
        if (run.status != kFault) run.status = kFileFailure;
        return false;
    };
    try {
        run.periodic->Finish();
    } catch (const PeriodicWriteError& failure) {
        return stopped(failure);
    } catch (const FileError& failure) {
        return stopped(failure);
    }
    return true;
}

int RunToEnd(const RunnerOptions& options) {
    Run run;
    if (!Prepare(options, run) || !RunTicks(options, run)) return run.status;
    if (!WriteOutputs(options, run.state, run.status == kFault, run.log.get()) &&
        run.status == kDone)
        run.status = kFileFailure;
    const TickTexts& texts = run.state.view.texts();
    if (!Print(texts.caption + "\n" + texts.energy + "\n" + texts.timeStep + "\n"))
        run.status = kFileFailure;
    return run.status;
}

}  // namespace

int main(int argc, char** argv) {
    // Taken before Qt sees them: file names are bytes, which Qt's decoding would change.
    const std::vector<std::string> arguments = ArgumentsOf(argc, argv);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("kvorax-run");
    QCoreApplication::setApplicationVersion(PROJECT_VERSION);
    toolkit::UseQtRussian();
    try {
        const RunnerRequest request = ParseRunnerArguments(arguments);
        if (!request.text.empty()) return Print(request.text) ? kDone : kFileFailure;
        return RunToEnd(request.options);
    } catch (const ArgumentError& bad) {
        PrintError(bad);
        return kBadArguments;
    }
}
