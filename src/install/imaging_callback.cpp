#include "install/imaging_callback.hpp"

#include "install/apply_progress.hpp"

namespace halvora {

void registerImagingCallback(Program& program) {
    program.system.imaging().registerMessageCallback(
        0, [&program](std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
            return onImagingMessage(program, message, wParam, lParam);
        });
}

void unregisterImagingCallback(Program& program) { program.system.imaging().unregisterMessageCallback(0); }

}  // namespace halvora
