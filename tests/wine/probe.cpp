// Looks into a running halvora.exe from another process, the way a user or a screen reader
// would: top-level windows, child windows, their names (the HalvoraName window property), texts
// and visibility. The Wine test script runs one sub-command at a time, so that it can take
// screenshots in between. Each check prints one line, "PASS <what>" or "FAIL <what>: <why>",
// and the exit code is the number of failed checks.
//
//   wine_probe.exe wait-window [seconds]     the main window is up and visible
//   wine_probe.exe check-title               title ends with the FileVersion of System32\wimgapi.dll
//   wine_probe.exe check-main-view           texts of the main view, which panels are visible
//   wine_probe.exe click NAME                a left click on a button or clickable label
//   wine_probe.exe wait-visible NAME | wait-hidden NAME
//   wine_probe.exe wait-selection NAME N     the combo box's item N becomes the selected one
//   wine_probe.exe info-box                  opens, reads and closes the information box
//   wine_probe.exe close                     posts WM_CLOSE to the main window
//   wine_probe.exe dump                      every named window with class, text and state
//   wine_probe.exe wait-rows NAME N [seconds] the list comes to hold N rows
//   wine_probe.exe wait-column-shown NAME C  column C of the list gets a width above 0
//   wine_probe.exe list-dump NAME            "COLUMN i width title" and "ROW i<TAB>cell<TAB>..." lines
//   wine_probe.exe status-field NAME N       "STATUS N text": field N of a status bar
//   wine_probe.exe wait-text NAME TEXT [s]   the control's text becomes TEXT
//   wine_probe.exe wait-cell NAME R C TEXT [s] cell R, C of the list comes to read TEXT
//   wine_probe.exe row-icons NAME            "ICON i image" per row: its image-list position,
//                                            -2 for none; "IMAGES attached" or "IMAGES none"
//   wine_probe.exe check-responsive          the main window answers a message within 5 s
//   wine_probe.exe check-manifest EXE        the exe's RT_MANIFEST: DPI awareness, supported OS
//   wine_probe.exe check-tooltips            every tooltip window of the program is owned by
//                                            the main window
//   wine_probe.exe check-imaging [WIM]       the win32 imaging backend in this process
//   wine_probe.exe check-apply WIM           its apply and message callbacks, with the stand-in
//   wine_probe.exe check-programs            hidden program runs with the Bcdboot stand-in
//   wine_probe.exe check-system "two words" plain
//                                            the win32 System calls against Windows' own answers
//   wine_probe.exe check-toolkit             the win32 toolkit in this process, on its own windows
//   wine_probe.exe check-toolkit-threads     a worker filling lists while they are painted; a
//                                            hang ends the probe with a failure
//   wine_probe.exe check-countdown-box       the program's Yes/No box left to run out on its timer
//   wine_probe.exe check-volumes             the win32 volume calls in this process, one
//                                            "VOLUMES ..." line per answer
//   wine_probe.exe check-virtual-disks ISO   the win32 virtual-disk library in this process, one
//                                            "VIRTDISK ..." line per answer

#include <windows.h>
#include <commctrl.h>

#include <fcntl.h>
#include <io.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/win32_system.hpp"
#include "probe_report.hpp"
#include "ui/main_window_layout.hpp"

namespace {

using namespace probe;

using namespace std::chrono_literals;

constexpr wchar_t kInfoBoxTitle[] = L"프로그램 정보";

bool ownFlagVisible(HWND hwnd) { return (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }

HWND findTopLevel(const std::string& name) { return findNamed(nullptr, name); }

std::map<std::string, HWND> namedChildren(HWND parent) {
    std::map<std::string, HWND> children;
    EnumChildWindows(
        parent,
        [](HWND hwnd, LPARAM context) -> BOOL {
            std::string name = nameOf(hwnd);
            if (!name.empty()) (*reinterpret_cast<std::map<std::string, HWND>*>(context))[name] = hwnd;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

template <typename Condition>
bool waitFor(Condition condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(100ms);
    }
}

HWND mainWindow() { return findTopLevel(halvora::controls::MainWindow.str()); }

HWND requireMainWindow(const std::string& what) {
    HWND main = mainWindow();
    if (!main) check(false, what, "no window named " + halvora::controls::MainWindow.str());
    return main;
}

// The FileVersion string of a file, read here without the program's code: the first
// translation's StringFileInfo entry, as far as its first NUL.
std::wstring fileVersionString(const std::wstring& path) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return {};
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return {};
    WORD* translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &length) ||
        length < 4) {
        return {};
    }
    wchar_t query[64];
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", translation[0], translation[1]);
    wchar_t* value = nullptr;
    if (!VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&value), &length) || !value) return {};
    return std::wstring(value, wcsnlen(value, length));
}

