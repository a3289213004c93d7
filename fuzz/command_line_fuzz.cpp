// The command line, as this process gets it or as a second one hands it over. An /Index: that
// does not fit an int must not wrap round (the sanitizer reports that); every drive named is
// cut to "X:".

#include <cstddef>
#include <cstdint>

#include "app/command_line.hpp"
#include "fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace halvora;
    const ParsedCommandLine parsed = parseArguments(fuzzing::wideText(data, size));
    for (const auto& drive : parsed.applyDrives) {
        if (drive.size() > 2) __builtin_trap();  // a drive is at most "X:"
    }
    return 0;
}
