// Russian messages: a file and the reason, a box and its text, a fault and its step; one
// overload per kind of failure.
#include "app/Messages.h"

#include <cerrno>
#include <charconv>
#include <variant>

#include "core/Store.h"
#include "core/UserError.h"
#include "display/NumberText.h"
#include "display/TimeStep.h"
#include "runner/RunnerOptions.h"
#include "start/TextEncoding.h"
#include "storage/RestartFile.h"

namespace {

// File names are bytes and typed texts may hold control characters: what is not printable
// UTF-8 is shown escaped, so that the message shows which name it was.
std::string Quoted(const std::string& text) {
    return "«" + EscapedBytes(text) + "»";
}

std::string SystemReason(int error) {
    switch (error) {
        case ENOENT:
            return "файл или папка не существует";
        case ENOTDIR:
            return "часть пути не является папкой";
        case EISDIR:
            return "это папка, а не файл";
        case EACCES:
        case EPERM:
            return "нет прав доступа";
        case ENOSPC:
            return "нет места на диске";
        case EDQUOT:
            return "превышена дисковая квота";
        case EROFS:
            return "диск доступен только для чтения";
        case ENAMETOOLONG:
            return "слишком длинное имя";
        case EIO:
            return "ошибка ввода-вывода";
        case EMFILE:
        case ENFILE:
            return "открыто слишком много файлов";
        case EFBIG:
            return "файл слишком велик";
        case EPIPE:
            return "читающая сторона канала закрылась";
        case ENXIO:
            return "устройство недоступно";
        case ELOOP:
            return "слишком много символических ссылок подряд, или они замкнуты в кольцо";
        default:
            return "системная ошибка " + std::to_string(error);
    }
}

}  // namespace

std::string ReasonText(const FileReason& r) {
    switch (r.problem) {
        case FileProblem::System:
            return SystemReason(r.systemError);
        case FileProblem::EmptyName:
            return "имя файла пусто";
        case FileProblem::NotRegularFile:
            return "это не обычный файл";
        case FileProblem::NotWritable:
            return "существующий файл недоступен для записи";
        case FileProblem::PipeWithoutReader:
            return "из этого канала никто не читает";
        case FileProblem::WriterClosed:
            return "файл уже закрыт";
        case FileProblem::PictureNotEncoded:
            return "изображение не удалось преобразовать в формат файла";
        case FileProblem::SnapshotTooShort:
            return "файл короче двух байт и не содержит числа звезд";
        case FileProblem::SnapshotBadCount:
            return "число звезд " + std::to_string(r.count) + " вне диапазона 1.." +
                   std::to_string(kMaxBodies);
        case FileProblem::SnapshotTruncated:
            return "файл обрывается: для " + std::to_string(r.count) + " звезд нужно " +
                   std::to_string(r.needed) + " байт, а в нём " + std::to_string(r.actual);
        case FileProblem::DanglingLink:
            return "символическая ссылка ведёт в несуществующую папку " + Quoted(r.detail);
        case FileProblem::SnapshotNotFinite:
            return "звезда " + std::to_string(r.count) +
                   " содержит значение, не являющееся конечным числом";
        case FileProblem::RestartEmpty:
            return "файл пуст";
        case FileProblem::RestartForeign:
            return "это не файл состояния Кворакса (в начале нет его метки KVXR)";
        case FileProblem::RestartNewerVersion:
            return "файл записан в формате версии " + std::to_string(r.count) +
                   ", а эта программа читает только версию " + std::to_string(kRestartVersion);
        case FileProblem::RestartTruncated:
            return "файл обрывается: по записанной в нём длине нужно " + std::to_string(r.needed) +
                   " байт, а в нём " + std::to_string(r.actual);
        case FileProblem::RestartTooLong:
            return "после конца данных лишние байты: по записанной в нём длине нужно " +
                   std::to_string(r.needed) + " байт, а в нём " + std::to_string(r.actual);
        case FileProblem::RestartBadChecksum:
            return "контрольная сумма не сходится: файл повреждён";
        case FileProblem::RestartInconsistent:
            return "части файла противоречат друг другу, хотя контрольная сумма верна";
    }
    return {};
}