int waitWindow(int seconds) {
    HWND main = nullptr;
    bool up = waitFor([&] { return (main = mainWindow()) != nullptr && IsWindowVisible(main); },
                      std::chrono::seconds(seconds));
    check(up, "main window is shown", "no visible window named MainWindow after " + std::to_string(seconds) + " s");
    return failures;
}

int checkTitle() {
    HWND main = requireMainWindow("main window title");
    if (!main) return failures;
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    const std::wstring version = fileVersionString(std::wstring(folder) + L"\\wimgapi.dll");
    const std::wstring expected = L"Halvora   20H1 ADK   WimGAPI v" + version;
    const std::wstring title = textOf(main);
    say("     wimgapi.dll FileVersion: \"" + utf8(version) + "\"");
    check(title == expected, "main window title is \"" + utf8(expected) + "\"", "it is \"" + utf8(title) + "\"");
    return failures;
}

bool inMainView(const halvora::ControlSpec& layout) {
    static const std::set<halvora::ControlName> parents = {
        halvora::controls::MainWindow, halvora::controls::TitleBarPanel, halvora::controls::MainPanel,
        halvora::controls::BottomPanel};
    return parents.count(layout.parent) != 0;
}

int checkMainView() {
    using halvora::ControlKind;
    HWND main = requireMainWindow("main view");
    if (!main) return failures;
    const auto children = namedChildren(main);

    int compared = 0;
    std::string missing;
    std::string wrong;
    for (const auto& layout : halvora::mainWindowControls()) {
        if (!inMainView(layout)) continue;
        auto it = children.find(layout.name);
        if (it == children.end()) {
            missing += " " + layout.name.str();
            continue;
        }
        const bool fixedText = layout.kind == ControlKind::Button || layout.kind == ControlKind::Label ||
                               layout.kind == ControlKind::ClickLabel || layout.kind == ControlKind::Check;
        if (!fixedText || layout.text.empty()) continue;
        ++compared;
        const std::wstring actual = textOf(it->second);
        if (actual != layout.text)
            wrong += " " + layout.name.str() + "=\"" + shown(actual) + "\" (layout \"" + shown(layout.text) + "\")";
    }
    check(missing.empty(), "every control of the main view exists", "missing:" + missing);
    check(compared >= 20 && wrong.empty(),
          "the main view's " + std::to_string(compared) + " labels, buttons and check boxes show the layout's texts",
          wrong.empty() ? "too few compared" : wrong);

    const std::map<std::string, std::wstring> combos = {{"AfterInstallCombo", L"대기"}, {"BootFirmwareCombo", L"ALL"}};
    for (const auto& [name, expected] : combos) {
        auto it = children.find(name);
        const std::wstring actual = it == children.end() ? L"<missing>" : textOf(it->second);
        check(actual == expected, name + " shows \"" + utf8(expected) + "\"", "it shows \"" + shown(actual) + "\"");
    }

    auto visible = [&](const std::string& name) {
        auto it = children.find(name);
        return it != children.end() && ownFlagVisible(it->second);
    };
    check(visible("MainPanel") && visible("ImageList") && visible("BottomPanel") && visible("InstallButton"),
          "the main view (MainPanel, ImageList, BottomPanel, InstallButton) is visible");
    std::string shownPanels;
    for (const char* panel : {"TargetPanel", "BootPanel", "SearchPanel"}) {
        if (children.find(panel) == children.end())
            shownPanels += std::string(" ") + panel + "(missing)";
        else if (visible(panel))
            shownPanels += std::string(" ") + panel;
    }
    check(shownPanels.empty(), "TargetPanel, BootPanel and SearchPanel are hidden", "shown:" + shownPanels);
    return failures;
}

HWND findControl(const std::string& name) {
    HWND main = mainWindow();
    if (!main) return nullptr;
    auto children = namedChildren(main);
    auto it = children.find(name);
    return it == children.end() ? nullptr : it->second;
}

