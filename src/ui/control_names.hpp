#pragma once
// Every window, control and menu of the program, by the name the toolkits, halvora-sim's scripts
// and its reports know them by. The program names them only through these constants, so a
// misspelt control does not build.

#include "platform/control_name.hpp"

namespace halvora::controls {

// The windows and the options menu.
inline const ControlName MainWindow{"MainWindow"};
inline const ControlName MessageBox{"MessageBox"};
inline const ControlName OptionsMenu{"OptionsMenu"};

// The main window: the title bar and the image list.
inline const ControlName StatusBar{"StatusBar"};
inline const ControlName TitleBarPanel{"TitleBarPanel"};
inline const ControlName ImageListSizeToggle{"ImageListSizeToggle"};
inline const ControlName ImageColumnsToggle{"ImageColumnsToggle"};
inline const ControlName InfoMark{"InfoMark"};
inline const ControlName VersionLabel{"VersionLabel"};
inline const ControlName ImageList{"ImageList"};

// The main view: image file, customisations, install location and boot location.
inline const ControlName MainPanel{"MainPanel"};
inline const ControlName ImageFileButton{"ImageFileButton"};
inline const ControlName ImageFileEdit{"ImageFileEdit"};
inline const ControlName SearchButton{"SearchButton"};
inline const ControlName OemButton{"OemButton"};
inline const ControlName OemEdit{"OemEdit"};
inline const ControlName OemTreeButton{"OemTreeButton"};
inline const ControlName OemClearButton{"OemClearButton"};
inline const ControlName XmlButton{"XmlButton"};
inline const ControlName XmlEdit{"XmlEdit"};
inline const ControlName XmlClearButton{"XmlClearButton"};
inline const ControlName TargetButton{"TargetButton"};
inline const ControlName TargetUsedCaption{"TargetUsedCaption"};
inline const ControlName TargetUsedLabel{"TargetUsedLabel"};
inline const ControlName OptionSummaryLabel{"OptionSummaryLabel"};
inline const ControlName OptionsButton{"OptionsButton"};
inline const ControlName TargetFormatButton{"TargetFormatButton"};
inline const ControlName BootButton{"BootButton"};
inline const ControlName BootUsedCaption{"BootUsedCaption"};
inline const ControlName BootUsedLabel{"BootUsedLabel"};
inline const ControlName BootLocaleCombo{"BootLocaleCombo"};
inline const ControlName BootFirmwareCombo{"BootFirmwareCombo"};
inline const ControlName KeepBootEntriesCheck{"KeepBootEntriesCheck"};
inline const ControlName BootRepairButton{"BootRepairButton"};
inline const ControlName BootClearButton{"BootClearButton"};
inline const ControlName BootFormatButton{"BootFormatButton"};
inline const ControlName TargetRow{"TargetRow"};
inline const ControlName BootRow{"BootRow"};

// The install-location picker.
inline const ControlName TargetPanel{"TargetPanel"};
inline const ControlName TargetPanelCaption{"TargetPanelCaption"};
inline const ControlName TargetRefreshButton{"TargetRefreshButton"};
inline const ControlName TargetDriveList{"TargetDriveList"};
inline const ControlName TargetDoneButton{"TargetDoneButton"};
inline const ControlName TargetCancelButton{"TargetCancelButton"};

// The boot-location picker.
inline const ControlName BootPanel{"BootPanel"};
inline const ControlName BootPanelCaption{"BootPanelCaption"};
inline const ControlName BootRefreshButton{"BootRefreshButton"};
inline const ControlName BootDriveList{"BootDriveList"};
inline const ControlName BootDoneButton{"BootDoneButton"};
inline const ControlName BootCancelButton{"BootCancelButton"};

// The install-file search.
inline const ControlName SearchPanel{"SearchPanel"};
inline const ControlName SearchPanelCaption{"SearchPanelCaption"};
inline const ControlName ReloadExclusionsButton{"ReloadExclusionsButton"};
inline const ControlName SearchResultList{"SearchResultList"};
inline const ControlName ScanDepthCaption{"ScanDepthCaption"};
inline const ControlName ScanDepthSpin{"ScanDepthSpin"};
inline const ControlName SearchAgainButton{"SearchAgainButton"};
inline const ControlName SkipOsDriveCheck{"SkipOsDriveCheck"};
inline const ControlName IncludeIsoCheck{"IncludeIsoCheck"};
inline const ControlName SearchDoneButton{"SearchDoneButton"};
inline const ControlName SearchBackButton{"SearchBackButton"};

// The bottom line: image number, description, after-install action, the install button.
inline const ControlName BottomPanel{"BottomPanel"};
inline const ControlName ImageIndexEdit{"ImageIndexEdit"};
inline const ControlName DescriptionCaption{"DescriptionCaption"};
inline const ControlName DescriptionEdit{"DescriptionEdit"};
inline const ControlName AfterInstallCaption{"AfterInstallCaption"};
inline const ControlName AfterInstallCombo{"AfterInstallCombo"};
inline const ControlName InstallButton{"InstallButton"};

// The message box.
inline const ControlName MessageBoxText{"MessageBoxText"};
inline const ControlName MessageBoxStrip{"MessageBoxStrip"};
inline const ControlName MessageBoxIcon{"MessageBoxIcon"};
inline const ControlName MessageBoxYes{"MessageBoxYes"};
inline const ControlName MessageBoxNo{"MessageBoxNo"};
inline const ControlName MessageBoxCancel{"MessageBoxCancel"};
inline const ControlName MessageBoxOk{"MessageBoxOk"};

}  // namespace halvora::controls
