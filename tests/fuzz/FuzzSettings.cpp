// Fuzz target: any bytes as a settings file, and the same bytes as eight texts to write.
#include <cstdint>

#include "tests/fuzz/FuzzFailure.h"
#include "tests/fuzz/Properties.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    AbortOnFailure(CheckSettingsFile(input));
    AbortOnFailure(CheckSettingsRoundTrip(SplitIntoTexts(input)));
    return 0;
}