// A real click: buttons get BM_CLICK (pressed and released), labels the mouse messages that make
// a static control with SS_NOTIFY report STN_CLICKED.
void clickWindow(HWND hwnd) {
    if (classOf(hwnd) == L"Button") {
        PostMessageW(hwnd, BM_CLICK, 0, 0);
    } else {
        PostMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        PostMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    }
}

int click(const std::string& name) {
    HWND hwnd = findControl(name);
    check(hwnd != nullptr, "click " + name, "no such control");
    if (hwnd) clickWindow(hwnd);
    return failures;
}

int waitShown(const std::string& name, bool wanted) {
    HWND hwnd = nullptr;
    bool ok = waitFor(
        [&] {
            hwnd = findControl(name);
            return hwnd && ownFlagVisible(hwnd) == wanted;
        },
        5s);
    check(ok, name + (wanted ? " is shown" : " is hidden"));
    return failures;
}

int waitSelection(const std::string& name, int expected) {
    LRESULT actual = CB_ERR;
    bool ok = waitFor(
        [&] {
            HWND hwnd = findControl(name);
            actual = hwnd ? SendMessageW(hwnd, CB_GETCURSEL, 0, 0) : CB_ERR;
            return actual == expected;
        },
        5s);
    HWND hwnd = findControl(name);
    check(ok, name + " has item " + std::to_string(expected) + " selected",
          "item " + std::to_string(actual) + " (\"" + shown(hwnd ? textOf(hwnd) : L"") + "\") is");
    return failures;
}

int infoBox() {
    HWND mark = findControl("InfoMark");
    check(mark != nullptr, "InfoMark exists");
    if (!mark) return failures;
    clickWindow(mark);
    HWND box = nullptr;
    check(waitFor([&] { return (box = FindWindowW(nullptr, kInfoBoxTitle)) != nullptr && IsWindowVisible(box); }, 10s),
          "clicking InfoMark shows the window \"" + utf8(kInfoBoxTitle) + "\"");
    if (!box) return failures;
    check(nameOf(box) == "MessageBox", "the information box is the program's MessageBox window",
          "its name is \"" + nameOf(box) + "\"");
    check(!IsWindowEnabled(mainWindow()), "the main window is disabled while the box is open");

    const auto children = namedChildren(box);
    std::wstring text;
    for (const auto& [name, hwnd] : children) {
        std::wstring t = textOf(hwnd);
        if (classOf(hwnd) == L"Static" && t.size() > text.size()) text = t;
    }
    const std::wstring head = L"Halvora v0.7.7.0 x64\r\n20H1 ADK\r\nWimGAPI v";
    const std::wstring tail = L"/ImageFile:\"Sample.wim\" /Index:1 /ApplyDrv:C: /after:Finish /Compact /d";
    check(text.rfind(head, 0) == 0, "the box text begins with \"" + shown(head) + "\"",
          "it begins with \"" + shown(text.substr(0, 60)) + "\"");
    check(text.find(L"\r\nWindows 8 이상 호환") != std::wstring::npos,
          "the box text has \"\\r\\nWindows 8 이상 호환\"");
    check(text.find(L"-- 명령행 도움말 --") != std::wstring::npos, "the box text has \"-- 명령행 도움말 --\"");
    check(text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0,
          "the box text ends with \"" + shown(tail) + "\"",
          "it ends with \"" + shown(text.substr(text.size() > 80 ? text.size() - 80 : 0)) + "\"");
    return failures;
}

int closeInfoBox() {
    HWND box = FindWindowW(nullptr, kInfoBoxTitle);
    check(box != nullptr, "the information box is open");
    if (!box) return failures;
    const auto children = namedChildren(box);
    auto ok = children.find("MessageBoxOk");
    check(ok != children.end() && textOf(ok->second) == L"Ok", "the box has one button, Ok");
    if (ok == children.end()) return failures;
    clickWindow(ok->second);
    check(waitFor([&] { return FindWindowW(nullptr, kInfoBoxTitle) == nullptr; }, 5s), "pressing Ok closes the box");
    check(waitFor([&] { return IsWindowEnabled(mainWindow()) != FALSE; }, 5s), "the main window is enabled again");
    return failures;
}

