// POSIX file access; failures are FileError with the errno of the call that failed.
#include "storage/FileAccess.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>

#include "core/FileError.h"
#include "storage/LinkTarget.h"
#include "storage/PathParts.h"
#include "storage/StaleTemporaries.h"

namespace {

// Errors of O_TMPFILE that mean the file system (or an old kernel) does not offer it.
bool UnnamedUnsupported(int error) {
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// Some file systems cannot flush a folder; the rename is then as durable as they make it.
bool FolderSyncUnsupported(int error) {
    return error == EINVAL || error == EOPNOTSUPP;
}

// syncfs reports the write-back errors of the files it flushed from Linux 5.8 on; before,
// it returned 0 whatever happened, and only each file's fsync would tell.
bool SharedFlushReportsErrors() {
    static const bool reports = [] {
        utsname system{};
        int major = 0, minor = 0;
        if (::uname(&system) != 0 || std::sscanf(system.release, "%d.%d", &major, &minor) != 2)
            return false;
        return major > 5 || (major == 5 && minor >= 8);
    }();
    return reports;
}

bool OnOneFileSystem(int first, int second) {
    struct stat a {
    }, b{};
    return ::fstat(first, &a) == 0 && ::fstat(second, &b) == 0 && a.st_dev == b.st_dev;
}

[[noreturn]] void RefuseRead(const std::string& path, const FileReason& reason) {
    throw FileError(FileAction::Read, path, reason);
}

// A pipe whose reader has gone raises SIGPIPE, which would end the program. While this is
// alive the signal is blocked in this thread, so that such a write fails with EPIPE and is
// reported; a SIGPIPE it raised is taken back before the signal is unblocked.
class BrokenPipeSignalHeld {
  public:
    BrokenPipeSignalHeld() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe_, &previous_);
        sigset_t pending;
        sigpending(&pending);
        pendingBefore_ = sigismember(&pending, SIGPIPE) == 1;
    }
    ~BrokenPipeSignalHeld() {
        const int error = errno;
        const timespec now{};
        if (!pendingBefore_) sigtimedwait(&pipe_, nullptr, &now);
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
        errno = error;
    }
    BrokenPipeSignalHeld(const BrokenPipeSignalHeld&) = delete;
    BrokenPipeSignalHeld& operator=(const BrokenPipeSignalHeld&) = delete;

  private:
    sigset_t pipe_{}, previous_{};
    bool pendingBefore_ = false;
};

}  // namespace

bool IsRegularFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

Bytes ReadFilePrefix(const std::string& path, std::size_t maxBytes) {
    if (path.empty()) RefuseRead(path, FileReason::Of(FileProblem::EmptyName));
    // Non-blocking, so that opening a pipe cannot hang; only regular files are read.
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid()) RefuseRead(path, FileReason::System(errno));
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) RefuseRead(path, FileReason::System(errno));
    if (S_ISDIR(st.st_mode)) RefuseRead(path, FileReason::System(EISDIR));
    if (!S_ISREG(st.st_mode)) RefuseRead(path, FileReason::Of(FileProblem::NotRegularFile));
    Bytes bytes;
    std::uint8_t buffer[65536];
    while (bytes.size() < maxBytes) {
        const std::size_t want = std::min(sizeof buffer, maxBytes - bytes.size());
        const ssize_t got = ::read(fd.get(), buffer, want);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) RefuseRead(path, FileReason::System(errno));
        if (got == 0) break;
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

AtomicFileWriter::AtomicFileWriter(const std::string& path, Durability durability,
                                   Leftovers leftovers)
    : path_(path), syncs_(durability == Durability::OnCommit) {
    if (path.empty()) Refuse(FileReason::Of(FileProblem::EmptyName));
    if (OpenInPlace()) return;
    const LinkTarget link = FollowLinks(path);
    if (link.error != 0) Fail(link.error);
    if (!link.missingFolder.empty()) Refuse(FileReason::DanglingLink(link.missingFolder));
    target_ = link.path;
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) Fail(EISDIR);
    if (exists) RefuseIfNotWritable();
    if (leftovers == Leftovers::Remove || FolderOf(target_) != FolderOf(path_))
        RemoveStaleTemporaries(target_);
    if (!OpenUnnamed()) OpenNamed();
    // A replaced file keeps its permissions.
    if (exists && S_ISREG(st.st_mode)) ::fchmod(fd_.get(), st.st_mode & 07777);
}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

