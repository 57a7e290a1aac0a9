// Two files committed as one, as the runner writes a checkpoint and its restart file: both
// reach the disk under one flush of the file system before either name, the second is named after
// the first, their folder is flushed once; a failure of any step of either leaves neither new file,
// the previous ones as they were. A group commit of several such pairs shares those flushes and
// keeps the pairs before a failed one. And writers into a folder already cleared of leftovers do
// not clear it again.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "core/FileError.h"
#include "storage/FileAccess.h"
#include "tests/support/Failures.h"
#include "tests/support/FileContents.h"
#include "tests/support/TempFolder.h"
#include "tests/support/WriteCases.h"

namespace {

struct Event {
    WriteStep step;
    std::string file;  // the last part of the path the step writes
    bool operator==(const Event&) const = default;
};

std::string LastPart(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

// Records every step with its file while alive, and fails chosen steps of chosen files.
class EventHook {
  public:
    explicit EventHook(Way way, std::vector<Event> failing = {}) {
        SetWriteFaultForTesting([this, way, failing](const WriteAttempt& attempt) {
            const Event event{attempt.step, LastPart(attempt.path)};
            events.push_back(event);
            if (std::find(failing.begin(), failing.end(), event) != failing.end()) return EIO;
            if (way == Way::Named && attempt.step == WriteStep::OpenUnnamed) return EOPNOTSUPP;
            return 0;
        });
    }
    ~EventHook() { SetWriteFaultForTesting(nullptr); }
    EventHook(const EventHook&) = delete;
    EventHook& operator=(const EventHook&) = delete;

    std::vector<Event> events;
};

const std::string kOldA = "old checkpoint", kOldB = "old restart file";
const std::string kNewA(30000, 'a'), kNewB(50000, 'b');

// The checkpoint and restart file that a replacing commit replaces.
void WriteOldFiles(const TempFolder& folder) {
    WriteAll(folder.path("s.kvx"), kOldA);
    WriteAll(folder.path("s.kvxr"), kOldB);
}

void WriteBoth(const TempFolder& folder) {
    AtomicFileWriter a(folder.path("s.kvx")), b(folder.path("s.kvxr"));
    a.Write(kNewA);
    b.Write(kNewB);
    AtomicFileWriter* const both[] = {&a, &b};
    AtomicFileWriter::CommitTogether(both);
}

bool Naming(WriteStep step) {
    return step == WriteStep::Link || step == WriteStep::Rename;
}

// Where in events the first (or, last = true, the last) event of file with step matching.
template <typename Match>
std::ptrdiff_t Find(const std::vector<Event>& events, const std::string& file, Match match,
                    bool last = false) {
    std::ptrdiff_t found = -1;
    for (std::size_t k = 0; k < events.size(); ++k) {
        if ((file.empty() || events[k].file == file) && match(events[k].step)) {
            found = static_cast<std::ptrdiff_t>(k);
            if (!last) break;
        }
    }
    return found;
}

auto is(WriteStep wanted) {
    return [wanted](WriteStep s) { return s == wanted; };
}

std::ptrdiff_t Count(const std::vector<Event>& events, WriteStep step) {
    return std::count_if(events.begin(), events.end(),
                         [step](const Event& e) { return e.step == step; });
}

std::vector<Event> EventsOfACommit(const WriteCase& c) {
    TempFolder folder;
    if (c.replacing) WriteOldFiles(folder);
    EventHook hook(c.way);
    WriteBoth(folder);
    return hook.events;
}

}  // namespace

TEST(CommitTogether, BothReachTheDiskBeforeEitherNameTheSecondIsNamedLastAndOneFolderFlush) {
    for (const WriteCase& c : kWriteCases) {
        SCOPED_TRACE(Describe(c));
        TempFolder folder;
        if (c.replacing) WriteOldFiles(folder);
        std::vector<Event> events;
        {
            EventHook hook(c.way);
            WriteBoth(folder);
            events = hook.events;
        }
        EXPECT_EQ(ReadAll(folder.path("s.kvx")), kNewA);
        EXPECT_EQ(ReadAll(folder.path("s.kvxr")), kNewB);
        EXPECT_EQ(folder.entries(), (std::vector<std::string>{"s.kvx", "s.kvxr"}));

        const auto firstName = Find(events, "", Naming);
        ASSERT_GE(firstName, 0);
        // One flush of the file system for both, in place of a flush of each file.
        EXPECT_EQ(Count(events, WriteStep::SyncFileSystem), 1);
        EXPECT_EQ(Count(events, WriteStep::SyncFile), 0);
        EXPECT_LT(Find(events, "", is(WriteStep::SyncFileSystem)), firstName);
        EXPECT_LT(Find(events, "s.kvx", is(WriteStep::CloseFile)), firstName);
        EXPECT_LT(Find(events, "s.kvxr", is(WriteStep::CloseFile)), firstName);
        EXPECT_LT(Find(events, "s.kvx", Naming, true), Find(events, "s.kvxr", Naming));
        EXPECT_EQ(Count(events, WriteStep::SyncFolder), 1);
        EXPECT_GT(Find(events, "", is(WriteStep::SyncFolder)), Find(events, "", Naming, true));
    }
}

TEST(CommitTogether, AnyStepOfEitherFailingLeavesNeitherNewFileAndNamesTheFailedOne) {
    for (const WriteCase& c : kWriteCases) {
        for (const Event& failing : EventsOfACommit(c)) {
            if (c.way == Way::Named && failing.step == WriteStep::OpenUnnamed) continue;
            // Each file's own flush follows a failed shared one (the test below).
            if (failing.step == WriteStep::SyncFileSystem) continue;
            SCOPED_TRACE(Describe(c) + ", failing step " +
                         std::to_string(static_cast<int>(failing.step)) + " of " + failing.file);
            TempFolder folder;
            if (c.replacing) WriteOldFiles(folder);
            const std::vector<std::string> before = folder.entries();
            std::optional<FileError> failure;
            {
                EventHook hook(c.way, {failing});
                failure = FailureOf<FileError>([&] { WriteBoth(folder); });
            }
            ASSERT_TRUE(failure);
            EXPECT_EQ(LastPart(failure->path()), failing.file);
            EXPECT_EQ(failure->reason(), FileReason::System(EIO));
            EXPECT_EQ(folder.entries(), before);
            if (c.replacing) {
                EXPECT_EQ(ReadAll(folder.path("s.kvx")), kOldA);
                EXPECT_EQ(ReadAll(folder.path("s.kvxr")), kOldB);
            }
        }
    }
}

// A failed flush of the file system may be another file's write-back error; each file's own
// flush then decides, and the group fails only for one of its files, naming that one.
TEST(CommitTogether, AFailedSharedFlushFallsBackToEachFilesFlushWhichNamesTheFileLost) {
    const Event shared{WriteStep::SyncFileSystem, "s.kvx"};
    for (const WriteCase& c : kWriteCases) {
        for (const char* lost : {"", "s.kvx", "s.kvxr"}) {
            SCOPED_TRACE(Describe(c) + ", file lost: " + (*lost ? lost : "neither"));
            TempFolder folder;
            if (c.replacing) WriteOldFiles(folder);
            const std::vector<std::string> before = folder.entries();
            std::vector<Event> failing{shared};
            if (*lost) failing.push_back({WriteStep::SyncFile, lost});
            std::optional<FileError> failure;
            std::vector<Event> events;
            {
                EventHook hook(c.way, failing);
                failure = FailureOf<FileError>([&] { WriteBoth(folder); });
                events = hook.events;
            }
            const auto sharedAt = Find(events, "", is(WriteStep::SyncFileSystem));
            ASSERT_GE(sharedAt, 0);
            EXPECT_GT(Find(events, "s.kvx", is(WriteStep::SyncFile)), sharedAt);
            if (!*lost) {
                ASSERT_FALSE(failure);
                EXPECT_GT(Find(events, "s.kvxr", is(WriteStep::SyncFile)), sharedAt);
                EXPECT_LT(Find(events, "s.kvxr", is(WriteStep::SyncFile)),
                          Find(events, "", Naming));
                EXPECT_EQ(ReadAll(folder.path("s.kvx")), kNewA);
                EXPECT_EQ(ReadAll(folder.path("s.kvxr")), kNewB);
                continue;
            }
            ASSERT_TRUE(failure);
            EXPECT_EQ(LastPart(failure->path()), lost);
            EXPECT_EQ(failure->reason(), FileReason::System(EIO));
            EXPECT_EQ(Find(events, "", Naming), -1);
            EXPECT_EQ(folder.entries(), before);
            if (c.replacing) {
                EXPECT_EQ(ReadAll(folder.path("s.kvx")), kOldA);
                EXPECT_EQ(ReadAll(folder.path("s.kvxr")), kOldB);
            }
        }
    }
}

TEST(CommitTogether, ASingleFileKeepsItsOwnFlush) {
    TempFolder folder;
    std::vector<Event> events;
    {
        EventHook hook(Way::Unnamed);
        WriteFileAtomically(folder.path("a.kvx"), "one", 3);
        events = hook.events;
    }
    EXPECT_EQ(Count(events, WriteStep::SyncFile), 1);
    EXPECT_EQ(Count(events, WriteStep::SyncFileSystem), 0);
    EXPECT_EQ(ReadAll(folder.path("a.kvx")), "one");
}

TEST(CommitTogether, FilesInTwoFoldersFlushEachFolderAndAFailureOfTheSecondUndoesBoth) {
    TempFolder folder;
    std::filesystem::create_directory(folder.path("other"));
    // A link sends the second file to another folder, which needs its own flush.
    ASSERT_EQ(::symlink("other/s.kvxr", folder.path("s.kvxr").c_str()), 0);
    for (bool failing : {false, true}) {
        SCOPED_TRACE(failing ? "second folder's flush failing" : "both succeeding");
        std::optional<FileError> failure;
        std::vector<Event> events;
        {
            EventHook hook(Way::Unnamed, failing
                                             ? std::vector<Event>{{WriteStep::SyncFolder, "s.kvxr"}}
                                             : std::vector<Event>{});
            failure = FailureOf<FileError>([&] { WriteBoth(folder); });
            events = hook.events;
        }
        // The second folder's flush is asked for even though the first was flushed.
        EXPECT_GE(Find(events, "s.kvxr", is(WriteStep::SyncFolder)), 0);
        EXPECT_EQ(failure.has_value(), failing);
        if (failing) {
            EXPECT_FALSE(std::filesystem::exists(folder.path("s.kvx")));
            EXPECT_FALSE(std::filesystem::exists(folder.path("other/s.kvxr")));
        } else {
            EXPECT_EQ(ReadAll(folder.path("s.kvx")), kNewA);
            EXPECT_EQ(ReadAll(folder.path("other/s.kvxr")), kNewB);
            std::filesystem::remove(folder.path("s.kvx"));
            std::filesystem::remove(folder.path("other/s.kvxr"));
        }
    }
}

TEST(CommitTogether, AWriterOfAFolderAlreadyClearedLeavesItsLeftoversUnlessALinkLeadsElsewhere) {
    TempFolder folder;
    std::filesystem::create_directory(folder.path("other"));
    const std::string here = folder.path(".a.kvx.abcdefgh.tmp");
    const std::string there = folder.path("other/.b.kvx.abcdefgh.tmp");
    WriteAll(here, "left by a killed writer");
    WriteAll(there, "left by a killed writer");
    ASSERT_EQ(::symlink("other/b.kvx", folder.path("b.kvx").c_str()), 0);

    WriteFileAtomically(folder.path("a.kvx"), "new", 3, Durability::OnCommit);
    EXPECT_FALSE(std::filesystem::exists(here));  // the default clears them
    WriteAll(here, "left by a killed writer");
    auto writeInClearedFolder = [&](const std::string& name, const std::string& content) {
        AtomicFileWriter writer(folder.path(name), Durability::OnCommit, Leftovers::FolderCleared);
        writer.Write(content);
        writer.Commit();
    };
    writeInClearedFolder("a.kvx", "newer");
    EXPECT_TRUE(std::filesystem::exists(here));
    EXPECT_EQ(ReadAll(folder.path("a.kvx")), "newer");
    writeInClearedFolder("b.kvx", "through the link");
    EXPECT_FALSE(std::filesystem::exists(there));
    EXPECT_EQ(ReadAll(folder.path("other/b.kvx")), "through the link");
}

namespace {

// Three checkpoints with their restart files, each pair a group, committed as one: a, b, c.
struct ThreeGroups {
    explicit ThreeGroups(const TempFolder& folder, const std::string& middleFolder = "") {
        for (const char* name : {"a", "b", "c"}) {
            const std::string base = (*name == 'b' ? middleFolder : "") + name;
            for (const char* extension : {".kvx", ".kvxr"}) {
                writers.push_back(
                    std::make_unique<AtomicFileWriter>(folder.path(base + extension)));
                writers.back()->Write(base + extension);
            }
        }
        for (std::size_t k = 0; k < writers.size(); ++k)
            pointers.push_back(writers[k].get());
        for (std::size_t g = 0; g < 3; ++g)
            groups.push_back(std::span(pointers).subspan(2 * g, 2));
    }
    AtomicFileWriter::GroupsCommitted Commit() { return AtomicFileWriter::CommitGroups(groups); }

