// kvorax-run: the simulation without windows, for scripts and checks. It starts a run as
// the start form's "OK" does, runs ticks through the same tick, picture and file code as
// the window program, and writes the requested files at the end.
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>

#include "core/Tick.h"
#include "display/Picture.h"
#include "display/TickView.h"
#include "start/Settings.h"
#include "start/StartParameters.h"
#include "storage/FileAccess.h"
#include "storage/FileError.h"
#include "storage/PictureExport.h"
#include "storage/Snapshot.h"

namespace {

enum ExitStatus { kDone = 0, kBadArguments = 2, kFault = 3, kFileFailure = 4 };

constexpr int kMaxThreads = 256;  // far past any core count; keeps a typo from forking thousands

struct RunnerOptions {
    std::string settings, open, save, photo, log;
    std::string plane = "xy";
    long long steps = 1;
    IntegratorOptions integration;  ///< every core and the widest vectors unless told
};

void PrintError(const std::string& message) {
    std::fprintf(stderr, "%s\n", message.c_str());
}

// Parses the arguments; exits with the status for bad arguments, --help and --version.
RunnerOptions ParseArguments(const QCoreApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Кворакс без окон: строит облако звезд из стартовых параметров и выполняет шаги.");
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption settings("settings", "Файл стартовых параметров.", "FILE");
    const QCommandLineOption open("open", "Снимок, открываемый перед первым шагом.", "FILE.kvx");
    const QCommandLineOption steps("steps", "Число шагов (по умолчанию 1).", "K");
    const QCommandLineOption plane("plane", "Плоскость: xy, xz или yz.", "PLANE");
    const QCommandLineOption save("save", "Записать снимок после последнего шага.", "FILE.kvx");
    const QCommandLineOption photo("photo", "Записать картинку после последнего шага.", "FILE");
    const QCommandLineOption log("log", "Строка step,energy,dT на каждый шаг.", "FILE.csv");
    const QCommandLineOption threads("threads", "Потоков для шага (по умолчанию все ядра).", "T");
    const QCommandLineOption reference(
        "reference", "Простой цикл по одной паре звезд на одном потоке (эталон для проверок).");
    parser.addOptions({settings, open, steps, plane, save, photo, log, threads, reference});
    if (!parser.parse(app.arguments())) {
        PrintError(parser.errorText().toStdString());
        std::exit(kBadArguments);
    }
    if (parser.isSet(help)) parser.showHelp(kDone);
    if (parser.isSet(version)) parser.showVersion();
    if (!parser.positionalArguments().isEmpty()) {
        PrintError("Лишние аргументы: " + parser.positionalArguments().join(' ').toStdString());
        std::exit(kBadArguments);
    }
    RunnerOptions o;
    o.settings = parser.value(settings).toStdString();
    o.open = parser.value(open).toStdString();
    o.save = parser.value(save).toStdString();
    o.photo = parser.value(photo).toStdString();
    o.log = parser.value(log).toStdString();
    if (parser.isSet(plane)) o.plane = parser.value(plane).toStdString();
    if (o.plane != "xy" && o.plane != "xz" && o.plane != "yz") {
        PrintError("Плоскость «" + o.plane + "» неизвестна: допустимы xy, xz и yz.");
        std::exit(kBadArguments);
    }
    if (parser.isSet(steps)) {
        bool ok = false;
        o.steps = parser.value(steps).toLongLong(&ok);
        if (!ok || o.steps < 0) {
            PrintError("Число шагов «" + parser.value(steps).toStdString() +
                       "» должно быть целым неотрицательным числом.");
            std::exit(kBadArguments);
        }
    }
    if (parser.isSet(threads)) {
        bool ok = false;
        o.integration.threads = parser.value(threads).toInt(&ok);
        if (!ok || o.integration.threads < 1 || o.integration.threads > kMaxThreads) {
            PrintError("Число потоков «" + parser.value(threads).toStdString() +
                       "» должно быть целым числом от 1 до " + std::to_string(kMaxThreads) + ".");
            std::exit(kBadArguments);
        }
    }
    o.integration.reference = parser.isSet(reference);
    return o;
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
            PrintError(failure.what());
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
        PrintError(failure.what());
        return kFileFailure;
    } catch (const UserError& bad) {
        PrintError(bad.what());
        return kBadArguments;
    }
    store.Plane = options.plane;
    store.FileToOpen = options.open;

    std::unique_ptr<AtomicFileWriter> log;
    try {
        if (!options.log.empty()) log = std::make_unique<AtomicFileWriter>(options.log);
    } catch (const FileError& failure) {
        PrintError(failure.what());
        return kFileFailure;
    }

    Picture picture;
    TickView view(picture);
    Integrator integrator(options.integration);
    Progress progress(options.steps);
    int status = kDone;
    for (long long k = 0; k < options.steps; ++k) {
        const TickOutcome outcome = RunTick(store, view, integrator);
        if (!outcome.loadError.empty()) {
            PrintError(outcome.loadError);
            return kFileFailure;  // nothing of an unintended run is written
        }
        if (outcome.fault != FpFault::None) {
            PrintError(TickFaultMessage(outcome.fault, outcome.step));
            status = kFault;
            break;
        }
        if (log) {
            try {
                log->Write(std::to_string(outcome.step) + "," + Full(view.energy()) + "," +
                           Full(store.dT) + "\n");
            } catch (const FileError& failure) {
                PrintError(failure.what());
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
    return Run(ParseArguments(app));
}
