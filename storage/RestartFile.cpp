// Encoding and decoding restart files; the check of a file's length and checksum comes
// before any field is taken from it.
#include "storage/RestartFile.h"

#include <zlib.h>

#include <array>
#include <bit>
#include <cstring>

namespace {

static_assert(std::endian::native == std::endian::little, "restart files are little-endian");

constexpr std::uint8_t kMagic[8] = {'K', 'V', 'X', 'R', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kLengthOffset = 12;
constexpr std::size_t kHeaderBytes = 20;  // magic, version, length
constexpr std::size_t kChecksumBytes = 4;
constexpr std::size_t kBodyBytes = 10 * 8, kNextPosBytes = 3 * 8;
// Seed, step, N, eleven parameters, two flags, the shown energy and time step, and the
// lengths of the four texts.
constexpr std::size_t kFixedBytes = 4 + 8 + 4 + 11 * 8 + 2 + 2 * 8 + 4 * 4;
constexpr std::size_t kMaxRestartBytes = kHeaderBytes + kFixedBytes + 4 * kMaxRestartText +
                                         kMaxBodies * (kBodyBytes + kNextPosBytes) + kChecksumBytes;

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes lengths as uInt; a restart file is far below its range.
    crc = crc32(crc, data, static_cast<uInt>(size));
    return static_cast<std::uint32_t>(crc);
}

class Writer {
  public:
    explicit Writer(std::size_t size) { bytes_.reserve(size); }
    template <class T>
    void Put(T value) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(&value);
        bytes_.insert(bytes_.end(), p, p + sizeof value);
    }
    void PutText(const std::string& text) {
        Put(static_cast<std::uint32_t>(text.size()));
        bytes_.insert(bytes_.end(), text.begin(), text.end());
    }
    Bytes& bytes() { return bytes_; }

  private:
    Bytes bytes_;
};

RestartRefused Refused(FileProblem problem, long long count = 0, long long needed = 0,
                       long long actual = 0) {
    FileReason reason = FileReason::Of(problem);
    reason.count = count, reason.needed = needed, reason.actual = actual;
    return RestartRefused{reason};
}

// Reads the fields of a file whose length and checksum were found right; a field that
// runs past the end means the parts contradict each other.
class Reader {
  public:
    Reader(const Bytes& bytes, std::size_t end) : bytes_(bytes), at_(kHeaderBytes), end_(end) {}
    template <class T>
    T Get() {
        T value;
        std::memcpy(&value, Take(sizeof value), sizeof value);
        return value;
    }
    bool GetFlag() {
        const auto flag = Get<std::uint8_t>();
        if (flag > 1) throw Refused(FileProblem::RestartInconsistent);
        return flag == 1;
    }
    std::string GetText() {
        const auto size = Get<std::uint32_t>();
        if (size > kMaxRestartText) throw Refused(FileProblem::RestartInconsistent);
        const auto* p = reinterpret_cast<const char*>(Take(size));
        return std::string(p, size);
    }
    bool AtEnd() const { return at_ == end_; }

  private:
    const std::uint8_t* Take(std::size_t size) {
        if (size > end_ - at_) throw Refused(FileProblem::RestartInconsistent);
        const std::uint8_t* p = bytes_.data() + at_;
        at_ += size;
        return p;
    }

    const Bytes& bytes_;
    std::size_t at_, end_;
};

// The run parameters and the cloud's sums, in the file's order; S is Store or const Store.
template <class S>
auto Parameters(S& s) {
    return std::array{&s.Size1, &s.Size2,     &s.M,  &s.IM, &s.G, &s.dT,
                      &s.No,    &s.TotalMass, &s.Xc, &s.Yc, &s.Zc};
}

