// The arguments the simulated Bcdboot.exe is started with, one word per line of the input.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/text.hpp"
#include "fuzz_input.hpp"
#include "platform/sim/programs/sim_bcdboot_arguments.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace halvora;
    const std::vector<std::wstring> words = split(fuzzing::wideText(data, size), L'\n');
    std::wstring problem;
    const auto arguments = sim::parseBcdbootArguments(words, problem);
    if (!arguments && problem.empty()) __builtin_trap();  // a refusal always says why
    return 0;
}
