#include "app/single_instance.hpp"

#include "base/text.hpp"
#include "base/utf.hpp"

namespace halvora {

namespace {
constexpr std::uint32_t kErrorAlreadyExists = 183;
}

std::wstring handOverText(const std::vector<std::wstring>& arguments) {
    std::wstring text;
    for (const auto& argument : arguments) text += argument + L"|";
    return text;
}

std::string handOverPayload(const std::wstring& text) {
    const std::u16string units = toUtf16(text);
    std::string bytes;
    bytes.reserve((units.size() + 1) * 2);
    for (char16_t unit : units) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    bytes += std::string(2, '\0');
    return bytes;
}

std::optional<std::wstring> readHandOver(const void* data, std::uint32_t size) {
    if (data == nullptr || size % 2 != 0 || size > kMaxHandOverBytes) return std::nullopt;
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::u16string units;
    for (std::uint32_t i = 0; i + 1 < size; i += 2) {
        const char16_t unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == 0) break;
        units += unit;
    }
    return fromUtf16(units);
}

InstanceRole ensureSingleInstance(System& system, const std::wstring& mutexName, const std::wstring& title,
                                  std::unique_ptr<SystemHandle>& mutex) {
    std::uint32_t lastError = 0;
    auto handle = system.createMutex(mutexName, lastError);
    if (!handle || lastError != kErrorAlreadyExists) {
        mutex = std::move(handle);
        return InstanceRole::First;
    }
    handle.reset();
    const std::wstring text = handOverText(system.arguments());
    if (!text.empty()) {
        if (const std::uint64_t window = system.findWindow(title)) {
            const std::string payload = handOverPayload(text);
            system.sendCopyData(window, 0, payload.data(), static_cast<std::uint32_t>(payload.size()));
        }
    }
    return InstanceRole::HandedOver;
}

}  // namespace halvora
