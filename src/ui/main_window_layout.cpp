#include "ui/main_window_layout.hpp"

namespace halvora {

namespace {

ControlSpec control(ControlName name, ControlKind kind, ControlName parent, std::wstring text, Rect rect,
                    unsigned flags = 0) {
    return ControlSpec{std::move(name), kind, std::move(parent), std::move(text), rect, flags};
}

constexpr int kPanelWidth = kMainWindowWidth;
constexpr int kPickerHeight = 280;
constexpr int kSearchHeight = 450;
constexpr unsigned kListFlags = kFullRowSelect | kShowSelectionAlways;

// The install-location and boot-location pickers share one layout.
struct PickerNames {
    const ControlName& panel;
    const ControlName& caption;
    const ControlName& refresh;
    const ControlName& list;
    const ControlName& done;
    const ControlName& cancel;
};

void addPicker(std::vector<ControlSpec>& out, const PickerNames& names, const std::wstring& caption) {
    const ControlName& panel = names.panel;
    out.push_back(control(panel, ControlKind::Panel, controls::MainWindow, L"", {0, 170, kPanelWidth, kPickerHeight}));
    out.push_back(control(names.caption, ControlKind::Label, panel, caption, {10, 5, 90, 20}, kAlignCentre));
    out.push_back(control(names.refresh, ControlKind::Button, panel, L"새로 고침", {670, 5, 90, 20}));
    out.push_back(control(names.list, ControlKind::List, panel, L"", {10, 25, 750, kPickerHeight - 55}, kListFlags));
    out.push_back(control(names.done, ControlKind::Button, panel, L"선택 완료",
                          {kPanelWidth / 2 - 95, kPickerHeight - 25, 90, 20}));
    out.push_back(
        control(names.cancel, ControlKind::Button, panel, L"취소", {kPanelWidth / 2 + 5, kPickerHeight - 25, 90, 20}));
}

std::vector<ControlSpec> buildControls() {
    using K = ControlKind;
    std::vector<ControlSpec> c;
    const int right = kMainWindowWidth;
    c.push_back(control(controls::StatusBar, K::StatusBar, controls::MainWindow, L"", {}));

    c.push_back(control(controls::TitleBarPanel, K::Panel, controls::MainWindow, L"", {0, 0, kPanelWidth, 20}));
    c.push_back(control(controls::ImageListSizeToggle, K::ClickLabel, controls::TitleBarPanel, kToggleOff,
                        {right - 46, 1, 17, 18}, kAlignCentre));
    c.push_back(control(controls::ImageColumnsToggle, K::ClickLabel, controls::TitleBarPanel, kToggleOff,
                        {right - 27, 1, 17, 18}, kAlignCentre));
    c.push_back(control(controls::InfoMark, K::ClickLabel, controls::TitleBarPanel, L"ⓘ", {10, 1, 17, 18}));
    c.push_back(control(controls::VersionLabel, K::ClickLabel, controls::TitleBarPanel, programVersionText(),
                        {28, 1, 100, 18}));
    c.push_back(control(controls::ImageList, K::List, controls::MainWindow, L"", {10, 20, 750, kImageListNormalHeight},
                        kListFlags));

    const ControlName& mp = controls::MainPanel;
    c.push_back(control(mp, K::Panel, controls::MainWindow, L"", {0, 240, kPanelWidth, 200}));
    c.push_back(control(controls::ImageFileButton, K::Button, mp, L"설치 파일", {10, 5, 90, 20}));
    c.push_back(control(controls::ImageFileEdit, K::Edit, mp, L"", {105, 5, 630, 20}, kReadOnly));
    c.push_back(control(controls::SearchButton, K::Button, mp, L"S", {740, 5, 20, 20}));
    c.push_back(control(controls::OemButton, K::Button, mp, L"$OEM$ 위치", {15, 30, 85, 20}));
    c.push_back(control(controls::OemEdit, K::Edit, mp, L"", {105, 30, 605, 20}, kReadOnly));
    c.push_back(control(controls::OemTreeButton, K::Button, mp, L"…", {715, 30, 20, 20}));
    c.push_back(control(controls::OemClearButton, K::Button, mp, L"-", {740, 30, 20, 20}));
    c.push_back(control(controls::XmlButton, K::Button, mp, L"XML 파일", {15, 55, 85, 20}));
    c.push_back(control(controls::XmlEdit, K::Edit, mp, L"", {105, 55, 630, 20}, kReadOnly));
    c.push_back(control(controls::XmlClearButton, K::Button, mp, L"-", {740, 55, 20, 20}));
    c.push_back(control(controls::TargetButton, K::Button, mp, L"설치 위치", {10, 90, 90, 20}));
    c.push_back(
        control(controls::TargetUsedCaption, K::Label, mp, L"사용 중인 공간:", {105, 91, 105, 18}, kAlignRight));
    c.push_back(control(controls::TargetUsedLabel, K::Label, mp, L"", {210, 91, 75, 18}, kAlignRight));
    c.push_back(control(controls::OptionSummaryLabel, K::Label, mp, L"", {305, 91, 405, 18}, kAlignRight));
    c.push_back(control(controls::OptionsButton, K::Button, mp, L"▾", {715, 90, 20, 20}));
    c.push_back(control(controls::TargetFormatButton, K::Button, mp, L"F", {740, 90, 20, 20}));
    c.push_back(control(controls::BootButton, K::Button, mp, L"부팅 위치", {10, 150, 90, 20}));
    c.push_back(control(controls::BootUsedCaption, K::Label, mp, L"사용 중인 공간:", {105, 151, 105, 18}, kAlignRight));
    c.push_back(control(controls::BootUsedLabel, K::Label, mp, L"", {210, 151, 75, 18}, kAlignRight));
    c.push_back(control(controls::BootLocaleCombo, K::Combo, mp, L"", {385, 148, 65, 21}));
    c.push_back(control(controls::BootFirmwareCombo, K::Combo, mp, L"", {455, 148, 60, 21}));
    c.push_back(control(controls::KeepBootEntriesCheck, K::Check, mp, L"기본 부팅 항목 유지", {520, 148, 150, 20}));
    c.push_back(control(controls::BootRepairButton, K::Button, mp, L"B", {690, 150, 20, 20}));
    c.push_back(control(controls::BootClearButton, K::Button, mp, L"-", {715, 150, 20, 20}));
    c.push_back(control(controls::BootFormatButton, K::Button, mp, L"F", {740, 150, 20, 20}));
    c.push_back(control(controls::TargetRow, K::DriveRow, mp, L"", {10, 110, 750, 25}));
    c.push_back(control(controls::BootRow, K::DriveRow, mp, L"", {10, 170, 750, 25}));

    addPicker(c,
              {controls::TargetPanel, controls::TargetPanelCaption, controls::TargetRefreshButton,
               controls::TargetDriveList, controls::TargetDoneButton, controls::TargetCancelButton},
              L"설치 위치");
    addPicker(c,
              {controls::BootPanel, controls::BootPanelCaption, controls::BootRefreshButton, controls::BootDriveList,
               controls::BootDoneButton, controls::BootCancelButton},
              L"부팅 위치");

    const ControlName& sp = controls::SearchPanel;
    c.push_back(control(sp, K::Panel, controls::MainWindow, L"", {0, 15, kPanelWidth, kSearchHeight}));
    c.push_back(control(controls::SearchPanelCaption, K::Label, sp, L"설치 파일 목록", {10, 5, 130, 20}, kAlignCentre));
    c.push_back(control(controls::ReloadExclusionsButton, K::Button, sp, L"제외 목록 다시 읽기", {605, 5, 155, 20}));
    c.push_back(control(controls::SearchResultList, K::List, sp, L"", {10, 25, 750, kSearchHeight - 61}, kListFlags));
    c.push_back(control(controls::ScanDepthCaption, K::Label, sp, L"디렉토리 깊이", {1, kSearchHeight - 28, 100, 20},
                        kAlignRight));
    c.push_back(control(controls::ScanDepthSpin, K::Spin, sp, L"2", {110, kSearchHeight - 30, 50, 20}, kReadOnly));
    c.push_back(control(controls::SearchAgainButton, K::Button, sp, L"다시 검색", {170, kSearchHeight - 30, 90, 20}));
    c.push_back(control(controls::SkipOsDriveCheck, K::Check, sp, L"운영체체 드라이브 생략",
                        {270, kSearchHeight - 30, 170, 20}));
    c.push_back(control(controls::IncludeIsoCheck, K::Check, sp, L"ISO 포함", {445, kSearchHeight - 30, 100, 20}));
    c.push_back(control(controls::SearchDoneButton, K::Button, sp, L"선택 완료",
                        {kPanelWidth - 200, kSearchHeight - 30, 90, 20}));
    c.push_back(
        control(controls::SearchBackButton, K::Button, sp, L"뒤로", {kPanelWidth - 100, kSearchHeight - 30, 90, 20}));

    const ControlName& bp = controls::BottomPanel;
    c.push_back(control(bp, K::Panel, controls::MainWindow, L"", {0, 441, 665, 44}));
    c.push_back(
        control(controls::ImageIndexEdit, K::Edit, bp, L"", {10, 20, 40, 20}, kReadOnly | kAlignCentre | kDigitsOnly));
    c.push_back(control(controls::DescriptionCaption, K::Label, bp, L"설명", {55, 2, 90, 18}));
    c.push_back(control(controls::DescriptionEdit, K::Edit, bp, L"", {50, 20, 485, 20}, kReadOnly));
    c.push_back(control(controls::AfterInstallCaption, K::Label, bp, L"설치 완료 후", {540, 2, 100, 18}));
    c.push_back(control(controls::AfterInstallCombo, K::Combo, bp, L"", {540, 20, 115, 20}));
    c.push_back(control(controls::InstallButton, K::Button, controls::MainWindow, L"설 치", {670, 457, 90, 25}));
    return c;
}

}  // namespace

std::wstring architectureSuffix() { return sizeof(void*) == 8 ? L" x64" : L" x86"; }

std::wstring programVersionText() { return L"v0.7.7.0" + architectureSuffix(); }

const std::vector<ControlSpec>& mainWindowControls() {
    static const std::vector<ControlSpec> controls = buildControls();
    return controls;
}

const std::vector<TooltipSpec>& mainWindowTooltips() {
    static const std::vector<TooltipSpec> tips = {
        {controls::ImageFileButton, L"필수 선택", L"WIM, SWM 파일.\r윈도우8 부터 ESD 지원 및 ISO 탑재 가능.",
         kTooltipInfo, true},
        {controls::SearchButton, L"검색", L"설치 파일 검색.", kTooltipInfo, false},
        {controls::OemButton, L"옵션", L"사용자 지정 시스템 구성 파일들 위치.\r구성에 따라 자동화 가능.",
         kTooltipNoIcon, true},
        {controls::OemTreeButton, L"옵션", L"Tree 방식으로 $OEM$ 위치 선택", kTooltipNoIcon, false},
        {controls::OemClearButton, L"$OEM$ 위치 입력 내용 비우기", L"입력 내용 없으면 $OEM$ 동작 없슴.", kTooltipNoIcon,
         false},
        {controls::XmlButton, L"옵션", L"자동화 무인설치 응답파일 unattend.xml autounattend.xml", kTooltipNoIcon,
         false},
        {controls::XmlClearButton, L"XML 파일 입력 내용 비우기", L"입력 내용 없으면 XML 동작 없슴.", kTooltipNoIcon,
         false},
        {controls::TargetButton, L"필수 선택", L"윈도우 설치 위치.", kTooltipInfo, true},
        {controls::OptionsButton, L"옵션", L"파일 처리 기능.", kTooltipNoIcon, false},
        {controls::TargetFormatButton, L"주의", L"설치 위치 포맷.", kTooltipWarning, false},
        {controls::BootButton, L"부팅 설정시 필수 항목", L"부팅 설정 및 부팅 파일들 설치 위치.", kTooltipInfo, true},
        {controls::BootRepairButton, L"BCDBOOT 를 이용하여 부팅 설정 복구",
         L"Windows 가 정상적으로 설치 되어 있을 경우 복구 가능.", kTooltipInfo, true},
        {controls::KeepBootEntriesCheck, L"부팅 설정 옵션",
         L"기존의 기본 Windows 부팅 항목을 보존하도록 지정합니다.\r윈도우 다중 설치시 선택 옵션.", kTooltipNoIcon,
         true},
        {controls::BootClearButton, L"부팅 위치 입력 내용 비우기", L"입력 내용 없으면 자동 부팅 설정 동작 없슴.",
         kTooltipNoIcon, false},
        {controls::BootFormatButton, L"주의", L"부팅 위치 포맷.", kTooltipWarning, false},
        {controls::BootLocaleCombo, L"부팅 설정 옵션", L"BCD 저장소를 초기화할 때 사용하는 선택적 로캘 매개 변수.",
         kTooltipNoIcon, false},
        {controls::BootFirmwareCombo, L"부팅 설정 옵션", L"부팅 위치 펌웨어 유형.", kTooltipNoIcon, false},
        {controls::ReloadExclusionsButton, L"검색 제외 디렉토리 목록 다시 읽기",
         L"설정 파일에서 검색 제외 디렉토리 목록을 다시 읽습니다.", kTooltipNoIcon, false},
        {controls::ScanDepthSpin, L"검색 옵션", L"디렉토리 깊이. 1 에서 4 까지.", kTooltipNoIcon, false},
        {controls::SkipOsDriveCheck, L"검색 옵션",
         L"다음에 해당되는 드라이브는 검색 생략합니다.\r1. 윈도우가 설치 되어 있는 드라이브\r"
         L"2. \\Windows\\System32\\winload.exe\r3. \\Windows\\System32\\winload.efi",
         kTooltipNoIcon, true},
        {controls::IncludeIsoCheck, L"검색 옵션", L"윈도우8 부터 ISO 탑재 지원", kTooltipNoIcon, false},
    };
    return tips;
}

const std::vector<MenuItemSpec>& optionsMenuItems() {
    static const std::vector<MenuItemSpec> items = {
        {kMenuCompact, L"Compact Boot 적용. Windows 10 이상."},
        {kMenuWimBoot, L"WIMboot. Windows 8.1 이상. WIMboot 파일만 가능."},
        {0, L""},
        {kMenuVerify, L"오류 및 파일 중복 확인."},
        {kMenuCheck, L"설치 파일의 무결성 확인."},
        {kMenuLog, L"%Temp% 에 HalvoraWimGAPI.log 로그 생성."},
    };
    return items;
}

const std::vector<ColumnSpec>& imageListColumns() {
    static const std::vector<ColumnSpec> columns = {
        {L"번호", 40}, {L"이름", 50},     {L"Arch", 50},     {L"WIMboot", 50}, {L"언어", 50},     {L"버전", 50},
        {L"설명", 0},  {L"표시 이름", 0}, {L"표시 설명", 0}, {L"용량", 0},     {L"만든 날짜", 0}, {L"수정한 날짜", 0},
    };
    return columns;
}

const std::vector<ColumnSpec>& driveListColumns() {
    static const std::vector<ColumnSpec> columns = {
        {L"Drv", 50}, {L"D", 50},       {L"P", 50},     {L"Label", 50}, {L"Size", 50}, {L"F.S", 50},   {L"P.S", 50},
        {L"B.T", 50}, {L"Product", 50}, {L"Usage", 50}, {L"Free", 50},  {L"D.T", 50},  {L"BUS.T", 50},
    };
    return columns;
}

const std::vector<ColumnSpec>& searchListColumns() {
    static const std::vector<ColumnSpec> columns = {{L"경로", 640}, {L"크기", 95}, {L"Type", 0}};
    return columns;
}

const std::vector<ControlName>& driveLists() {
    static const std::vector<ControlName> lists = {controls::TargetRow, controls::BootRow, controls::TargetDriveList,
                                                   controls::BootDriveList};
    return lists;
}

const std::vector<int>& statusFieldWidths() {
    static const std::vector<int> widths = {60, 110, 135, -1};
    return widths;
}

}  // namespace halvora
