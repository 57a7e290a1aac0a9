// Encoding, decoding, writing and reading snapshots.
#include "storage/Snapshot.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "core/FileError.h"

namespace {

static_assert(std::endian::native == std::endian::little, "snapshots are little-endian");

void PutDouble(Bytes& out, double v) {
    std::uint8_t b[8];
    std::memcpy(b, &v, 8);
    out.insert(out.end(), b, b + 8);
}

double GetDouble(const std::uint8_t* p) {
    double v;
    std::memcpy(&v, p, 8);
    return v;
}

}  // namespace

Bytes EncodeSnapshot(const Store& store) {
    const int n = store.N();
    Bytes out;
    out.reserve(SnapshotSize(n));
    const auto count = static_cast<std::uint16_t>(static_cast<std::int16_t>(n));
    out.push_back(static_cast<std::uint8_t>(count & 0xFF));
    out.push_back(static_cast<std::uint8_t>(count >> 8));
    for (const Body& b : store.Bodies)
        for (double v : {b.x, b.y, b.z, b.vx, b.vy, b.vz, b.mass})
            PutDouble(out, v);
    return out;
}

std::vector<Body> DecodeSnapshot(const Bytes& bytes) {
    if (bytes.size() < 2) throw SnapshotRefused{FileReason::Of(FileProblem::SnapshotTooShort)};
    const auto n = static_cast<std::int16_t>(bytes[0] | (bytes[1] << 8));
    if (n < 1 || n > kMaxBodies) throw SnapshotRefused{FileReason::SnapshotBadCount(n)};
    if (bytes.size() < SnapshotSize(n))
        throw SnapshotRefused{FileReason::SnapshotTruncated(
            n, static_cast<long long>(SnapshotSize(n)), static_cast<long long>(bytes.size()))};
    std::vector<Body> bodies(static_cast<std::size_t>(n));
    const std::uint8_t* p = bytes.data() + 2;
    for (int k = 0; k < n; ++k) {
        Body& b = bodies[k];
        for (double* field : {&b.x, &b.y, &b.z, &b.vx, &b.vy, &b.vz, &b.mass}) {
            *field = GetDouble(p);
            p += 8;
            if (!std::isfinite(*field)) throw SnapshotRefused{FileReason::SnapshotNotFinite(k + 1)};
        }
    }
    return bodies;
}

void WriteSnapshot(const std::string& path, const Store& store) {
    WriteFileAtomically(path, EncodeSnapshot(store));
}

void ReadSnapshot(const std::string& path, Store& store) {
    const Bytes bytes = ReadFilePrefix(path, SnapshotSize(kMaxBodies));
    std::vector<Body> bodies;
    try {
        bodies = DecodeSnapshot(bytes);
    } catch (const SnapshotRefused& refused) {
        throw FileError(FileAction::OpenSnapshot, path, refused.reason);
    }
    store.RecreateTables(static_cast<int>(bodies.size()));
    store.Bodies = std::move(bodies);
}