// A key pressed in the open information box, sent where the keyboard would send it: to the
// control that has the focus in the box's thread.
int keyInfoBox(const std::string& key) {
    HWND box = FindWindowW(nullptr, kInfoBoxTitle);
    check(box != nullptr, "the information box is open");
    if (!box) return failures;
    const UINT vk = key == "enter" ? VK_RETURN : VK_ESCAPE;
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(box, nullptr);
    HWND target = GetGUIThreadInfo(thread, &info) && info.hwndFocus ? info.hwndFocus : box;
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(target, WM_KEYDOWN, vk, scan | 1);
    PostMessageW(target, WM_KEYUP, vk, scan | 1 | (LPARAM{1} << 30) | (LPARAM{1} << 31));
    check(waitFor([&] { return FindWindowW(nullptr, kInfoBoxTitle) == nullptr; }, 5s),
          "pressing " + key + " in the information box closes it");
    check(waitFor([&] { return IsWindowEnabled(mainWindow()) != FALSE; }, 5s), "the main window is enabled again");
    return failures;
}

int closeMain() {
    HWND main = requireMainWindow("close request");
    if (main) check(PostMessageW(main, WM_CLOSE, 0, 0) != FALSE, "WM_CLOSE posted to the main window");
    return failures;
}

// The program's System backend, checked against what this process can see for itself.
int checkSystem() {
    halvora::win32::Win32System system;
    const auto arguments = system.arguments();
    check(arguments == std::vector<std::wstring>{L"check-system", L"two words", L"plain"},
          "arguments() splits the command line and leaves out the program",
          std::to_string(arguments.size()) + " arguments");

    wchar_t own[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, own, MAX_PATH);
    check(system.modulePath() == own, "modulePath() is the program's own file", utf8(system.modulePath()));
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    check(system.systemDirectory() == folder, "systemDirectory() is GetSystemDirectoryW's folder");
    const std::wstring temp = system.tempPath();
    check(!temp.empty() && temp.back() == L'\\' && system.folderExists(temp),
          "tempPath() is an existing folder ending with a backslash", utf8(temp));

    SetEnvironmentVariableW(L"HALVORA_PROBE_SET", L"값 value");
    SetEnvironmentVariableW(L"HALVORA_PROBE_EMPTY", L"");
    SetEnvironmentVariableW(L"HALVORA_PROBE_UNSET", nullptr);
    check(system.environmentVariable(L"HALVORA_PROBE_SET") == std::optional<std::wstring>(L"값 value") &&
              system.environmentVariable(L"HALVORA_PROBE_EMPTY") == std::optional<std::wstring>(L"") &&
              !system.environmentVariable(L"HALVORA_PROBE_UNSET"),
          "environmentVariable() tells a set, an empty and a missing variable apart");

    const std::wstring file = temp + L"halvora probe 파일.bin";
    const std::string bytes(
        "A\0\r\n\xff"
        "end",
        8);
    std::string read;
    check(system.writeFile(file, bytes) && system.fileSize(file) == 8 && system.readFile(file, read) && read == bytes,
          "writeFile() then readFile() keeps every byte, and fileSize() counts them");
    check(system.writeFile(file, "x") && system.fileSize(file) == 1, "writeFile() replaces a longer file");
    check(system.deleteFile(file) && system.fileSize(file) == -1 && !system.readFile(file, read),
          "deleteFile() removes the file; fileSize() is then -1 and readFile() fails");
    check(system.fileSize(temp) == -1 && !system.folderExists(file),
          "fileSize() of a folder is -1; folderExists() of no folder is false");
    check(!system.writeFile(temp + L"no such folder\\x.bin", "x"), "writeFile() into a missing folder fails");

    const auto version = system.rtlGetVersion();
    // The runner sets Wine to report Windows 10. GetVersionExW would give this unmanifested
    // probe 6.2, which is why the program asks ntdll.dll.
    check(version && version->major == 10 && version->minor == 0 && version->build > 0,
          "rtlGetVersion() gives the system's own version, Windows 10",
          version ? std::to_string(version->major) + "." + std::to_string(version->minor) + "." +
                        std::to_string(version->build)
                  : "none");

    auto library = system.loadVersionLibrary();
    check(library != nullptr, "Version.dll loads from System32");
    if (library) {
        const std::wstring kernel = std::wstring(folder) + L"\\kernel32.dll";
        std::vector<std::uint8_t> block;
        std::uint16_t language = 0;
        std::uint16_t codePage = 0;
        std::wstring value;
        const bool got = library->getFileVersionInfo(kernel, library->getFileVersionInfoSize(kernel), block) &&
                         library->queryTranslation(block, language, codePage);
        wchar_t query[64];
        swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", language, codePage);
        const bool string = got && library->queryString(block, query, value);
        const std::wstring direct = fileVersionString(kernel);
        check(string && std::wstring(value.c_str()) == direct && !direct.empty(),
              "Version.dll reads kernel32.dll's FileVersion \"" + utf8(direct) + "\"",
              "got \"" + utf8(value.c_str()) + "\"");
        check(library->languageName(0x0412).find(L"Korean") != std::wstring::npos ||
                  library->languageName(0x0412).find(L"한국어") != std::wstring::npos,
              "VerLanguageNameW names language 0x0412", utf8(library->languageName(0x0412)));
    }

    std::uint32_t first = 0;
    std::uint32_t second = 0;
    auto mutex = system.createMutex(L"HalvoraProbe{2C0FFEE0}", first);
    auto again = system.createMutex(L"HalvoraProbe{2C0FFEE0}", second);
    check(mutex && again && first == ERROR_SUCCESS && second == ERROR_ALREADY_EXISTS,
          "createMutex() reports ERROR_ALREADY_EXISTS for a name already taken",
          std::to_string(first) + ", " + std::to_string(second));
    mutex.reset();
    again.reset();
    std::uint32_t fresh = 0;
    SetLastError(ERROR_ALREADY_EXISTS);  // left behind by some earlier call
    auto renewed = system.createMutex(L"HalvoraProbe{2C0FFEE0}", fresh);
    check(renewed && fresh == ERROR_SUCCESS,
          "the mutex is gone once its handles are closed, and a stale 183 does not read as taken",
          std::to_string(fresh));

    HWND main = mainWindow();
    const std::uint64_t found = system.findWindow(textOf(main));
    check(main && found == reinterpret_cast<std::uintptr_t>(main), "findWindow() finds the main window by its title");
    check(system.findWindow(L"Halvora probe: no window has this title") == 0, "findWindow() of an unknown title is 0");
    return failures;
}

