// TEMPORARY: every call fails with ERROR_CALL_NOT_IMPLEMENTED until the wimlib-backed
// implementation lands in this same piece of work.
#include "platform/sim/sim_imaging.hpp"

namespace halvora::sim {

namespace {
constexpr std::uint32_t kNotImplemented = 120;
}

SimImaging::SimImaging(std::shared_ptr<SimMachine> machine) : machine_(std::move(machine)) {}
SimImaging::~SimImaging() = default;
std::uint32_t SimImaging::lastError() { return kNotImplemented; }
WimHandle SimImaging::createFile(const std::wstring&, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                                 std::uint32_t*) { return 0; }
bool SimImaging::closeHandle(WimHandle) { return false; }
bool SimImaging::getImageInformation(WimHandle, std::u16string&) { return false; }
bool SimImaging::getAttributes(WimHandle, void*, std::uint32_t) { return false; }
bool SimImaging::setReferenceFile(WimHandle, const std::wstring&, std::uint32_t) { return false; }
bool SimImaging::setTemporaryPath(WimHandle, const std::wstring&) { return false; }
WimHandle SimImaging::loadImage(WimHandle, std::uint32_t) { return 0; }
bool SimImaging::applyImage(WimHandle, const std::wstring&, std::uint32_t) { return false; }
std::uint32_t SimImaging::registerMessageCallback(WimHandle, WimMessageCallback) { return kWimInvalidCallback; }
bool SimImaging::unregisterMessageCallback(WimHandle) { return false; }
bool SimImaging::registerLogFile(const std::wstring&, std::uint32_t) { return false; }
bool SimImaging::unregisterLogFile(const std::wstring&) { return false; }

}  // namespace halvora::sim
