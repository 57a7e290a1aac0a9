// Fuzz target: any bytes as the text of a start form box.
#include <cstdint>

#include "FuzzFailure.h"
#include "Properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    AbortOnFailure(CheckParseNumber(std::string_view(reinterpret_cast<const char*>(data), size)));
    return 0;
}
