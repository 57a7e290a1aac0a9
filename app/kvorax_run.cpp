// kvorax-run: the simulation without windows, for scripts and checks. It starts a run as
// the start form's "OK" does, runs ticks through the same tick, picture and file code as
// the window program, and writes the requested files at the end.
#include <unistd.h>

#include <QCoreApplication>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>

#include "app/Messages.h"
#include "app/RunnerOptions.h"
#include "core/FileError.h"
#include "core/Tick.h"
#include "display/Picture.h"
#include "display/TickView.h"
#include "start/Settings.h"
#include "start/StartParameters.h"
#include "storage/FileAccess.h"
#include "storage/PictureExport.h"
#include "storage/Snapshot.h"

namespace {

enum ExitStatus { kDone = 0, kBadArguments = 2, kFault = 3, kFileFailure = 4 };

void PrintError(const UserError& failure) {
    std::fprintf(stderr, "%s\n", Message(failure).c_str());
}

StartTexts LoadStartTexts(const RunnerOptions& options) {
    StartTexts texts;
    if (options.settings.empty()) {
        LoadSettings(texts);
    } else {
        // An explicitly named file must be there; the reader says why it is not usable.
        if (!IsRegularFile(options.settings)) ReadFilePrefix(options.settings, 0);
        LoadSettings(texts, options.settings);
    }
    return texts;
}

std::string Full(double value) {
    char buffer[64];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 17).ptr;
    return std::string(buffer, end);
}

// A bar on standard error while a long run goes on, only when it is a terminal.
class Progress {
  public:
    explicit Progress(long long total) : total_(total), shown_(total >= 1000 && isatty(2)) {}
    void Update(long long done) {
        if (!shown_) return;
        const auto now = std::chrono::steady_clock::now();
        if (done != total_ && now - last_ < std::chrono::milliseconds(200)) return;
        last_ = now;
        const int width = 40;
        const int filled = static_cast<int>(width * done / total_);
        std::fprintf(stderr, "\r[%s%s] %lld/%lld", std::string(filled, '#').c_str(),
                     std::string(width - filled, ' ').c_str(), done, total_);
        if (done == total_) std::fprintf(stderr, "\n");
    }

  private:
    long long total_;
    bool shown_;
    std::chrono::steady_clock::time_point last_{};
};

// Tries every write; reports each failure and returns whether all succeeded.
bool WriteOutputs(const RunnerOptions& options, const Store& store, const Picture& picture,
                  AtomicFileWriter* log) {
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
    if (!options.photo.empty()) attempt([&] { WritePicture(options.photo, picture.Image()); });
    if (log) attempt([&] { log->Commit(); });
    return ok;
}

int Run(const RunnerOptions& options) {
    Store store;
    try {
        StartRun(store, LoadStartTexts(options));
    } catch (const FileError& failure) {
        PrintError(failure);
        return kFileFailure;
    } catch (const UserError& bad) {
        PrintError(bad);
        return kBadArguments;
    }
    store.Plane = options.plane;
    store.FileToOpen = options.open;

    std::unique_ptr<AtomicFileWriter> log;
    try {
        if (!options.log.empty()) log = std::make_unique<AtomicFileWriter>(options.log);
    } catch (const FileError& failure) {
        PrintError(failure);
        return kFileFailure;
    }

    Picture picture;
    TickView view(picture);
    Integrator integrator(options.integration);
    Progress progress(options.steps);
    int status = kDone;
    for (long long k = 0; k < options.steps; ++k) {
        const TickOutcome outcome = RunTick(store, view, integrator);
        if (outcome.loadError) {
            PrintError(*outcome.loadError);
            return kFileFailure;  // nothing of an unintended run is written
        }
        if (outcome.fault != FpFault::None) {
            PrintError(TickFault(outcome.fault, outcome.step));
            status = kFault;
            break;
        }
        if (log) {
            try {
                log->Write(std::to_string(outcome.step) + "," + Full(view.energy()) + "," +
                           Full(store.dT) + "\n");
            } catch (const FileError& failure) {
                PrintError(failure);
                log.reset();
                status = kFileFailure;
            }
        }
        progress.Update(k + 1);
    }
    if (!WriteOutputs(options, store, picture, log.get()) && status == kDone) status = kFileFailure;
    const TickTexts& texts = view.texts();
    std::printf("%s\n%s\n%s\n", texts.caption.c_str(), texts.energy.c_str(),
                texts.timeStep.c_str());
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("kvorax-run");
    QCoreApplication::setApplicationVersion(PROJECT_VERSION);
    try {
        return Run(ParseRunnerArguments(QCoreApplication::arguments()));
    } catch (const ArgumentError& bad) {
        PrintError(bad);
        return kBadArguments;
    }
}
