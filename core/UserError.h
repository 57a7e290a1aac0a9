// Every failure the user can cause or must be told of, as facts: one class per kind, thrown
// and caught by its own type. Whoever tells the user hands it over as a UserError, whose
// words app/Messages.cpp composes; the set is closed, so a kind without words does not
// compile.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

#include "core/FileError.h"
#include "core/FpFault.h"

/// The eight boxes of the start form, in the order of its rows.
enum class StartBox { N, Size1, Size2, M, IM, dT, G, No };
inline constexpr int kStartBoxCount = 8;

/// Why a start parameter cannot start a run.
enum class StartProblem {
    NotFinite,          ///< the number is beyond the double range
    CountOutOfRange,    ///< the number of stars does not round to 1..kMaxBodies
    SpaceRegionIsZero,  ///< the drawing scale would divide by zero
};

/// A start parameter that cannot start a run: the box, its text as typed and the problem.
class StartParameterError {
  public:
    StartParameterError(StartBox box, std::string text, StartProblem problem)
        : box_(box), text_(std::move(text)), problem_(problem) {}
    StartBox box() const { return box_; }
    const std::string& text() const { return text_; }
    StartProblem problem() const { return problem_; }

  private:
    StartBox box_;
    std::string text_;
    StartProblem problem_;
};

/// The cloud could not be built from these parameters (a floating-point fault).
class CloudError {
  public:
    explicit CloudError(FpFault fault) : fault_(fault) {}
    FpFault fault() const { return fault_; }

  private:
    FpFault fault_;
};

/// The settings file exists but could not be read at the start; the form keeps its design
/// defaults.
class SettingsNotLoaded {
  public:
    explicit SettingsNotLoaded(FileError cause) : cause_(std::move(cause)) {}
    const FileError& cause() const { return cause_; }

  private:
    FileError cause_;
};

/// A tick whose integration phase met a floating-point fault.
class TickFault {
  public:
    TickFault(FpFault fault, std::int64_t step) : fault_(fault), step_(step) {}
    FpFault fault() const { return fault_; }
    std::int64_t step() const { return step_; }

  private:
    FpFault fault_;
    std::int64_t step_;
};

/// dT × kTimeStepUp is not a finite number; dT stays as it was.
class TimeStepOverflow {
  public:
    explicit TimeStepOverflow(double dT) : dT_(dT) {}
    double dT() const { return dT_; }

  private:
    double dT_;
};

/// Why the runner's arguments cannot run.
enum class ArgumentProblem {
    Unparsable,      ///< value holds the parser's own words
    ExtraArguments,  ///< value holds them
    UnknownPlane,
    BadStepCount,
    BadThreadCount,
    BadPeriod,  ///< value holds the text given to --every
    PeriodWithoutFolder,
    FolderWithoutPeriod,  ///< value holds the option: --frames or --checkpoints
    EmptyFileName,        ///< value holds the option given an empty file name
    EmptyFolderName,      ///< value holds the option given an empty folder name
    BadSeed,              ///< value holds the text given to --seed
    ResumeWith,           ///< value holds the option that the restart file already settles
    UnknownQuotients,     ///< value holds the text given to --quotients
};

/// Arguments that cannot run: the problem and the value given.
class ArgumentError {
  public:
    ArgumentError(ArgumentProblem problem, std::string value)
        : problem_(problem), value_(std::move(value)) {}
    ArgumentProblem problem() const { return problem_; }
    const std::string& value() const { return value_; }

  private:
    ArgumentProblem problem_;
    std::string value_;
};

enum class FolderProblem {
    NotCreated,   ///< the reason holds the errno of creating it
    NotAFolder,   ///< something other than a folder has the name
    NotWritable,  ///< the reason holds why a file in it could not be created
};

/// A folder for the runner's periodic files that could not be made ready: not created, a
/// file in its place, or no file can be written in it.
class OutputFolderError {
  public:
    OutputFolderError(FolderProblem problem, std::string folder, FileReason reason)
        : problem_(problem), folder_(std::move(folder)), reason_(std::move(reason)) {}
    FolderProblem problem() const { return problem_; }
    const std::string& path() const { return folder_; }
    const FileReason& reason() const { return reason_; }

  private:
    FolderProblem problem_;
    std::string folder_;
    FileReason reason_;
};

/// Standard output that the system could not take (a full disk behind a redirection, a
/// closed descriptor); told like a file failure, as the system's own tools do.
class StandardOutputError {
  public:
    explicit StandardOutputError(int systemError) : systemError_(systemError) {}
    int systemError() const { return systemError_; }

  private:
    int systemError_;
};

/// The runner's frames and checkpoints stopped at a file that could not be written: the
/// failed file of the lowest step, and how many other files failed beside it. No file after
/// that one was written.
class PeriodicWriteError {
  public:
    PeriodicWriteError(FileError first, int othersFailed)
        : first_(std::move(first)), othersFailed_(othersFailed) {}
    const FileError& first() const { return first_; }
    int othersFailed() const { return othersFailed_; }

  private:
    FileError first_;
    int othersFailed_;
};

// To add a failure: define its class of facts above (plain data, no words), add it to this
// list, and give it an overload in app/Messages.cpp; until then Message() does not compile.
using FailureFacts = std::variant<FileError, SettingsNotLoaded, StartParameterError, CloudError,
                                  TickFault, TimeStepOverflow, ArgumentError, OutputFolderError,
                                  StandardOutputError, PeriodicWriteError>;

template <typename Facts, typename Set>
struct IsFailureKind;
template <typename Facts, typename... Kinds>
struct IsFailureKind<Facts, std::variant<Kinds...>>
    : std::bool_constant<(std::is_same_v<Facts, Kinds> || ...)> {};

/// A failure to be told to the user: any one of the kinds above.
class UserError final {
  public:
    template <typename Facts>
    requires IsFailureKind<Facts, FailureFacts>::value UserError(Facts facts)
        : facts_(std::move(facts)) {}  // implicit: each kind is a UserError

    const FailureFacts& facts() const { return facts_; }

  private:
    FailureFacts facts_;
};

/// Tells the user of a failure; given to the windows by whoever puts the program together.
using FailureReport = std::function<void(const UserError& failure)>;
