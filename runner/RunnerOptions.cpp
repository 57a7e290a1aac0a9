// Parsing the runner's command line with Qt's parser.
#include "runner/RunnerOptions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include "runner/ArgumentBytes.h"

namespace {

struct Options {
    QCommandLineOption settings{"settings", "Файл стартовых параметров.", "FILE"};
    QCommandLineOption open{"open", "Снимок, открываемый перед первым шагом.", "FILE.kvx"};
    QCommandLineOption steps{"steps", "Число шагов (по умолчанию 1).", "K"};
    QCommandLineOption plane{"plane", "Плоскость: xy, xz или yz.", "PLANE"};
    QCommandLineOption save{"save", "Записать снимок после последнего шага.", "FILE.kvx"};
    QCommandLineOption photo{"photo", "Записать картинку после последнего шага.", "FILE"};
    QCommandLineOption log{
        "log", "Строка step,energy,dT на каждый шаг (энергия — та же, что в окне).", "FILE.csv"};
    QCommandLineOption threads{"threads", "Потоков для шага (по умолчанию все ядра).", "T"};
    QCommandLineOption every{
        "every", "Период для --frames и --checkpoints: после каждого K-го шага и последнего.", "K"};
    QCommandLineOption frames{
        "frames", "Папка (создается) для кадров frame-NNNNNN.png: картинка после шага NNNNNN.",
        "DIR"};
    QCommandLineOption checkpoints{"checkpoints",
                                   "Папка (создается) для снимков step-NNNNNN.kvx и файлов "
                                   "состояния step-NNNNNN.kvxr после шага NNNNNN.",
                                   "DIR"};
    QCommandLineOption saveState{"save-state", "Записать файл состояния после последнего шага.",
                                 "FILE.kvxr"};
    QCommandLineOption resume{
        "resume",
        "Продолжить счёт из файла состояния: те же номера шагов и те же файлы, что без "
        "перерыва.",
        "FILE.kvxr"};
    QCommandLineOption seed{
        "seed", "Другое случайное облако тех же параметров: 0..4294967295 (по умолчанию 0).", "S"};
    QCommandLineOption reference{
        "reference", "Простой цикл по одной паре звезд на одном потоке (эталон для проверок)."};
    QCommandLineOption quotients{"quotients",
                                 "Способ деления: auto (быстрейший на этом процессоре, по "
                                 "умолчанию), reciprocals (исправленные обратные величины) или "
                                 "divisions (пять делений на пару). Результаты одинаковы.",
                                 "WAY"};
};

long long StepCount(const QString& text) {
    bool ok = false;
    const long long steps = text.toLongLong(&ok);
    if (!ok || steps < 0) throw ArgumentError(ArgumentProblem::BadStepCount, ArgumentBytes(text));
    return steps;
}

int ThreadCount(const QString& text) {
    bool ok = false;
    const int threads = text.toInt(&ok);
    if (!ok || threads < 1 || threads > kMaxRunnerThreads)
        throw ArgumentError(ArgumentProblem::BadThreadCount, ArgumentBytes(text));
    return threads;
}

long long Period(const QString& text) {
    bool ok = false;
    const long long every = text.toLongLong(&ok);
    if (!ok || every < 1) throw ArgumentError(ArgumentProblem::BadPeriod, ArgumentBytes(text));
    return every;
}

Quotients QuotientWay(const QString& text) {
    if (text == "auto") return Quotients::Automatic;
    if (text == "reciprocals") return Quotients::Reciprocals;
    if (text == "divisions") return Quotients::Divisions;
    throw ArgumentError(ArgumentProblem::UnknownQuotients, ArgumentBytes(text));
}

// A file or folder option: its value as the bytes given; given empty, it is refused.
std::string PathValue(const QCommandLineParser& parser, const QCommandLineOption& option,
                      ArgumentProblem whenEmpty) {
    if (!parser.isSet(option)) return {};
    const std::string path = ArgumentBytes(parser.value(option));
    if (path.empty()) throw ArgumentError(whenEmpty, "--" + option.names().front().toStdString());
    return path;
}

std::string FileValue(const QCommandLineParser& parser, const QCommandLineOption& option) {
    return PathValue(parser, option, ArgumentProblem::EmptyFileName);
}

std::string FolderValue(const QCommandLineParser& parser, const QCommandLineOption& option) {
    return PathValue(parser, option, ArgumentProblem::EmptyFolderName);
}

std::uint32_t Seed(const QString& text) {
    bool ok = false;
    const qulonglong seed = text.toULongLong(&ok);
    if (!ok || seed > UINT32_MAX)
        throw ArgumentError(ArgumentProblem::BadSeed, ArgumentBytes(text));
    return static_cast<std::uint32_t>(seed);
}

// A restart file holds the bodies, the parameters, the plane and the seed: options that
// would set them again cannot come with it.
void RefuseWhatTheRestartFileSettles(const QCommandLineParser& parser, const Options& o) {
    for (const QCommandLineOption* option : {&o.open, &o.settings, &o.plane, &o.seed})
        if (parser.isSet(*option))
            throw ArgumentError(ArgumentProblem::ResumeWith,
                                "--" + option->names().front().toStdString());
}

// --every and at least one folder come together.
void ReadPeriodicOutputs(const QCommandLineParser& parser, const Options& o,
                         RunnerOptions& options) {
    options.frames = FolderValue(parser, o.frames);
    options.checkpoints = FolderValue(parser, o.checkpoints);
    const bool folder = !options.frames.empty() || !options.checkpoints.empty();
    if (!parser.isSet(o.every)) {
        if (folder)
            throw ArgumentError(ArgumentProblem::FolderWithoutPeriod,
                                options.frames.empty() ? "--checkpoints" : "--frames");
        return;
    }
    options.every = Period(parser.value(o.every));
    if (!folder) throw ArgumentError(ArgumentProblem::PeriodWithoutFolder, "--every");
}

// What Qt's parser would print for --version.
std::string VersionText() {
    return (QCoreApplication::applicationName() + ' ' + QCoreApplication::applicationVersion() +
            '\n')
        .toStdString();
}

}  // namespace

