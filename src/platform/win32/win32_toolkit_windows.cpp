// Top-level windows: the main window and the program's own message box.

#include "platform/win32/win32_toolkit.hpp"

#include <algorithm>

#include "platform/win32/win32_system_library.hpp"

namespace halvora::win32 {

namespace {

Win32Toolkit* toolkitOf(HWND hwnd) { return reinterpret_cast<Win32Toolkit*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); }

// The three window classes share one pattern: the toolkit arrives with WM_NCCREATE and is kept
// in GWLP_USERDATA for every later message.
template <LRESULT (Win32Toolkit::*Handler)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK windowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    if (Win32Toolkit* toolkit = toolkitOf(hwnd)) return (toolkit->*Handler)(hwnd, message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void registerClasses(HINSTANCE instance) {
    // Icon 1 of the program's own file is the program icon.
    HICON large = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    HICON small =
        static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                      GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    WNDCLASSEXW top{};
    top.cbSize = sizeof(top);
    top.lpfnWndProc = windowProcedure<&Win32Toolkit::topLevelMessage>;
    top.hInstance = instance;
    top.hIcon = large;
    top.hIconSm = small;
    top.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    top.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    top.lpszClassName = kTopLevelClass;
    RegisterClassExW(&top);

    WNDCLASSEXW panel{};
    panel.cbSize = sizeof(panel);
    panel.lpfnWndProc = windowProcedure<&Win32Toolkit::panelMessage>;
    panel.hInstance = instance;
    panel.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    panel.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    panel.lpszClassName = kPanelClass;
    RegisterClassExW(&panel);

    WNDCLASSEXW service{};
    service.cbSize = sizeof(service);
    service.lpfnWndProc = windowProcedure<&Win32Toolkit::serviceMessage>;
    service.hInstance = instance;
    service.lpszClassName = kMessageClass;
    RegisterClassExW(&service);
}

RECT workAreaOf(HWND window) {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY);
    if (monitor && GetMonitorInfoW(monitor, &info)) area = info.rcWork;
    return area;
}

}  // namespace

Win32Toolkit::Win32Toolkit(HINSTANCE instance)
    : instance_(instance), uiThread_(GetCurrentThreadId()), shell32_(loadSystemLibrary(L"shell32.dll")) {
    registerClasses(instance_);
    serviceWindow_.reset(CreateWindowExW(0, kMessageClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance_, this));
}

Win32Toolkit::~Win32Toolkit() {
    std::vector<std::string> names;
    {
        std::lock_guard lock(namesMutex_);
        for (auto& [name, window] : windows_) {
            // Owned windows first: an owner's destruction takes its owned windows with it.
            if (!window->owner.empty())
                names.insert(names.begin(), name);
            else
                names.push_back(name);
        }
    }
    for (const auto& name : names) destroyWindowOnUiThread(name);
    taskbar_.reset();
    serviceWindow_.reset();
}

void Win32Toolkit::runOnUiThread(const std::function<void()>& work) {
    if (GetCurrentThreadId() == uiThread_ || !serviceWindow_) {
        work();
        return;
    }
    SendMessageW(serviceWindow_.get(), kRunMessage, 0, reinterpret_cast<LPARAM>(&work));
}

std::uint32_t Win32Toolkit::createWindow(const ControlName& name, const std::wstring& title, Size client,
                                         const ControlName& owner, unsigned flags) {
    std::uint32_t result = ERROR_INVALID_PARAMETER;
    runOnUiThread([&] { result = createWindowOnUiThread(name, title, client, owner, flags); });
    return result;
}

std::uint32_t Win32Toolkit::createWindowOnUiThread(const std::string& name, const std::wstring& title, Size client,
                                                   const std::string& owner, unsigned flags) {
    if (findWindow(name) || findControl(name)) return ERROR_ALREADY_EXISTS;
    HWND ownerHandle = nullptr;
    if (!owner.empty()) {
        WindowRecord* ownerRecord = findWindow(owner);
        if (!ownerRecord) return ERROR_INVALID_WINDOW_HANDLE;
        ownerHandle = ownerRecord->hwnd;
    }
    DWORD style = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;  // WS_CAPTION: border and title bar
    if (!(flags & kWindowNoCloseBox)) style |= WS_SYSMENU;
    if (flags & kWindowMinimiseBox) style |= WS_SYSMENU | WS_MINIMIZEBOX;
    if (!ownerHandle) style = (style & ~WS_POPUP) | WS_OVERLAPPED;
    DWORD exStyle = WS_EX_CONTROLPARENT;
    if (flags & kWindowTopMost) exStyle |= WS_EX_TOPMOST;
    if (ownerHandle) exStyle |= WS_EX_DLGMODALFRAME;

    RECT frame{0, 0, scale(client.w), scale(client.h)};
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    HWND hwnd =
        CreateWindowExW(exStyle, kTopLevelClass, title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                        frame.right - frame.left, frame.bottom - frame.top, ownerHandle, nullptr, instance_, this);
    if (!hwnd) return GetLastError();
    tagWithName(hwnd, name);
    auto record = std::make_unique<WindowRecord>();
    record->name = name;
    record->owner = owner;
    record->hwnd = hwnd;
    record->takesKeys = (flags & kWindowTakesKeys) != 0;
    {
        std::lock_guard lock(namesMutex_);
        windowsByHandle_[hwnd] = record.get();
        windows_[name] = std::move(record);
    }
    if (!ownerHandle && dpi_.load() == 0) {
        WindowDc dc(hwnd);
        if (dc.get()) dpi_ = GetDeviceCaps(dc.get(), LOGPIXELSX);
    }
    centreWindowOn(hwnd, ownerHandle);
    return 0;
}

