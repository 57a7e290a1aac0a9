// Frames and checkpoints: the picture and the snapshot are taken on the run's thread, the
// encoding and writing go to the background writes.
#include "runner/PeriodicOutputs.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "core/UserError.h"
#include "display/PictureExport.h"
#include "storage/FileAccess.h"
#include "storage/Snapshot.h"
#include "storage/StaleTemporaries.h"

namespace {

// Several writes are prepared at once, the pictures' encoding being most of a frame's cost;
// the queue bounds the memory and the open files that writes in waiting can take.
constexpr int kWritesAtOnce = 4;
constexpr std::size_t kWritesWaiting = 16;

}  // namespace

std::string StepFileName(const std::string& folder, const char* prefix, std::int64_t step,
                         const char* extension) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%06lld", static_cast<long long>(step));
    return folder + "/" + prefix + digits + extension;
}

void PrepareOutputFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0777) != 0) {
        const int error = errno;
        if (error != EEXIST)
            throw OutputFolderError(FolderProblem::NotCreated, folder, FileReason::System(error));
        struct stat st {};
        if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            throw OutputFolderError(FolderProblem::NotAFolder, folder, FileReason::System(EEXIST));
    }
    // Temporaries that killed runs left here would otherwise stay until the same step's
    // file is written again; those a running writer holds are kept.
    RemoveStaleTemporariesIn(folder);
    try {
        // A writer left without commit removes its temporary file again.
        AtomicFileWriter probe(folder + "/.kvorax-write-test");
    } catch (const FileError& refused) {
        throw OutputFolderError(FolderProblem::NotWritable, folder, refused.reason());
    }
}

PeriodicOutputs::PeriodicOutputs(std::string frames, std::string checkpoints, long long every)
    : frames_(std::move(frames)), checkpoints_(std::move(checkpoints)), every_(every) {
    if (frames_.empty() && checkpoints_.empty()) return;
    if (!frames_.empty()) PrepareOutputFolder(frames_);
    if (!checkpoints_.empty()) PrepareOutputFolder(checkpoints_);
    writes_ = std::make_unique<BackgroundWrites>(kWritesAtOnce, kWritesWaiting);
}

void PeriodicOutputs::AfterTick(std::int64_t step, bool lastTick, const RunState& run) {
    if (!writes_ || (step % every_ != 0 && !lastTick)) return;
    Write(step, run.store, run.picture, checkpoints_.empty() ? Bytes() : run.RestartBytes());
}

void PeriodicOutputs::AfterFault(std::int64_t step, const RunState& run) {
    if (!writes_) return;
    Write(step, run.store, run.picture,
          checkpoints_.empty() ? Bytes() : run.RestartBytesBeforeTick());
}

namespace {

void AddFile(BackgroundWrites::Files& files, const std::string& path, const Bytes& bytes,
             Durability durability) {
    files.push_back(std::make_unique<AtomicFileWriter>(path, durability, Leftovers::FolderCleared));
    files.back()->Write(bytes.data(), bytes.size());
}

// A checkpoint and its restart file as one write, both or neither. The restart file takes its
// name last, so that a kill between the two names leaves a checkpoint without its restart file,
// never a restart file ahead of its checkpoint: the files on the disk are still those of the
// first steps, and a run resumed from the restart file before writes this checkpoint again, the
// same to the byte. Each file is whole and of its tick on its own, so a power cut, which may keep
// either name, cannot make a restart file that --resume would read wrongly.
BackgroundWrites::Files CheckpointFiles(const std::string& snapshotPath, const Bytes& snapshot,
                                        const std::string& restartPath, const Bytes& restart) {
    BackgroundWrites::Files files;
    AddFile(files, snapshotPath, snapshot, Durability::OnCommit);
    AddFile(files, restartPath, restart, Durability::OnCommit);
    return files;
}

}  // namespace

void PeriodicOutputs::Write(std::int64_t step, const Store& store, const Picture& picture,
                            Bytes restart) {
    if (!frames_.empty()) {
        QImage frame = BlackAndWhiteCopy(picture.Image(), picture.Inked());
        // Any other colour keeps the full image; sharing it is safe, as the next plot copies.
        if (frame.isNull()) frame = picture.Image();
        // Frames reach the disk together at the end of the run; a checkpoint, which a run
        // broken by a power cut would go on from, at once.
        writes_->Post([path = StepFileName(frames_, "frame-", step, ".png"), frame] {
            BackgroundWrites::Files files;
            AddFile(files, path, EncodePicturePng(path, frame), Durability::AtTheEnd);
            return files;
        });
    }
    if (!checkpoints_.empty()) {
        writes_->Post([snapshotPath = StepFileName(checkpoints_, "step-", step, ".kvx"),
                       snapshot = EncodeSnapshot(store),
                       restartPath = StepFileName(checkpoints_, "step-", step, ".kvxr"),
                       restart = std::move(restart)] {
            return CheckpointFiles(snapshotPath, snapshot, restartPath, restart);
        });
    }
}

void PeriodicOutputs::Finish() {
    if (!writes_) return;
    try {
        writes_->Finish();
    } catch (const FileError& first) {
        throw PeriodicWriteError(first, writes_->failures() - 1);
    }
    if (!frames_.empty()) SyncFileSystem(frames_);
}
