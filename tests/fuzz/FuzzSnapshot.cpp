// Fuzz target: any bytes as a snapshot file.
#include <cstdint>

#include "tests/fuzz/FuzzFailure.h"
#include "tests/fuzz/Properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    AbortOnFailure(CheckSnapshot(Bytes(data, data + size)));
    return 0;
}
