// Restart files: everything the next tick of a run reads, so that a run stopped after any
// tick goes on exactly as if it had not stopped. Our own binary format, little-endian:
//
//   offset  bytes  content
//   0       8      magic "KVXR" CR LF 0x1A LF (a text transfer or a foreign file shows)
//   8       4      format version, 1
//   12      8      length of the whole file in bytes
//   20      4      seed of the cloud
//   24      8      step count
//   32      4      N, 1..32766
//   36      88     Size1, Size2, M, IM, G, dT, No, TotalMass, Xc, Yc, Zc (doubles)
//   124     1      1 when the picture shows the bodies on DrawnPlane, 0 while it is black
//   125     1      1 when a tick has shown its texts, 0 while the design captions show
//   126     16     that tick's energy and time step (doubles)
//   142     ...    Plane, DrawnPlane, FileName, FileToOpen: each a 4-byte length and bytes
//           80 N   the bodies: x, y, z, vx, vy, vz, ax, ay, az, mass
//           24 N   NextPos: x, y, z
//   end-4   4      zlib's crc32 of every byte before it
#pragma once

#include <cstdint>
#include <string>

#include "core/FileError.h"
#include "core/Store.h"
#include "storage/FileAccess.h"

inline constexpr std::uint32_t kRestartVersion = 1;
/// Longest plane or file name a restart file holds.
inline constexpr std::size_t kMaxRestartText = 65536;

/// What a run carries from tick to tick besides the store: the seed its cloud was built
/// from, whether the picture has been drawn on, and the texts the last tick showed.
struct RunCarry {
    std::uint32_t seed = 0;
    bool pictureDrawn = false;  ///< false only before the first draw pass: the picture is black
    bool textsShown = false;    ///< a tick has reached its end and shown its texts
    double shownEnergy = 0;     ///< the energy that tick showed
    double shownTimeStep = 0;   ///< and its time step
};

struct Restart {
    Store store;
    RunCarry carry;
};

/// The restart file's bytes for the state between two ticks.
Bytes EncodeRestart(const Store& store, const RunCarry& carry);

/// The state a restart file holds. Throws RestartRefused with the reason, having built
/// nothing, when the bytes are not a whole, intact restart file of a known version.
Restart DecodeRestart(const Bytes& bytes);

struct RestartRefused {
    FileReason reason;
};

/// Writes the restart file atomically and durably. Throws FileError.
void WriteRestart(const std::string& path, const Store& store, const RunCarry& carry);

/// Reads the restart file at path. Throws FileError (action Resume) when it cannot be read
/// or is refused.
Restart ReadRestart(const std::string& path);
