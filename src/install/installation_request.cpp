#include "install/installation_request.hpp"

#include "base/text.hpp"
#include "disks/drive_row.hpp"
#include "ui/main_window_layout.hpp"

namespace halvora {

namespace {

constexpr int kImageBytesColumn = 9;

BootSettings readBootSettings(Program& program) {
    Toolkit& ui = program.ui;
    BootSettings settings;
    settings.locale = ui.comboItem(controls::BootLocaleCombo, ui.comboSelection(controls::BootLocaleCombo));
    settings.firmware = ui.comboItem(controls::BootFirmwareCombo, ui.comboSelection(controls::BootFirmwareCombo));
    settings.keepBootEntries = ui.isChecked(controls::KeepBootEntriesCheck);
    return settings;
}

bool menuItemMarked(Program& program, int item) { return program.ui.isMenuItemChecked(controls::OptionsMenu, item); }

}  // namespace

ChosenVolume readChosenVolume(Program& program, const ControlName& oneRow) {
    Toolkit& ui = program.ui;
    ChosenVolume volume;
    volume.drive = ui.cell(oneRow, 0, kDriveColumn);
    volume.disk = ui.cell(oneRow, 0, kDiskColumn);
    volume.style = ui.cell(oneRow, 0, kStyleColumn);
    volume.bootType = ui.cell(oneRow, 0, kBootTypeColumn);
    volume.freeBytes = parseLeadingInteger(ui.cell(oneRow, 0, kFreeColumn));
    volume.driveType = ui.cell(oneRow, 0, kDriveTypeColumn);
    volume.bus = ui.cell(oneRow, 0, kBusColumn);
    return volume;
}

InstallationRequest readInstallationRequest(Program& program, bool automatic) {
    Toolkit& ui = program.ui;
    InstallationRequest request;
    request.imageFile = ui.text(controls::ImageFileEdit);
    request.indexText = ui.text(controls::ImageIndexEdit);
    request.index = parseLeadingInteger(trimSpaces(request.indexText));
    if (request.index > 0) {
        const int row = static_cast<int>(request.index - 1);
        request.imageBytes = parseLeadingInteger(ui.cell(controls::ImageList, row, kImageBytesColumn));
    }
    request.target = readChosenVolume(program, controls::TargetRow);
    request.boot = readChosenVolume(program, controls::BootRow);
    request.bootSettings = readBootSettings(program);
    request.options.verify = menuItemMarked(program, kMenuVerify);
    request.options.compact = menuItemMarked(program, kMenuCompact);
    request.options.wimBoot = menuItemMarked(program, kMenuWimBoot);
    request.options.checkIntegrity = menuItemMarked(program, kMenuCheck);
    request.options.imagingLog = menuItemMarked(program, kMenuLog);
    request.oemFolder = ui.text(controls::OemEdit);
    request.answerFile = ui.text(controls::XmlEdit);
    request.automatic = automatic;
    return request;
}

BootRepairRequest readBootRepairRequest(Program& program) {
    BootRepairRequest request;
    request.target = readChosenVolume(program, controls::TargetRow);
    request.boot = readChosenVolume(program, controls::BootRow);
    request.bootSettings = readBootSettings(program);
    request.imagingLog = menuItemMarked(program, kMenuLog);
    return request;
}

void keepRequest(Program& program, InstallationRequest request) { program.request = std::move(request); }

void keepRequest(Program& program, BootRepairRequest request) { program.request = std::move(request); }

const InstallationRequest* keptInstallation(const Program& program) {
    return std::any_cast<InstallationRequest>(&program.request);
}

const BootRepairRequest* keptBootRepair(const Program& program) {
    return std::any_cast<BootRepairRequest>(&program.request);
}

}  // namespace halvora
