#include "images/imaging_callback.hpp"

namespace halvora {

void registerImagingCallback(Program& program) {
    // Opening and reading files sends no message the program acts on; every operation goes on.
    // The apply's progress, errors and cancel are handled here once the installer applies images.
    program.system.imaging().registerMessageCallback(
        0, [](std::uint32_t, std::uintptr_t, std::intptr_t) { return kWimMsgSuccess; });
}

void unregisterImagingCallback(Program& program) { program.system.imaging().unregisterMessageCallback(0); }

}  // namespace halvora