namespace {

std::string Action(FileAction action) {
    switch (action) {
        case FileAction::Read:
            return "Не удалось прочитать файл";
        case FileAction::Write:
            return "Не удалось записать файл";
        case FileAction::OpenSnapshot:
            return "Снимок не открыт";
        case FileAction::Resume:
            return "Счёт не продолжен из файла";
    }
    return {};
}

std::string FolderMessage(const OutputFolderError& e) {
    const std::string folder = Quoted(e.path());
    switch (e.problem()) {
        case FolderProblem::NotCreated:
            return "Не удалось создать папку " + folder + ": " + ReasonText(e.reason()) + ".";
        case FolderProblem::NotAFolder:
            return "Папка " + folder + " не создана: под этим именем уже есть файл.";
        case FolderProblem::NotWritable:
            return "В папке " + folder + " нельзя создавать файлы: " + ReasonText(e.reason()) + ".";
    }
    return {};
}

std::string FileMessage(const FileError& e) {
    return Action(e.action()) + " " + Quoted(e.path()) + ": " + ReasonText(e.reason()) + ".";
}

// The label of a box without its colon or blanks.
std::string BoxName(StartBox box) {
    switch (box) {
        case StartBox::N:
            return "Количество звезд";
        case StartBox::Size1:
            return "Область пространства";
        case StartBox::Size2:
            return "Область распределения";
        case StartBox::M:
            return "Средняя масса звезд";
        case StartBox::IM:
            return "Средний импульс звезды";
        case StartBox::dT:
            return "Шаг интегрирования";
        case StartBox::G:
            return "Гравитационная постоянная";
        case StartBox::No:
            return "Частота обращения";
    }
    return {};
}

std::string StartParameterMessage(const StartParameterError& e) {
    const std::string box = "Поле " + Quoted(BoxName(e.box())) + ": ";
    switch (e.problem()) {
        case StartProblem::NotFinite:
            return box + "число " + Quoted(e.text()) + " слишком велико.";
        case StartProblem::CountOutOfRange:
            return box + Quoted(e.text()) + " — число звезд должно быть от 1 до " +
                   std::to_string(kMaxBodies) + ".";
        case StartProblem::SpaceRegionIsZero:
            return box + Quoted(e.text()) + " — размер области не может быть равен нулю.";
    }
    return {};
}

std::string ArgumentMessage(const ArgumentError& e) {
    switch (e.problem()) {
        case ArgumentProblem::Unparsable:
            return EscapedBytes(e.value());
        case ArgumentProblem::ExtraArguments:
            return "Лишние аргументы: " + EscapedBytes(e.value());
        case ArgumentProblem::UnknownPlane:
            return "Плоскость " + Quoted(e.value()) + " неизвестна: допустимы xy, xz и yz.";
        case ArgumentProblem::BadStepCount:
            return "Число шагов " + Quoted(e.value()) +
                   " должно быть целым неотрицательным числом.";
        case ArgumentProblem::BadThreadCount:
            return "Число потоков " + Quoted(e.value()) + " должно быть целым числом от 1 до " +
                   std::to_string(kMaxRunnerThreads) + ".";
        case ArgumentProblem::BadPeriod:
            return "Период --every " + Quoted(e.value()) +
                   " должен быть целым положительным числом шагов.";
        case ArgumentProblem::PeriodWithoutFolder:
            return "--every задан без --frames и --checkpoints: нечего записывать.";
        case ArgumentProblem::FolderWithoutPeriod:
            return e.value() + " требует --every K: после скольких шагов записывать.";
        case ArgumentProblem::EmptyFileName:
            return e.value() + " задан с пустым именем файла.";
        case ArgumentProblem::EmptyFolderName:
            return e.value() + " задан с пустым именем папки.";
        case ArgumentProblem::BadSeed:
            return "Зерно --seed " + Quoted(e.value()) +
                   " должно быть целым числом от 0 до 4294967295.";
        case ArgumentProblem::ResumeWith:
            return "--resume нельзя сочетать с " + e.value() +
                   ": звезды, параметры, плоскость и зерно берутся из файла состояния.";
        case ArgumentProblem::UnknownQuotients:
            return "Способ деления --quotients " + Quoted(e.value()) +
                   " неизвестен: допустимы auto, reciprocals и divisions.";
    }
    return {};
}

}  // namespace

std::string FpFaultText(FpFault fault) {
    switch (fault) {
        case FpFault::None:
            return "нет ошибки";
        case FpFault::InvalidOperation:
            return "недопустимая операция";
        case FpFault::DivisionByZero:
            return "деление на ноль";
        case FpFault::Overflow:
            return "переполнение";
    }
    return {};
}

namespace {

std::string ShortestText(double value) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

// One overload per kind of failure: a kind without one does not compile.
struct Words {
    std::string operator()(const FileError& e) const { return FileMessage(e); }
    std::string operator()(const OutputFolderError& e) const { return FolderMessage(e); }
    std::string operator()(const SettingsNotLoaded& e) const {
        return FileMessage(e.cause()) + " Оставлены значения по умолчанию.";
    }
    std::string operator()(const StartParameterError& e) const { return StartParameterMessage(e); }
    std::string operator()(const CloudError& e) const {
        return "Облако звезд не построено при этих стартовых параметрах: " +
               FpFaultText(e.fault()) + ".";
    }
    std::string operator()(const TickFault& e) const {
        return "Моделирование остановлено на шаге " + std::to_string(e.step()) +
               ": ошибка вычислений (" + FpFaultText(e.fault()) +
               "). Состояние звезд сохранено таким, каким оно было до этого шага.";
    }
    std::string operator()(const TimeStepOverflow& e) const {
        return "Шаг интегрирования не увеличен:" + NumberText(e.dT()) + " × " +
               ShortestText(kTimeStepUp) + " выходит за пределы чисел двойной точности.";
    }
    std::string operator()(const ArgumentError& e) const { return ArgumentMessage(e); }
    std::string operator()(const PeriodicWriteError& e) const {
        std::string words = FileMessage(e.first());
        if (e.othersFailed() > 0)
            words +=
                " Не удалось записать и другие файлы: " + std::to_string(e.othersFailed()) + ".";
        return words + " Файлы следующих шагов не записаны.";
    }
    std::string operator()(const StandardOutputError& e) const {
        return "Не удалось записать стандартный вывод: " + SystemReason(e.systemError()) + ".";
    }
};

}  // namespace

std::string Message(const UserError& failure) {
    return std::visit(Words{}, failure.facts());
}
