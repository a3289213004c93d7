// halvora-sim's script: the nesting check, the JSON parser, then the steps' readers.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/sim/machine/sim_json.hpp"
#include "platform/sim/runner/sim_runner_script.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace halvora::sim;
    std::string error;
    const auto json =
        parseJsonText(std::string(reinterpret_cast<const char*>(data), size), "script", /*allowComments=*/false, error);
    if (!json) return 0;
    const auto steps = parseScript(*json, error);
    if (!steps && error.empty()) __builtin_trap();  // a refusal always says why
    return 0;
}
