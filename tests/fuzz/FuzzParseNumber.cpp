// Fuzz target: any bytes as the text of a start form box.
#include <cstdint>

#include "tests/fuzz/FuzzFailure.h"
#include "tests/fuzz/Properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    AbortOnFailure(CheckParseNumber(std::string_view(reinterpret_cast<const char*>(data), size)));
    return 0;
}