int rowCount(HWND list) { return list ? static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : -1; }

int waitRows(const std::string& name, int expected, int seconds) {
    int rows = -1;
    const bool ok =
        waitFor([&] { return (rows = rowCount(findControl(name))) == expected; }, std::chrono::seconds(seconds));
    check(ok, name + " holds " + std::to_string(expected) + " rows", "it holds " + std::to_string(rows));
    return failures;
}

int waitColumnShown(const std::string& name, int column) {
    LRESULT width = 0;
    const bool ok = waitFor(
        [&] {
            HWND list = findControl(name);
            width = list ? SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0) : 0;
            return width > 0;
        },
        5s);
    check(ok, "column " + std::to_string(column) + " of " + name + " is shown", "its width stays 0");
    return failures;
}

int listDump(const std::string& name) {
    HWND list = findControl(name);
    check(list != nullptr, name + " exists");
    if (!list) return failures;
    const int columns = probe::listColumnCount(list);
    for (int c = 0; c < columns; ++c) {
        say("COLUMN " + std::to_string(c) + " " +
            std::to_string(SendMessageW(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0)) + " " +
            utf8(probe::listColumnTitle(list, c)));
    }
    const int rows = rowCount(list);
    for (int r = 0; r < rows; ++r) {
        std::string line = "ROW " + std::to_string(r);
        for (int c = 0; c < columns; ++c) {
            line += '\t';
            line += shown(probe::listCell(list, r, c));
        }
        say(line);
    }
    return failures;
}

int waitText(const std::string& name, const std::wstring& expected, int seconds) {
    std::wstring text;
    const bool ok = waitFor(
        [&] {
            HWND hwnd = findControl(name);
            text = hwnd ? textOf(hwnd) : L"<no such control>";
            return text == expected;
        },
        std::chrono::seconds(seconds));
    check(ok, name + " reads \"" + shown(expected) + "\"", "it reads \"" + shown(text) + "\"");
    return failures;
}

