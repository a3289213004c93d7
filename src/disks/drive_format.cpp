#include "disks/drive_format.hpp"

#include "base/text.hpp"
#include "disks/drive_lists.hpp"
#include "disks/drive_row.hpp"
#include "disks/volume_identity.hpp"
#include "ui/main_window_layout.hpp"
#include "ui/status_bar.hpp"

namespace halvora {

namespace {

constexpr std::uint32_t kFormatDefault = 0xFFFF;  // SHFMT_ID_DEFAULT

}  // namespace

bool checkFormatTarget(Program& program, const std::wstring& path, bool show) {
    Toolkit& ui = program.ui;
    auto say = [&](const wchar_t* text) {
        if (show) showStatus(program, text);
    };
    const std::wstring drive = toUpper(replaceAll(path, L":\\", L":"));
    if (path.empty() || !program.system.folderExists(path)) {
        say(L"드라이브를 지정하세요.");
        return false;
    }
    bool allowed = true;
    if (equalsIgnoreCase(drive, program.state.SystemDrive)) {
        allowed = false;
        say(L"선택한 드라이브는 현재 사용 중인 시스템 드라이브 입니다.");
    }
    if (drive == ui.cell(controls::BootRow, 0, kDriveColumn) &&
        ui.cell(controls::BootRow, 0, kBootTypeColumn) == L"ESP") {
        DeviceNumber system;
        if (getDeviceNumber(program.system, program.state.SystemDrive, system) &&
            ui.cell(controls::BootRow, 0, kDiskColumn) == std::to_wstring(system.DeviceNumber)) {
            allowed = false;
            say(L"선택한 드라이브는 현재 시스템 드라이브와 같은 디스크에 있는 ESP 입니다.");
        }
    }
    PartitionInfo partition;
    if (getPartitionInfo(program.system, drive, partition) && isMbrEsp(partition)) {
        allowed = false;
        say(L"MBR ESP. 포맷하면 EF 값이 변경되어 일반 파티션으로 변경 됩니다.");
    }
    if (program.state.Busy.load()) allowed = false;
    return allowed;
}

std::uint32_t formatDrive(Program& program, const std::wstring& drive) {
    if (drive.empty()) return 0;
    const int index = toUpperChar(drive[0]) - L'A';
    if (index < 0 || index > 25) return 0;
    return program.ui.formatDrive(controls::MainWindow, static_cast<std::uint32_t>(index), kFormatDefault, 0);
}

void formatChosenDrive(Program& program, const ControlName& oneRow) {
    const std::wstring drive = program.ui.cell(oneRow, 0, kDriveColumn);
    if (!checkFormatTarget(program, drive, true)) return;
    formatDrive(program, drive);
    refreshChosenRow(program, controls::TargetRow, controls::TargetDriveList);
    refreshChosenRow(program, controls::BootRow, controls::BootDriveList);
}

}  // namespace halvora