// Magic, version, the recorded length against the real one, then the checksum.
std::size_t CheckFrame(const Bytes& bytes) {
    if (bytes.empty()) throw Refused(FileProblem::RestartEmpty);
    if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0)
        throw Refused(FileProblem::RestartForeign);
    if (bytes.size() < kHeaderBytes)
        throw Refused(FileProblem::RestartTruncated, 0, static_cast<long long>(kHeaderBytes),
                      static_cast<long long>(bytes.size()));
    std::uint32_t version;
    std::memcpy(&version, bytes.data() + 8, 4);
    if (version != kRestartVersion) throw Refused(FileProblem::RestartNewerVersion, version);
    std::uint64_t length;
    std::memcpy(&length, bytes.data() + kLengthOffset, 8);
    const auto actual = static_cast<long long>(bytes.size());
    if (length > bytes.size())
        throw Refused(FileProblem::RestartTruncated, 0, static_cast<long long>(length), actual);
    if (length < bytes.size())
        throw Refused(FileProblem::RestartTooLong, 0, static_cast<long long>(length), actual);
    const std::size_t end = bytes.size() - kChecksumBytes;
    std::uint32_t recorded;
    std::memcpy(&recorded, bytes.data() + end, 4);
    if (recorded != Crc32(bytes.data(), end)) throw Refused(FileProblem::RestartBadChecksum);
    return end;
}

}  // namespace

Bytes EncodeRestart(const Store& store, const RunCarry& carry) {
    const int n = store.N();
    const std::size_t size =
        kHeaderBytes + kFixedBytes + store.Plane.size() + store.DrawnPlane.size() +
        store.FileName.size() + store.FileToOpen.size() +
        static_cast<std::size_t>(n) * (kBodyBytes + kNextPosBytes) + kChecksumBytes;
    Writer out(size);
    out.bytes().assign(std::begin(kMagic), std::end(kMagic));
    out.Put(kRestartVersion);
    out.Put(static_cast<std::uint64_t>(size));
    out.Put(carry.seed);
    out.Put(store.StepCount);
    out.Put(static_cast<std::uint32_t>(n));
    for (const double* parameter : Parameters(store))
        out.Put(*parameter);
    out.Put(static_cast<std::uint8_t>(carry.pictureDrawn));
    out.Put(static_cast<std::uint8_t>(carry.textsShown));
    out.Put(carry.shownEnergy);
    out.Put(carry.shownTimeStep);
    for (const std::string* text :
         {&store.Plane, &store.DrawnPlane, &store.FileName, &store.FileToOpen})
        out.PutText(*text);
    for (const Body& b : store.Bodies)
        for (double v : {b.x, b.y, b.z, b.vx, b.vy, b.vz, b.ax, b.ay, b.az, b.mass})
            out.Put(v);
    for (const Point3& p : store.NextPos)
        for (double v : {p.x, p.y, p.z})
            out.Put(v);
    out.Put(Crc32(out.bytes().data(), out.bytes().size()));
    return std::move(out.bytes());
}

Restart DecodeRestart(const Bytes& bytes) {
    Reader in(bytes, CheckFrame(bytes));
    Restart r;
    Store& s = r.store;
    r.carry.seed = in.Get<std::uint32_t>();
    s.StepCount = in.Get<std::int64_t>();
    const auto n = in.Get<std::uint32_t>();
    if (s.StepCount < 0 || n < 1 || n > kMaxBodies) throw Refused(FileProblem::RestartInconsistent);
    for (double* parameter : Parameters(s))
        *parameter = in.Get<double>();
    r.carry.pictureDrawn = in.GetFlag();
    r.carry.textsShown = in.GetFlag();
    r.carry.shownEnergy = in.Get<double>();
    r.carry.shownTimeStep = in.Get<double>();
    for (std::string* text : {&s.Plane, &s.DrawnPlane, &s.FileName, &s.FileToOpen})
        *text = in.GetText();
    s.RecreateTables(static_cast<int>(n));
    for (Body& b : s.Bodies)
        for (double* v : {&b.x, &b.y, &b.z, &b.vx, &b.vy, &b.vz, &b.ax, &b.ay, &b.az, &b.mass})
            *v = in.Get<double>();
    for (Point3& p : s.NextPos)
        for (double* v : {&p.x, &p.y, &p.z})
            *v = in.Get<double>();
    if (!in.AtEnd()) throw Refused(FileProblem::RestartInconsistent);
    return r;
}

void WriteRestart(const std::string& path, const Store& store, const RunCarry& carry) {
    WriteFileAtomically(path, EncodeRestart(store, carry));
}

Restart ReadRestart(const std::string& path) {
    // One byte more than the largest file, so that an overlong one shows as such.
    const Bytes bytes = ReadFilePrefix(path, kMaxRestartBytes + 1);
    try {
        return DecodeRestart(bytes);
    } catch (const RestartRefused& refused) {
        throw FileError(FileAction::Resume, path, refused.reason);
    }
}