int waitCell(const std::string& name, int row, int column, const std::wstring& expected, int seconds) {
    std::wstring text;
    const bool ok = waitFor(
        [&] {
            HWND list = findControl(name);
            text = list && row < rowCount(list) ? probe::listCell(list, row, column) : L"<no such row>";
            return text == expected;
        },
        std::chrono::seconds(seconds));
    check(ok,
          name + " row " + std::to_string(row) + " column " + std::to_string(column) + " reads \"" + shown(expected) +
              "\"",
          "it reads \"" + shown(text) + "\"");
    return failures;
}

int rowIcons(const std::string& name) {
    HWND list = findControl(name);
    check(list != nullptr, name + " exists");
    if (!list) return failures;
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    // The image list lives in the program's process; its count is asked through the list view.
    say("IMAGES " + std::string(images ? "attached" : "none"));
    const int rows = rowCount(list);
    for (int r = 0; r < rows; ++r)
        say("ICON " + std::to_string(r) + " " + std::to_string(probe::listRowImage(list, r)));
    return failures;
}

int statusField(const std::string& name, int field) {
    HWND bar = findControl(name);
    check(bar != nullptr, name + " exists");
    if (bar) say("STATUS " + std::to_string(field) + " " + shown(probe::statusText(bar, field)));
    return failures;
}