    std::vector<std::unique_ptr<AtomicFileWriter>> writers;
    std::vector<AtomicFileWriter*> pointers;
    std::vector<AtomicFileWriter::Group> groups;
};

std::string FailedPath(const AtomicFileWriter::GroupsCommitted& done) {
    try {
        if (done.failure) std::rethrow_exception(done.failure);
    } catch (const FileError& failure) {
        return LastPart(failure.path());
    }
    return "";
}

}  // namespace

TEST(CommitGroups, AllShareOneFlushOfTheDiskAndOneOfTheFolderAndAreNamedInOrder) {
    for (const WriteCase& c : kWriteCases) {
        SCOPED_TRACE(Describe(c));
        TempFolder folder;
        if (c.replacing)
            for (const char* name : {"a.kvx", "a.kvxr", "b.kvx", "b.kvxr", "c.kvx", "c.kvxr"})
                WriteAll(folder.path(name), "old");
        std::vector<Event> events;
        AtomicFileWriter::GroupsCommitted done;
        {
            EventHook hook(c.way);
            done = ThreeGroups(folder).Commit();
            events = hook.events;
        }
        EXPECT_EQ(done.groups, 3u);
        EXPECT_FALSE(done.failure);
        for (const char* name : {"a.kvx", "a.kvxr", "b.kvx", "b.kvxr", "c.kvx", "c.kvxr"})
            EXPECT_EQ(ReadAll(folder.path(name)), name);
        EXPECT_EQ(Count(events, WriteStep::SyncFileSystem), 1);
        EXPECT_EQ(Count(events, WriteStep::SyncFile), 0);
        EXPECT_EQ(Count(events, WriteStep::SyncFolder), 1);
        EXPECT_LT(Find(events, "", is(WriteStep::SyncFileSystem)), Find(events, "", Naming));
        EXPECT_GT(Find(events, "", is(WriteStep::SyncFolder)), Find(events, "", Naming, true));
        std::vector<std::string> named;  // a replacing name takes a link and a rename
        for (const Event& e : events)
            if (Naming(e.step) && (named.empty() || named.back() != e.file))
                named.push_back(e.file);
        EXPECT_EQ(named, (std::vector<std::string>{"a.kvx", "a.kvxr", "b.kvx", "b.kvxr", "c.kvx",
                                                   "c.kvxr"}));
    }
}

// A failure of the second group, in its own flush after a failed shared one, before its
// names or in them: the first group is committed as if alone, the second and third leave
// no file.
TEST(CommitGroups, TheGroupsBeforeAFailedOneStayAndItAndTheLaterOnesLeaveNoFile) {
    const Event shared{WriteStep::SyncFileSystem, "a.kvx"};
    const std::vector<Event> failures[] = {
        {shared, {WriteStep::SyncFile, "b.kvxr"}},
        {{WriteStep::CloseFile, "b.kvx"}},
        {{WriteStep::Link, "b.kvxr"}},
    };
    for (const std::vector<Event>& failing : failures) {
        const Event& failed = failing.back();
        SCOPED_TRACE("failing step " + std::to_string(static_cast<int>(failed.step)) + " of " +
                     failed.file);
        TempFolder folder;
        AtomicFileWriter::GroupsCommitted done;
        {
            EventHook hook(Way::Unnamed, failing);
            done = ThreeGroups(folder).Commit();
        }
        EXPECT_EQ(done.groups, 1u);
        EXPECT_EQ(FailedPath(done), failed.file);
        EXPECT_EQ(folder.entries(), (std::vector<std::string>{"a.kvx", "a.kvxr"}));
        EXPECT_EQ(ReadAll(folder.path("a.kvxr")), "a.kvxr");
    }
}

// The second group's files are in a folder of their own. When that folder's flush fails, the
// first group, whose folder was flushed, stays; the second and the third, named after it, do
// not. When the first folder's flush fails, nothing stays.
TEST(CommitGroups, AFailedFolderFlushUndoesTheFirstGroupInThatFolderAndEveryLaterOne) {
    for (const bool firstFolder : {false, true}) {
        SCOPED_TRACE(firstFolder ? "the first folder's flush failing" : "the second's failing");
        TempFolder folder;
        std::filesystem::create_directory(folder.path("other"));
        const Event failing{WriteStep::SyncFolder, firstFolder ? "a.kvx" : "b.kvx"};
        AtomicFileWriter::GroupsCommitted done;
        {
            EventHook hook(Way::Unnamed, {failing});
            done = ThreeGroups(folder, "other/").Commit();
        }
        EXPECT_EQ(done.groups, firstFolder ? 0u : 1u);
        EXPECT_EQ(FailedPath(done), failing.file);
        const std::vector<std::string> left =
            firstFolder ? std::vector<std::string>{"other"}
                        : std::vector<std::string>{"a.kvx", "a.kvxr", "other"};
        EXPECT_EQ(folder.entries(), left);
        EXPECT_TRUE(std::filesystem::is_empty(folder.path("other")));
    }
}
