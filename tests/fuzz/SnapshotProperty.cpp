// The snapshot reader against the file format, independently of the reader's own code.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>

#include "tests/fuzz/Properties.h"

namespace {

int CountOf(const Bytes& bytes) {
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8));
}

double ValueAt(const Bytes& bytes, std::size_t offset) {
    double v;
    std::memcpy(&v, bytes.data() + offset, sizeof v);
    return v;
}

bool HasZeroAccelerations(const std::vector<Body>& bodies) {
    for (const Body& b : bodies)
        if (b.ax != 0 || b.ay != 0 || b.az != 0) return false;
    return true;
}

std::string CheckAccepted(const Bytes& bytes, const std::vector<Body>& bodies,
                          SnapshotEncoder encode) {
    if (!IsWellFormedSnapshot(bytes)) return "a malformed snapshot was accepted";
    const int n = CountOf(bytes);
    if (static_cast<int>(bodies.size()) != n)
        return "read " + std::to_string(bodies.size()) + " bodies of " + std::to_string(n);
    if (!HasZeroAccelerations(bodies)) return "a body read has an acceleration";
    Store store;
    store.RecreateTables(n);
    store.Bodies = bodies;
    const Bytes prefix(bytes.begin(), bytes.begin() + static_cast<long>(SnapshotSize(n)));
    if (encode(store) != prefix) return "writing the bodies back gives other bytes";
    return {};
}

}  // namespace

bool IsWellFormedSnapshot(const Bytes& bytes) {
    if (bytes.size() < 2) return false;
    const int n = CountOf(bytes);
    if (n < 1 || n > kMaxBodies || bytes.size() < SnapshotSize(n)) return false;
    for (std::size_t offset = 2; offset < SnapshotSize(n); offset += sizeof(double))
        if (!std::isfinite(ValueAt(bytes, offset))) return false;
    return true;
}

std::string CheckSnapshot(const Bytes& bytes, SnapshotDecoder decode, SnapshotEncoder encode) {
    std::vector<Body> bodies;
    try {
        bodies = decode(bytes);
    } catch (const SnapshotRefused& refused) {
        if (IsWellFormedSnapshot(bytes)) return "a well-formed snapshot was refused";
        // A decoder states what is wrong with the content; a system error is no such reason.
        if (refused.reason.problem == FileProblem::System) return "a refusal without a reason";
        return {};
    } catch (const std::exception& e) {
        return std::string("the reader threw ") + e.what();
    }
    return CheckAccepted(bytes, bodies, encode);
}