// A device or a pipe cannot be replaced by renaming and is written where it is (the system
// follows any link to it); false for anything else. A pipe is opened without waiting for a
// reader, which an ordinary open would do for good: without one it is refused at once.
bool AtomicFileWriter::OpenInPlace() {
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) return false;
    if (S_ISSOCK(st.st_mode)) Refuse(FileReason::Of(FileProblem::NotRegularFile));
    if (!S_ISCHR(st.st_mode) && !S_ISFIFO(st.st_mode)) return false;
    inPlace_ = true;
    fd_ = Descriptor(::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd_.valid() && errno == ENXIO && S_ISFIFO(st.st_mode))
        Refuse(FileReason::Of(FileProblem::PipeWithoutReader));
    if (!fd_.valid()) Fail(errno);
    // Once open, the writes wait for a slow reader as they would for a disk.
    const int flags = ::fcntl(fd_.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd_.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) Fail(errno);
    return true;
}

// As QSaveFile does: a file the user may not write is not replaced, although the folder
// would let the rename replace it (and give it to the user). access() asks as the real
// user. Other errors of the check are left to the write itself.
void AtomicFileWriter::RefuseIfNotWritable() {
    if (::access(target_.c_str(), W_OK) == 0) return;
    if (errno == EACCES || errno == EPERM) Refuse(FileReason::Of(FileProblem::NotWritable));
}

bool AtomicFileWriter::OpenUnnamed() {
    fd_ = Descriptor(steps_.OpenUnnamed(FolderOf(target_)));
    if (!fd_.valid()) {
        if (UnnamedUnsupported(errno)) return false;
        Fail(errno);
    }
    // The file is named through /proc (WriteSteps::Link); without it, a named temporary.
    if (::access("/proc/self/fd", X_OK) != 0) {
        fd_.Close();
        return false;
    }
    HoldInUse();  // before the file has any name
    unnamed_ = true;
    return true;
}

// A cleaner takes a temporary that it can lock for abandoned. Between its creation and its
// lock a named temporary is visible and unlocked, so it is created under the folder's shared
// lock, which keeps every cleaner from judging any temporary meanwhile (StaleTemporaries).
void AtomicFileWriter::OpenNamed() {
    const CreatingTemporary creating(FolderOf(target_));
    for (int attempt = 0; attempt < 100 && !fd_.valid(); ++attempt) {
        tempPath_ = TemporaryNameFor(target_);
        fd_ = Descriptor(steps_.OpenNamed(tempPath_));
        if (fd_.valid()) break;
        const int error = errno;
        tempPath_.clear();
        if (error != EEXIST) Fail(error);
    }
    if (!fd_.valid()) Fail(EEXIST);
    HoldInUse();
}

// A second descriptor of the file holds the in-use lock and keeps the file open once fd_ is
// closed before the naming, which reports the close's own errors first.
void AtomicFileWriter::HoldInUse() {
    inUse_ = Descriptor(steps_.LockTemporary(fd_.get()));
    if (!inUse_.valid()) Fail(errno);
}

void AtomicFileWriter::Discard() {
    fd_.Close();
    if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
    tempPath_.clear();
    folder_.Close();
    previous_.Close();
    named_ = false;
    // Last, so that the temporary stays marked as in use for as long as it has a name.
    inUse_.Close();
}

void AtomicFileWriter::Refuse(const FileReason& reason) {
    Discard();
    throw FileError(FileAction::Write, path_, reason);
}

void AtomicFileWriter::Fail(int error) {
    Refuse(FileReason::System(error));
}

void AtomicFileWriter::Write(const void* data, std::size_t size) {
    if (!fd_.valid()) Refuse(FileReason::Of(FileProblem::WriterClosed));
    std::optional<BrokenPipeSignalHeld> pipeSignal;
    if (inPlace_) pipeSignal.emplace();
    synced_ = false;
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t done = steps_.Write(fd_.get(), p, size);
        if (done < 0 && errno == EINTR) continue;
        if (done < 0) Fail(errno);
        if (done == 0) Fail(EIO);
        p += done;
        size -= static_cast<std::size_t>(done);
    }
}

