// halvora-sim's machine description, read as the runner reads a file: the nesting check, the
// JSON parser, then the description's own reader. Every input ends in a description or an error
// text; none may crash or throw.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/sim/machine/sim_json.hpp"
#include "platform/sim/machine/sim_machine_description.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace halvora::sim;
    std::string error;
    const auto json = parseJsonText(std::string(reinterpret_cast<const char*>(data), size), "machine description",
                                    /*allowComments=*/true, error);
    if (!json) return 0;
    // A folder that is never there: reading a description must not need one.
    const auto description = parseMachineDescription(*json, "/nonexistent/halvora-fuzz", error);
    if (!description && error.empty()) __builtin_trap();  // a refusal always says why
    return 0;
}
