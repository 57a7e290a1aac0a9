// Snapshot files: a little-endian 16-bit body count, then per body x, y, z, vx, vy, vz and
// mass as 8-byte IEEE doubles. Nothing else is stored.
#pragma once

#include <string>
#include <vector>

#include "core/FileError.h"
#include "core/Store.h"
#include "storage/FileAccess.h"

inline constexpr std::size_t kSnapshotRecordBytes = 56;

/// Bytes of a snapshot of n bodies.
constexpr std::size_t SnapshotSize(int n) {
    return 2 + kSnapshotRecordBytes * static_cast<std::size_t>(n);
}

/// The snapshot of the store's bodies.
Bytes EncodeSnapshot(const Store& store);

/// The bodies a snapshot holds (accelerations zero); bytes after the last record are
/// ignored. Throws SnapshotRefused with the reason when the content is not a snapshot.
std::vector<Body> DecodeSnapshot(const Bytes& bytes);

struct SnapshotRefused {
    FileReason reason;
};

/// Writes the store's bodies to path. Throws FileError.
void WriteSnapshot(const std::string& path, const Store& store);

/// Replaces N and both tables with the snapshot at path (NextPos all zero).
/// Throws FileError and then leaves the store unchanged.
void ReadSnapshot(const std::string& path, Store& store);
