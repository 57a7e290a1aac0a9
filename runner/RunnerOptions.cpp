// Parsing the runner's command line with Qt's parser.
#include "runner/RunnerOptions.h"

#include <QCommandLineParser>

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
    QCommandLineOption checkpoints{
        "checkpoints", "Папка (создается) для снимков step-NNNNNN.kvx после шага NNNNNN.", "DIR"};
    QCommandLineOption reference{
        "reference", "Простой цикл по одной паре звезд на одном потоке (эталон для проверок)."};
};

long long StepCount(const QString& text) {
    bool ok = false;
    const long long steps = text.toLongLong(&ok);
    if (!ok || steps < 0) throw ArgumentError(ArgumentProblem::BadStepCount, text.toStdString());
    return steps;
}

int ThreadCount(const QString& text) {
    bool ok = false;
    const int threads = text.toInt(&ok);
    if (!ok || threads < 1 || threads > kMaxRunnerThreads)
        throw ArgumentError(ArgumentProblem::BadThreadCount, text.toStdString());
    return threads;
}

long long Period(const QString& text) {
    bool ok = false;
    const long long every = text.toLongLong(&ok);
    if (!ok || every < 1) throw ArgumentError(ArgumentProblem::BadPeriod, text.toStdString());
    return every;
}

// --every and at least one folder come together.
void ReadPeriodicOutputs(const QCommandLineParser& parser, const Options& o,
                         RunnerOptions& options) {
    options.frames = parser.value(o.frames).toStdString();
    options.checkpoints = parser.value(o.checkpoints).toStdString();
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

}  // namespace

RunnerOptions ParseRunnerArguments(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Кворакс без окон: строит облако звезд из стартовых параметров и выполняет шаги.");
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const Options o;
    parser.addOptions({o.settings, o.open, o.steps, o.plane, o.save, o.photo, o.log, o.every,
                       o.frames, o.checkpoints, o.threads, o.reference});
    if (!parser.parse(arguments))
        throw ArgumentError(ArgumentProblem::Unparsable, parser.errorText().toStdString());
    if (parser.isSet(help)) parser.showHelp(0);
    if (parser.isSet(version)) parser.showVersion();
    if (!parser.positionalArguments().isEmpty())
        throw ArgumentError(ArgumentProblem::ExtraArguments,
                            parser.positionalArguments().join(' ').toStdString());
    RunnerOptions options;
    options.settings = parser.value(o.settings).toStdString();
    options.open = parser.value(o.open).toStdString();
    options.save = parser.value(o.save).toStdString();
    options.photo = parser.value(o.photo).toStdString();
    options.log = parser.value(o.log).toStdString();
    if (parser.isSet(o.plane)) options.plane = parser.value(o.plane).toStdString();
    if (options.plane != "xy" && options.plane != "xz" && options.plane != "yz")
        throw ArgumentError(ArgumentProblem::UnknownPlane, options.plane);
    if (parser.isSet(o.steps)) options.steps = StepCount(parser.value(o.steps));
    if (parser.isSet(o.threads)) options.integration.threads = ThreadCount(parser.value(o.threads));
    options.integration.reference = parser.isSet(o.reference);
    ReadPeriodicOutputs(parser, o, options);
    return options;
}
