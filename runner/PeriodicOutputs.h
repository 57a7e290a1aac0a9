// The runner's files written while it runs: after every K-th tick, and after the last, the
// picture as a PNG frame and the snapshot as a checkpoint with the restart file beside it,
// each named after the step.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/Store.h"
#include "display/Picture.h"
#include "runner/BackgroundWrites.h"
#include "runner/RunState.h"
#include "storage/FileAccess.h"

/// The name of a step's file: folder/prefix, the step with at least six digits, extension.
std::string StepFileName(const std::string& folder, const char* prefix, std::int64_t step,
                         const char* extension);

/// Creates the folder when missing (not its parents), removes the temporaries that killed
/// writers left in it, and checks that a file can be created in it. Throws
/// OutputFolderError.
void PrepareOutputFolder(const std::string& folder);

class PeriodicOutputs {
  public:
    /// Empty folder names write nothing; every is ignored then. Prepares the folders that
    /// are named. Throws OutputFolderError.
    PeriodicOutputs(std::string frames, std::string checkpoints, long long every);

    /// After a tick that reached its end; lastTick: the final tick of the run.
    void AfterTick(std::int64_t step, bool lastTick, const RunState& run);
    /// After a tick whose integration faulted, under that tick's step: the state it left,
    /// which is what Save and Photo would write now, and the restart file of the state
    /// before it, from which the tick runs again.
    void AfterFault(std::int64_t step, const RunState& run);
    /// True once a write has failed; nothing is written after that.
    bool failed() const { return writes_ && writes_->failed(); }
    /// Waits for every write. Throws PeriodicWriteError when one failed: the files on the
    /// disk are then those before the failed one of the lowest step, and none after it.
    /// Throws FileError when the frames cannot be flushed at the end.
    void Finish();

  private:
    void Write(std::int64_t step, const Store& store, const Picture& picture, Bytes restart);

    std::string frames_, checkpoints_;
    long long every_;
    std::unique_ptr<BackgroundWrites> writes_;  ///< only when a folder is named
};