// The application manifest as built into the exe (RT_MANIFEST 1), read the way the loader finds
// it: the program is system DPI aware, and names every Windows it runs on.
int checkManifest(const std::wstring& exe) {
    HMODULE module = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    HRSRC found = module ? FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)) : nullptr;
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    const std::string manifest = bytes ? std::string(bytes, SizeofResource(module, found)) : std::string{};
    if (module) FreeLibrary(module);
    check(!manifest.empty(), "the exe has an RT_MANIFEST resource 1", "error " + std::to_string(GetLastError()));
    const auto has = [&](const char* text) { return manifest.find(text) != std::string::npos; };
    check(has("<dpiAware xmlns=\"http://schemas.microsoft.com/SMI/2005/WindowsSettings\">true</dpiAware>") &&
              !has("<dpiAwareness") && !has("true/pm") && !has("PerMonitor"),
          "the manifest declares system DPI awareness (dpiAware true) and no per-monitor awareness");
    const std::pair<const char*, const char*> systems[] = {
        {"Windows 7", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"},
        {"Windows 8", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"},
        {"Windows 8.1", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"},
        {"Windows 10 and 11", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"},
    };
    std::string missing;
    for (const auto& [name, id] : systems) {
        if (!has((std::string("<supportedOS Id=\"") + id + "\"/>").c_str()))
            missing += std::string(missing.empty() ? "" : ", ") + name;
    }
    check(missing.empty(), "the manifest names Windows 7, 8, 8.1 and 10/11 as supported", "missing " + missing);
    check(has("level=\"requireAdministrator\""), "the manifest asks for administrator rights");
    return failures;
}

// Every tooltip the program makes is owned by the main window, so it stays with that window
// instead of standing as a top-level window of its own. The list views make tooltips of their
// own as well, which also end up owned by the main window (the owner of a window created for a
// child is the child's top-level window): every tooltip window of the process is counted.
int checkTooltips() {
    HWND main = requireMainWindow("tooltips owned by the main window");
    if (!main) return failures;
    struct Count {
        DWORD process = 0;
        HWND main = nullptr;
        int owned = 0;
        int other = 0;
    } count;
    GetWindowThreadProcessId(main, &count.process);
    count.main = main;
    EnumWindows(
        [](HWND hwnd, LPARAM context) -> BOOL {
            auto* c = reinterpret_cast<Count*>(context);
            DWORD process = 0;
            GetWindowThreadProcessId(hwnd, &process);
            if (process != c->process || classOf(hwnd) != TOOLTIPS_CLASSW) return TRUE;
            if (GetWindow(hwnd, GW_OWNER) == c->main)
                ++c->owned;
            else
                ++c->other;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    const int expected = static_cast<int>(halvora::mainWindowTooltips().size());
    check(count.owned >= expected && count.other == 0,
          "the " + std::to_string(expected) +
              " tooltips, and any other tooltip window of the program, are owned by the main window",
          std::to_string(count.owned) + " owned by it, " + std::to_string(count.other) + " not");
    return failures;
}

int checkResponsive() {
    HWND main = requireMainWindow("the main window answers");
    if (!main) return failures;
    DWORD_PTR result = 0;
    check(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0,
          "the main window answers a message within 5 s");
    return failures;
}

void dumpWindow(HWND hwnd, int depth) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    say(std::string(static_cast<std::size_t>(depth) * 2, ' ') + nameOf(hwnd) + " [" + utf8(classOf(hwnd)) + "] \"" +
        shown(textOf(hwnd)) + "\" " + (ownFlagVisible(hwnd) ? "visible" : "hidden") +
        (IsWindowEnabled(hwnd) ? "" : " disabled") + " " + std::to_string(r.left) + "," + std::to_string(r.top) + " " +
        std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top));
    for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        dumpWindow(child, depth + 1);
}

int dump() {
    EnumWindows(
        [](HWND hwnd, LPARAM) -> BOOL {
            if (!nameOf(hwnd).empty()) dumpWindow(hwnd, 0);
            return TRUE;
        },
        0);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // UTF-8 bytes and "\n" exactly as written
    if (argc < 2) {
        say("usage: wine_probe.exe wait-window|check-title|check-main-view|click NAME|wait-visible NAME|"
            "wait-hidden NAME|wait-selection NAME N|info-box|close-info-box|close|dump|wait-rows NAME N [s]|"
            "wait-column-shown NAME C|list-dump NAME|status-field NAME N|wait-text NAME TEXT [s]|"
            "wait-cell NAME R C TEXT [s]|row-icons NAME|"
            "check-responsive|check-manifest EXE|check-tooltips|check-imaging [WIM]|"
            "check-apply WIM|check-programs|check-system "
            "...|check-toolkit|check-toolkit-threads|check-countdown-box|check-volumes|check-virtual-disks ISO");
        return 2;
    }
    const std::string command = utf8(argv[1]);
    const std::string argument = argc > 2 ? utf8(argv[2]) : std::string{};
    if (command == "wait-window") return waitWindow(argument.empty() ? 30 : std::stoi(argument));
    if (command == "check-title") return checkTitle();
    if (command == "check-main-view") return checkMainView();
    if (command == "click") return click(argument);
    if (command == "wait-visible") return waitShown(argument, true);
    if (command == "wait-hidden") return waitShown(argument, false);
    if (command == "wait-selection") return waitSelection(argument, argc > 3 ? _wtoi(argv[3]) : -1);
    if (command == "info-box") return infoBox();
    if (command == "close-info-box") return closeInfoBox();
    if (command == "key-info-box") return keyInfoBox(argument);
    if (command == "close") return closeMain();
    if (command == "dump") return dump();
    if (command == "wait-rows")
        return waitRows(argument, argc > 3 ? _wtoi(argv[3]) : 0, argc > 4 ? _wtoi(argv[4]) : 20);
    if (command == "wait-column-shown") return waitColumnShown(argument, argc > 3 ? _wtoi(argv[3]) : 0);
    if (command == "list-dump") return listDump(argument);
    if (command == "status-field") return statusField(argument, argc > 3 ? _wtoi(argv[3]) : 0);
    if (command == "wait-text") return waitText(argument, argc > 3 ? argv[3] : L"", argc > 4 ? _wtoi(argv[4]) : 20);
    if (command == "row-icons") return rowIcons(argument);
    if (command == "wait-cell") {
        return waitCell(argument, argc > 3 ? _wtoi(argv[3]) : 0, argc > 4 ? _wtoi(argv[4]) : 0,
                        argc > 5 ? argv[5] : L"", argc > 6 ? _wtoi(argv[6]) : 20);
    }
    if (command == "check-responsive") return checkResponsive();
    if (command == "check-tooltips") return checkTooltips();
    if (command == "check-manifest") return checkManifest(argc > 2 ? argv[2] : L"");
    if (command == "check-imaging") return probe::checkImaging(argc > 2 ? argv[2] : L"");
    if (command == "check-apply") return probe::checkApply(argc > 2 ? argv[2] : L"");
    if (command == "check-programs") return probe::checkPrograms();
    if (command == "check-system") return checkSystem();
    if (command == "check-toolkit") return checkToolkit();
    if (command == "check-toolkit-threads") return checkToolkitThreads();
    if (command == "check-countdown-box") return checkCountdownBox();
    if (command == "check-volumes") return probe::checkVolumes();
    if (command == "check-virtual-disks") return probe::checkVirtualDisks(argc > 2 ? argv[2] : L"");
    say("unknown command " + command);
    return 2;
}
