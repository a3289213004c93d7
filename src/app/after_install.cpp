#include "app/after_install.hpp"

namespace halvora {

namespace {

constexpr std::uint32_t kPrivilegeEnabled = 2;  // SE_PRIVILEGE_ENABLED

}  // namespace

void requestShutdown(Program& program, bool reboot) {
    program.system.enablePrivilege(L"SeShutdownPrivilege", kPrivilegeEnabled);
    program.system.initiateSystemShutdown(L"Exit", 1, false, reboot);
}

}  // namespace halvora