void AtomicFileWriter::Sync() {
    if (!fd_.valid()) Refuse(FileReason::Of(FileProblem::WriterClosed));
    if (inPlace_ || !syncs_ || synced_) return;
    if (steps_.SyncFile(fd_.get()) != 0) Fail(errno);
    synced_ = true;
}

bool AtomicFileWriter::NeedsFlush() const {
    return fd_.valid() && !inPlace_ && syncs_ && !synced_;
}

// One syncfs in place of an fsync per file, where each fsync is a flush of the disk of its
// own. Durability is the same: when syncfs returns, the content and the inode of every
// file flushed are on the disk, before any of them takes its name, and the folder's
// flush after the names follows as for one file. The price is that syncfs writes
// everything else waiting for that file system too: the run's frames, otherwise flushed
// once at its end, and whatever else the user's programs have written there; so a single
// file keeps its fsync. When syncfs fails the cause may be another file of the file
// system, so nothing is marked flushed and each file is flushed alone before its name:
// fsync reports its own file's write-back error even after syncfs, and a group fails only
// for a file of its own, named.
void AtomicFileWriter::FlushShared(std::span<AtomicFileWriter* const> writers) {
    std::vector<AtomicFileWriter*> pending;
    for (AtomicFileWriter* writer : writers)
        if (writer->NeedsFlush()) pending.push_back(writer);
    if (pending.size() < 2 || !SharedFlushReportsErrors()) return;
    AtomicFileWriter& first = *pending.front();
    for (const AtomicFileWriter* writer : pending)
        if (!OnOneFileSystem(first.fd_.get(), writer->fd_.get())) return;
    if (first.steps_.SyncFileSystem(first.fd_.get()) != 0) return;
    for (AtomicFileWriter* writer : pending)
        writer->synced_ = true;
}

void AtomicFileWriter::Commit() {
    AtomicFileWriter* const self[] = {this};
    CommitTogether(self);
}

void AtomicFileWriter::CommitTogether(std::span<AtomicFileWriter* const> writers) {
    const Group group[] = {writers};
    const GroupsCommitted done = CommitGroups(group);
    if (done.failure) std::rethrow_exception(done.failure);
}

namespace {

std::vector<AtomicFileWriter*> AllOf(std::span<const AtomicFileWriter::Group> groups) {
    std::vector<AtomicFileWriter*> all;
    for (AtomicFileWriter::Group group : groups)
        all.insert(all.end(), group.begin(), group.end());
    return all;
}

}  // namespace

AtomicFileWriter::GroupsCommitted AtomicFileWriter::CommitGroups(std::span<const Group> groups) {
    const std::vector<AtomicFileWriter*> all = AllOf(groups);
    FlushShared(all);
    GroupsCommitted done;
    for (; done.groups < groups.size(); ++done.groups) {
        try {
            NameGroup(groups[done.groups]);
        } catch (const FileError&) {
            done.failure = std::current_exception();
            break;
        }
    }
    // Only now are the names on the disk, and a power cut cannot bring the old files back.
    FlushFolders(groups.first(done.groups), done);
    for (AtomicFileWriter* writer : all)
        writer->Discard();
    return done;
}

// A group's commit up to its folder's flush: every file ready, then each named in order. A
// failure puts back those of the group already named.
void AtomicFileWriter::NameGroup(Group group) {
    for (AtomicFileWriter* writer : group)
        writer->ReadyToName();
    for (std::size_t k = 0; k < group.size(); ++k) {
        try {
            group[k]->Name();
        } catch (const FileError&) {
            RollBackNamed(group.first(k));
            throw;
        }
    }
}

// Each folder once, after every name: files of one folder share its flush. When a folder's
// flush fails, the first group with a file in it and every group after are put back, the
// last first; the groups before have no file in it, and their folders were flushed.
void AtomicFileWriter::FlushFolders(std::span<const Group> named, GroupsCommitted& done) {
    std::vector<AtomicFileWriter*> earlier;
    for (std::size_t g = 0; g < named.size(); ++g) {
        for (AtomicFileWriter* writer : named[g]) {
            const bool flushed = FlushedBefore(earlier, FolderOf(writer->target_));
            earlier.push_back(writer);
            if (flushed) continue;
            if (const int error = writer->SyncFolder()) {
                RollBackNamed(AllOf(named.subspan(g)));
                done.groups = g;
                done.failure = std::make_exception_ptr(
                    FileError(FileAction::Write, writer->path_, FileReason::System(error)));
                return;
            }
        }
    }
}

