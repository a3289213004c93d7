// TEMPORARY: every call fails with ERROR_CALL_NOT_IMPLEMENTED until the wimgapi.dll loader lands
// in this same piece of work.
#include "platform/win32/win32_imaging.hpp"

namespace halvora::win32 {

namespace {

constexpr std::uint32_t kNotImplemented = 120;

class Unavailable final : public ImagingLibrary {
public:
    std::uint32_t lastError() override { return kNotImplemented; }
    WimHandle createFile(const std::wstring&, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                         std::uint32_t*) override { return 0; }
    bool closeHandle(WimHandle) override { return false; }
    bool getImageInformation(WimHandle, std::u16string&) override { return false; }
    bool getAttributes(WimHandle, void*, std::uint32_t) override { return false; }
    bool setReferenceFile(WimHandle, const std::wstring&, std::uint32_t) override { return false; }
    bool setTemporaryPath(WimHandle, const std::wstring&) override { return false; }
    WimHandle loadImage(WimHandle, std::uint32_t) override { return 0; }
    bool applyImage(WimHandle, const std::wstring&, std::uint32_t) override { return false; }
    std::uint32_t registerMessageCallback(WimHandle, WimMessageCallback) override { return kWimInvalidCallback; }
    bool unregisterMessageCallback(WimHandle) override { return false; }
    bool registerLogFile(const std::wstring&, std::uint32_t) override { return false; }
    bool unregisterLogFile(const std::wstring&) override { return false; }
};

}  // namespace

std::unique_ptr<ImagingLibrary> openImagingLibrary() { return std::make_unique<Unavailable>(); }

}  // namespace halvora::win32
