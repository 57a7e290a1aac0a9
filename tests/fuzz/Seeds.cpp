// The seed inputs.
#include "tests/fuzz/Seeds.h"

#include <cstring>
#include <limits>

#include "start/Settings.h"
#include "start/StartParameters.h"
#include "storage/Snapshot.h"

namespace {

Bytes CloudSnapshot() {
    StartTexts texts;
    texts.TextN = "5";
    Store store;
    StartRun(store, texts);
    return EncodeSnapshot(store);
}

// A snapshot of n zero bodies whose count field says count.
Bytes ZeroBodies(int n, int count) {
    Bytes bytes(SnapshotSize(n), 0);
    const auto u = static_cast<std::uint16_t>(count);
    bytes[0] = static_cast<std::uint8_t>(u & 0xFF);
    bytes[1] = static_cast<std::uint8_t>(u >> 8);
    return bytes;
}

Bytes WithValue(Bytes bytes, std::size_t offset, double v) {
    std::memcpy(bytes.data() + offset, &v, sizeof v);
    return bytes;
}

std::string JoinedByNul(const StartTexts& texts) {
    std::string joined;
    for (int k = 0; k < kStartBoxCount; ++k)
        joined += texts.text(StartBox(k)) + '\0';
    return joined;
}

}  // namespace

std::vector<Bytes> SnapshotSeeds() {
    Bytes example = WithValue(WithValue(ZeroBodies(1, 1), 2, 1.0), 50, 2.0);
    example.insert(example.end(), {0xFF, 0xFF, 0xF8, 0x7F});  // ignored after the record
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    return {CloudSnapshot(),
            example,
            {},
            {0x01},
            ZeroBodies(0, 0),
            ZeroBodies(1, -1),
            ZeroBodies(1, 32767),
            ZeroBodies(1, 2),
            WithValue(ZeroBodies(2, 2), 2 + 56 + 48, nan),
            WithValue(ZeroBodies(1, 1), 10, -inf)};
}

std::vector<std::string> SettingsSeeds() {
    StartTexts unusual;
    unusual.TextN = " 42 ";
    unusual.TextG = "6,67e-11";
    unusual.TextNo = "частота, 0.1";
    unusual.TextM = "two\r\nlines";
    unusual.TextIM = "";
    return {FormatSettings(StartTexts{}),
            "  100\n6.67e-11, 5\n\"a,b\"  junk\n\n x \r\nlast",
            "\"unterminated, value\nrest",
            JoinedByNul(StartTexts{}),
            JoinedByNul(unusual),
            "\xEF\xBB\xBF" + FormatSettings(unusual),
            "\" 1\"\r\n\"\xf7\xe0\xf1\xf2\xee\xf2\xe0, 0.1\"\r\n\xEF\xBB\xBF\x98"};
}

std::vector<std::string> NumberSeeds() {
    return {" 315360000", "6.67e-11", "0.5e+18", "Text1",    "2.5",      "-0",    ".5",
            "5.",         "1e400",    "-1e-400", "4.9e-324", "6,67e-11", "1E+19", "1e5x"};
}