RunnerRequest ParseRunnerArguments(const std::vector<std::string>& arguments) {
    QStringList texts;
    for (const std::string& argument : arguments)
        texts << ArgumentText(argument);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Кворакс без окон: строит облако звезд из стартовых параметров и выполняет шаги.");
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const Options o;
    parser.addOptions({o.settings, o.open, o.steps, o.plane, o.save, o.photo, o.log, o.every,
                       o.frames, o.checkpoints, o.saveState, o.resume, o.seed, o.threads,
                       o.reference, o.quotients});
    if (!parser.parse(texts))
        throw ArgumentError(ArgumentProblem::Unparsable, ArgumentBytes(parser.errorText()));
    // Printed by the caller, which can tell when standard output cannot take it.
    if (parser.isSet(help)) return {{}, parser.helpText().toStdString()};
    if (parser.isSet(version)) return {{}, VersionText()};
    if (!parser.positionalArguments().isEmpty())
        throw ArgumentError(ArgumentProblem::ExtraArguments,
                            ArgumentBytes(parser.positionalArguments().join(' ')));
    RunnerOptions options;
    options.settings = FileValue(parser, o.settings);
    options.open = FileValue(parser, o.open);
    options.save = FileValue(parser, o.save);
    options.photo = FileValue(parser, o.photo);
    options.log = FileValue(parser, o.log);
    options.saveState = FileValue(parser, o.saveState);
    options.resume = FileValue(parser, o.resume);
    if (parser.isSet(o.resume)) RefuseWhatTheRestartFileSettles(parser, o);
    if (parser.isSet(o.seed)) options.seed = Seed(parser.value(o.seed));
    if (parser.isSet(o.plane)) options.plane = ArgumentBytes(parser.value(o.plane));
    if (options.plane != "xy" && options.plane != "xz" && options.plane != "yz")
        throw ArgumentError(ArgumentProblem::UnknownPlane, options.plane);
    if (parser.isSet(o.steps)) options.steps = StepCount(parser.value(o.steps));
    if (parser.isSet(o.threads)) options.integration.threads = ThreadCount(parser.value(o.threads));
    options.integration.reference = parser.isSet(o.reference);
    if (parser.isSet(o.quotients))
        options.integration.quotients = QuotientWay(parser.value(o.quotients));
    ReadPeriodicOutputs(parser, o, options);
    return {options, {}};
}
