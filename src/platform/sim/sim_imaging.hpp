#pragma once
// wimgapi.dll on the simulated machine, answered with wimlib.

#include <memory>

#include "platform/imaging.hpp"
#include "platform/sim/sim_machine.hpp"

namespace halvora::sim {

class SimImaging final : public ImagingLibrary {
public:
    explicit SimImaging(std::shared_ptr<SimMachine> machine);
    ~SimImaging() override;

    std::uint32_t lastError() override;
    WimHandle createFile(const std::wstring& path, std::uint32_t access, std::uint32_t disposition,
                         std::uint32_t flags, std::uint32_t compression,
                         std::uint32_t* creationResult) override;
    bool closeHandle(WimHandle handle) override;
    bool getImageInformation(WimHandle handle, std::u16string& information) override;
    bool getAttributes(WimHandle handle, void* info, std::uint32_t size) override;
    bool setReferenceFile(WimHandle handle, const std::wstring& path, std::uint32_t flags) override;
    bool setTemporaryPath(WimHandle handle, const std::wstring& path) override;
    WimHandle loadImage(WimHandle handle, std::uint32_t index) override;
    bool applyImage(WimHandle image, const std::wstring& path, std::uint32_t flags) override;
    std::uint32_t registerMessageCallback(WimHandle handle, WimMessageCallback callback) override;
    bool unregisterMessageCallback(WimHandle handle) override;
    bool registerLogFile(const std::wstring& path, std::uint32_t flags) override;
    bool unregisterLogFile(const std::wstring& path) override;

private:
    std::shared_ptr<SimMachine> machine_;
};

}  // namespace halvora::sim
