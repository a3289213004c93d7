#pragma once
// Where WIMApplyImage writes on the simulated machine: the target the program names ("E:",
// "E:\" or a folder on a drive), its host folder, and the room left on the volume behind it.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/sim/imaging/sim_image_apply.hpp"
#include "platform/sim/machine/sim_machine.hpp"

namespace halvora::sim {

// 0, or 3 (ERROR_PATH_NOT_FOUND) when `path` names no existing folder of the machine.
std::uint32_t resolveApplyTarget(const std::shared_ptr<SimMachine>& machine, const std::wstring& path,
                                 ApplyTarget& target);

}  // namespace halvora::sim