void Win32Toolkit::destroyWindow(const ControlName& name) {
    runOnUiThread([&] { destroyWindowOnUiThread(name); });
}

void Win32Toolkit::destroyWindowOnUiThread(const std::string& name) {
    std::unique_ptr<WindowRecord> window;
    std::vector<std::unique_ptr<ControlRecord>> controls;
    {
        std::lock_guard lock(namesMutex_);
        auto it = windows_.find(name);
        if (it == windows_.end()) return;
        window = std::move(it->second);
        windows_.erase(it);
        windowsByHandle_.erase(window->hwnd);
        for (auto c = controls_.begin(); c != controls_.end();) {
            if (c->second->window == name) {
                controlsByHandle_.erase(c->second->hwnd);
                controls.push_back(std::move(c->second));
                c = controls_.erase(c);
            } else {
                ++c;
            }
        }
    }
    if (taskbarWindow_ == window->hwnd) {
        taskbar_.reset();
        taskbarWindow_ = nullptr;
    }
    for (auto& control : controls) removeNameTag(control->hwnd);
    removeNameTag(window->hwnd);
    window->tooltips.clear();
    // The window takes its controls with it; their fonts, icons and image lists go after.
    DestroyWindow(window->hwnd);
}

void Win32Toolkit::setClientSize(const ControlName& window, Size client) {
    WindowRecord* record = findWindow(window);
    if (!record) return;
    HWND hwnd = record->hwnd;
    RECT frame{0, 0, scale(client.w), scale(client.h)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
    SetWindowPos(hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Toolkit::centreWindow(const ControlName& window) {
    WindowRecord* record = findWindow(window);
    if (!record) return;
    WindowRecord* owner = record->owner.empty() ? nullptr : findWindow(record->owner);
    centreWindowOn(record->hwnd, owner ? owner->hwnd : nullptr);
}

void Win32Toolkit::centreWindowOn(HWND hwnd, HWND owner) {
    RECT own{};
    GetWindowRect(hwnd, &own);
    RECT around{};
    if (!owner || IsIconic(owner) || !GetWindowRect(owner, &around)) around = workAreaOf(owner ? owner : hwnd);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    int x = around.left + ((around.right - around.left) - width) / 2;
    int y = around.top + ((around.bottom - around.top) - height) / 2;
    // Keep the title bar reachable when the owner sits near an edge of the screen.
    const RECT work = workAreaOf(owner ? owner : hwnd);
    x = std::max<int>(work.left, std::min<int>(x, work.right - width));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Win32Toolkit::isMinimised(const ControlName& window) {
    HWND hwnd = handleOf(window);
    return hwnd && IsIconic(hwnd);
}

void Win32Toolkit::restoreWindow(const ControlName& window) {
    if (HWND hwnd = handleOf(window)) ShowWindow(hwnd, SW_RESTORE);
}

void Win32Toolkit::acceptDroppedFiles(const ControlName& window) {
    HWND hwnd = handleOf(window);
    if (!hwnd) return;
    runOnUiThread([&] {
        // An elevated program gets no drops from Explorer, which runs at a lower integrity level,
        // unless the two messages of a drop pass the message filter. They are let through to
        // this window only, not to every window of the process.
        ChangeWindowMessageFilterEx(hwnd, WM_DROPFILES, MSGFLT_ALLOW, nullptr);
        ChangeWindowMessageFilterEx(hwnd, 0x0049 /* WM_COPYGLOBALDATA */, MSGFLT_ALLOW, nullptr);
        DragAcceptFiles(hwnd, TRUE);
    });
}

void Win32Toolkit::acceptCopyData(const ControlName& window) {
    std::lock_guard lock(namesMutex_);
    if (auto it = windows_.find(window); it != windows_.end()) it->second->acceptsCopyData = true;
}

}  // namespace halvora::win32
