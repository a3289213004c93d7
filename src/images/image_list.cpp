#include "images/image_list.hpp"

#include "ui/option_summary.hpp"
#include "base/paths.hpp"
#include "base/text.hpp"
#include "images/file_time.hpp"
#include "images/image_file.hpp"
#include "images/image_xml.hpp"
#include "images/iso_image.hpp"
#include "ui/customisation_choice.hpp"
#include "ui/main_window_layout.hpp"
#include "ui/status_bar.hpp"

namespace halvora {

namespace {

const ControlName& kImageList = controls::ImageList;

// An information text with this many line breaks or fewer holds no image.
constexpr std::size_t kMinimumLineBreaks = 5;

bool exists(System& sys, const std::wstring& path) {
    return !path.empty() && (sys.fileSize(path) >= 0 || sys.folderExists(path));
}

bool isFolder(System& sys, const std::wstring& path) { return !path.empty() && sys.folderExists(path); }

std::wstring askForImageFile(Program& program, const std::wstring& startFolder) {
    OpenFileRequest request;
    request.title = L"파일 선택...";
    request.start = startFolder;
    request.filter = imageFileFilter(program.state.IsoSupported, program.state.EsdSupported);
    request.filterIndex = 0;
    request.keepCurrentFolder = true;
    return program.ui.openFileDialog(controls::MainWindow, request);
}

// The file to list: asked for while the path is empty or a folder, an ISO resolved to what it
// holds, a later part of a split set to its first part. Empty when there is none.
std::wstring chooseImageFile(Program& program, std::wstring path) {
    System& sys = program.system;
    const std::wstring current = program.ui.text(controls::ImageFileEdit);
    std::wstring startFolder = sys.fileSize(current) >= 1 ? folderPart(current) : std::wstring();
    do {
        if (path.empty() || isFolder(sys, path)) path = askForImageFile(program, startFolder);
        path = resolveIsoImage(program, path);
        if (!exists(sys, path)) return L"";
        if (isFolder(sys, path)) {
            startFolder = withTrailingBackslash(path);
        } else {
            path = checkImageFile(program, path, true);
        }
    } while (isFolder(sys, path));
    return path;
}

// A $OEM$ folder and answer files that lie beside the image are taken over.
void takeCompanionFiles(Program& program, const std::wstring& imagePath) {
    System& sys = program.system;
    Toolkit& ui = program.ui;
    const std::wstring oem = ui.text(controls::OemEdit);
    if (!exists(sys, oem)) ui.setText(controls::OemEdit, L"");
    const std::wstring folder = folderPart(imagePath);
    if (sys.folderExists(folder + L"$OEM$")) setOemPath(program, folder + L"$OEM$\\", true);

    const std::wstring xml = ui.text(controls::XmlEdit);
    if (xml.empty() || sys.folderExists(xml) || sys.fileSize(xml) < 5) ui.setText(controls::XmlEdit, L"");
    const std::wstring root = imagePath.substr(0, 3);
    for (const std::wstring& candidate :
         {root + L"unattend.xml", folder + L"unattend.xml", root + L"autounattend.xml", folder + L"autounattend.xml"}) {
        if (sys.fileSize(candidate) > 5) setAnswerFile(program, candidate);
    }
}

void showImageRows(Program& program, const std::wstring& path, const std::wstring& information, int preferredRow) {
    Toolkit& ui = program.ui;
    ui.setText(controls::ImageFileEdit, path);
    ui.deleteAllRows(kImageList);
    const auto rows = readImageRows(
        information, [&program](std::uint64_t fileTime) { return imageTimeText(program.system, fileTime); });
    for (const auto& row : rows) ui.addRow(kImageList, row);

    const int count = static_cast<int>(rows.size());
    const int row = preferredRow >= 0 && preferredRow < count ? preferredRow : 0;
    setImageColumns(program, ui.text(controls::ImageColumnsToggle) != kToggleOff);
    if (count > 0) {
        ui.selectRow(kImageList, row);
        ui.ensureRowVisible(kImageList, row);
    }
    ui.setText(controls::ImageIndexEdit, count > 0 ? rows[row][kImageColumnIndex] : L"");
    ui.setText(controls::DescriptionEdit, count > 0 ? rows[row][kImageColumnDescription] : L"");

    // WIMBoot can only be applied from an image made for it.
    const bool wimBoot = count > 0 && parseLeadingInteger(rows[row][kImageColumnWimBoot]) > 0;
    ui.setMenuItemEnabled(controls::OptionsMenu, kMenuWimBoot, wimBoot);
    if (!wimBoot) ui.setMenuItemChecked(controls::OptionsMenu, kMenuWimBoot, false);
    rebuildOptionSummary(program);
}

}  // namespace

bool informationListsImages(const std::wstring& information) {
    return countLineBreaks(information) > kMinimumLineBreaks;
}

std::wstring imageFileFilter(bool isoSupported, bool esdSupported) {
    if (isoSupported && esdSupported) return L"*.WIM; *.SWM; *.ESD; *.ISO|*.WIM;*.SWM;*.ESD;*.ISO|";
    if (isoSupported) return L"*.WIM; *.SWM; *.ISO|*.WIM;*.SWM;*.ISO|";
    if (esdSupported) return L"*.WIM; *.SWM; *.ESD|*.WIM;*.SWM;*.ESD|";
    return L"*.WIM; *.SWM|*.WIM;*.SWM|";
}

void setImageColumns(Program& program, bool full) {
    Toolkit& ui = program.ui;
    for (int column = 0; column < kImageListColumnCount; ++column) {
        const bool right = column == 0 || column == 9;
        const bool centre = column >= 2 && column <= 4;
        ui.setColumnAlignment(kImageList, column,
                              right    ? ColumnAlign::Right
                              : centre ? ColumnAlign::Centre
                                       : ColumnAlign::Left);
    }
    if (full) {
        for (int column = 0; column < kImageListColumnCount; ++column)
            ui.setColumnWidth(kImageList, column, kAutoSizeUseHeader);
        return;
    }
    ui.setColumnWidth(kImageList, 0, 40);
    ui.setColumnWidth(kImageList, 1, 417);
    ui.setColumnWidth(kImageList, 2, 52);
    ui.setColumnWidth(kImageList, 5, 145);
    for (int column = 6; column < kImageListColumnCount; ++column) ui.setColumnWidth(kImageList, column, 0);
    // Only one of "WIMboot" and "언어" fits: the first image decides which.
    const bool wimBoot =
        ui.rowCount(kImageList) > 0 && parseLeadingInteger(ui.cell(kImageList, 0, kImageColumnWimBoot)) > 0;
    ui.setColumnWidth(kImageList, 3, wimBoot ? 70 : 0);
    ui.setColumnWidth(kImageList, 4, wimBoot ? 0 : 70);
}

void selectImageFile(Program& program, std::wstring path, int preferredRow) {
    Toolkit& ui = program.ui;
    ui.setEnabled(controls::ImageFileButton, false);
    path = chooseImageFile(program, path);
    if (program.system.fileSize(path) >= 1) {
        const std::wstring information = oneElementPerLine(readImageXml(program, path));
        if (informationListsImages(information)) {
            takeCompanionFiles(program, path);
            showImageRows(program, path, information, preferredRow);
        } else {
            showStatus(program, (information.empty() ? kNoImageInformationText : kNoImagesText) + path);
        }
    }
    ui.setEnabled(controls::ImageFileButton, true);
}

}  // namespace halvora
