// The words for every failure: each names what failed (the box, the file, the step) and why,
// and no kind of failure is left without words.
#include <gtest/gtest.h>

#include <cerrno>
#include <set>

#include "app/Messages.h"
#include "core/Store.h"
#include "core/UserError.h"

namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace

TEST(Messages, StartParameterMessagesNameTheBoxAsLabelledAndTheTextAsTyped) {
    // The labels of the start form, without colon and blanks.
    const std::pair<StartBox, const char*> boxes[] = {
        {StartBox::N, "Количество звезд"},          {StartBox::Size1, "Область пространства"},
        {StartBox::Size2, "Область распределения"}, {StartBox::M, "Средняя масса звезд"},
        {StartBox::IM, "Средний импульс звезды"},   {StartBox::dT, "Шаг интегрирования"},
        {StartBox::G, "Гравитационная постоянная"}, {StartBox::No, "Частота обращения"}};
    for (StartProblem problem : {StartProblem::NotFinite, StartProblem::CountOutOfRange,
                                 StartProblem::SpaceRegionIsZero}) {
        for (const auto& [box, label] : boxes) {
            const std::string m = Message(StartParameterError(box, "1e999x", problem));
            EXPECT_TRUE(Contains(m, std::string("«") + label + "»")) << m;
            EXPECT_TRUE(Contains(m, "«1e999x»")) << m;
        }
    }
}

TEST(Messages, EveryFileProblemHasItsOwnReason) {
    std::set<std::string> seen;
    for (int p = 0; p <= static_cast<int>(FileProblem::RestartInconsistent); ++p) {
        const FileReason reason{static_cast<FileProblem>(p), ENOSPC, 7, 394, 100, "runs"};
        const std::string m = Message(FileError(FileAction::Write, "runs/a.kvx", reason));
        EXPECT_TRUE(Contains(m, "«runs/a.kvx»: ")) << m;
        EXPECT_TRUE(seen.insert(m).second) << "two problems share the words " << m;
    }
    const FileReason truncated = FileReason::SnapshotTruncated(7, 394, 100);
    const std::string m = Message(FileError(FileAction::OpenSnapshot, "a.kvx", truncated));
    EXPECT_EQ(m,
              "Снимок не открыт «a.kvx»: файл обрывается: для 7 звезд нужно 394 байт, а в нём "
              "100.");
}

TEST(Messages, SystemErrorsAndActionsInWords) {
    const auto m = [](FileAction action, int error) {
        return Message(FileError(action, "x", FileReason::System(error)));
    };
    EXPECT_EQ(m(FileAction::Read, ENOENT),
              "Не удалось прочитать файл «x»: файл или папка не существует.");
    EXPECT_EQ(m(FileAction::Write, EACCES), "Не удалось записать файл «x»: нет прав доступа.");
    EXPECT_TRUE(Contains(m(FileAction::Write, EPERM), "нет прав доступа"));
    EXPECT_TRUE(Contains(m(FileAction::Write, 12345), "системная ошибка 12345"));
    // The reasons the file tests meet, each in its words.
    const std::pair<int, const char*> reasons[] = {{ENOTDIR, "часть пути не является папкой"},
                                                   {EISDIR, "это папка, а не файл"},
                                                   {ENOSPC, "нет места на диске"},
                                                   {EIO, "ошибка ввода-вывода"},
                                                   {ELOOP, "символических ссылок"}};
    for (const auto& [error, words] : reasons)
        EXPECT_TRUE(Contains(m(FileAction::Write, error), words)) << words;
    EXPECT_EQ(ReasonText(FileReason::Of(FileProblem::EmptyName)), "имя файла пусто");
    FileReason lost = FileReason::Of(FileProblem::DanglingLink);
    lost.detail = "runs/gone";
    EXPECT_TRUE(Contains(ReasonText(lost), "несуществующую папку «runs/gone»"));
}

TEST(Messages, ARefusedRestartFileSaysTheRunWasNotResumed) {
    EXPECT_EQ(Message(FileError(FileAction::Resume, "s.kvxr",
                                FileReason::Of(FileProblem::RestartForeign))),
              "Счёт не продолжен из файла «s.kvxr»: это не файл состояния Кворакса (в начале нет "
              "его метки KVXR).");
}

TEST(Messages, LimitsComeFromTheirConstants) {
    const std::string count =
        Message(StartParameterError(StartBox::N, "40000", StartProblem::CountOutOfRange));
    EXPECT_TRUE(Contains(count, "от 1 до " + std::to_string(kMaxBodies) + ".")) << count;
    const std::string snapshot = ReasonText(FileReason::SnapshotBadCount(0));
    EXPECT_TRUE(Contains(snapshot, "1.." + std::to_string(kMaxBodies))) << snapshot;
    EXPECT_EQ(Message(TimeStepOverflow(1e308)),
              "Шаг интегрирования не увеличен: 1E+308 × 1.5 выходит за пределы чисел двойной "
              "точности.");
    EXPECT_TRUE(Contains(Message(CloudError(FpFault::Overflow)), "переполнение"));
}

TEST(Messages, FaultsStepsAndKeptDefaults) {
    const std::string halted = Message(TickFault(FpFault::DivisionByZero, 31));
    EXPECT_TRUE(Contains(halted, "на шаге 31")) << halted;
    EXPECT_TRUE(Contains(halted, "деление на ноль")) << halted;
    const std::set<std::string> faults = {FpFaultText(FpFault::InvalidOperation),
                                          FpFaultText(FpFault::DivisionByZero),
                                          FpFaultText(FpFault::Overflow)};
    EXPECT_EQ(faults.size(), 3u);
    const FileError unreadable(FileAction::Read, "Kvorax.ini", FileReason::System(EACCES));
    EXPECT_EQ(Message(SettingsNotLoaded(unreadable)),
              Message(unreadable) + " Оставлены значения по умолчанию.");
    EXPECT_TRUE(Contains(Message(ArgumentError(ArgumentProblem::UnknownPlane, "zx")), "«zx»"));
}