// Everything before the naming, whose failures leave the target untouched: the content on
// the disk, and the file closed, which reports the close's own errors. A device or a pipe
// is done here.
void AtomicFileWriter::ReadyToName() {
    if (!fd_.valid()) Refuse(FileReason::Of(FileProblem::WriterClosed));
    if (inPlace_) {
        if (fd_.Close() != 0) Fail(errno);
        return;
    }
    Sync();
    if (steps_.CloseFile(fd_) != 0) Fail(errno);
}

void AtomicFileWriter::Name() {
    if (inPlace_) return;
    folder_ = Descriptor(steps_.OpenFolder(FolderOf(target_)));
    if (!folder_.valid()) Fail(errno);
    // Kept open to restore the previous content should the folder not reach the disk.
    previous_ = Descriptor(::open(target_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    replacing_ = previous_.valid() || errno != ENOENT;
    PutInPlace(replacing_);
    named_ = true;
}

bool AtomicFileWriter::FlushedBefore(std::span<AtomicFileWriter* const> earlier,
                                     const std::string& folder) {
    for (const AtomicFileWriter* writer : earlier)
        if (!writer->inPlace_ && writer->syncs_ && FolderOf(writer->target_) == folder) return true;
    return false;
}

// 0, or the error of a flush of the folder that failed.
int AtomicFileWriter::SyncFolder() {
    if (inPlace_ || !syncs_ || steps_.SyncFolder(folder_.get()) == 0) return 0;
    return FolderSyncUnsupported(errno) ? 0 : errno;
}

// The last named first, so that at every moment the files named are the first ones.
void AtomicFileWriter::RollBackNamed(std::span<AtomicFileWriter* const> writers) {
    for (std::size_t k = writers.size(); k-- > 0;) {
        AtomicFileWriter& writer = *writers[k];
        if (writer.named_ && writer.rollBack_)
            writer.RollBack(writer.previous_.get(), writer.replacing_);
        writer.named_ = false;
    }
}

void AtomicFileWriter::PutInPlace(bool replacing) {
    if (unnamed_) {
        // A new target takes the file's name at once, with no temporary name at all.
        if (!replacing && steps_.Link(inUse_.get(), target_) == 0) return;
        if (!replacing && errno != EEXIST) Fail(errno);
        NameUnnamed();
    }
    if (steps_.Rename(tempPath_, target_) != 0) Fail(errno);
    tempPath_.clear();
}

// The temporary name lives from here to the rename that follows at once, locked from its
// first moment; a writer killed in between leaves it behind, no longer locked, for the next
// write of the target to remove.
void AtomicFileWriter::NameUnnamed() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempPath_ = TemporaryNameFor(target_);
        if (steps_.Link(inUse_.get(), tempPath_) == 0) return;
        const int error = errno;
        tempPath_.clear();
        if (error != EEXIST) Fail(error);
    }
    Fail(EEXIST);
}

// The new file is in place but its name is not on the disk: the previous content is put
// back, copied from the descriptor still open on it, so that the failure reported leaves
// the target as it was. Best effort: the first failure is the one reported.
void AtomicFileWriter::RollBack(int previous, bool replacing) {
    if (!replacing) {
        ::unlink(target_.c_str());
        return;
    }
    if (previous < 0) return;
    try {
        AtomicFileWriter restore(target_);
        restore.rollBack_ = false;
        std::vector<char> buffer(65536);
        for (off_t offset = 0;;) {
            const ssize_t got = ::pread(previous, buffer.data(), buffer.size(), offset);
            if (got < 0 && errno == EINTR) continue;
            if (got < 0) return;  // an incomplete copy is never committed
            if (got == 0) break;
            restore.Write(buffer.data(), static_cast<std::size_t>(got));
            offset += got;
        }
        restore.Commit();
    } catch (const FileError&) {
    }
}

void WriteFileAtomically(const std::string& path, const void* data, std::size_t size,
                         Durability durability) {
    AtomicFileWriter writer(path, durability);
    writer.Write(data, size);
    writer.Commit();
}

void SyncFileSystem(const std::string& folder) {
    const Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd.valid() || ::syncfs(fd.get()) != 0)
        throw FileError(FileAction::Write, folder, FileReason::System(errno));
}
