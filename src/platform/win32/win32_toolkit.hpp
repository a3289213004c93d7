#pragma once
// The window system below the boundary: real windows and common controls, addressed by the names
// the program gives them. Window messages become the program's events.
//
// Threads: windows belong to the interface thread (the one that made the toolkit). Calls that
// must run there (creating and destroying windows, focus, timers, menus) are handed to it;
// calls that only send messages to a control work from any thread. The name tables are guarded
// by a mutex that is never held while a message is sent, so a worker writing a control cannot
// deadlock with the interface thread looking up a name.

#include <windows.h>
#include <commctrl.h>
#include <shobjidl.h>

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/toolkit.hpp"
#include "platform/win32/win32_handles.hpp"

namespace halvora::win32 {

// The window property that carries a window's or control's name as a global atom, so that a
// process looking in from outside (the Wine probe) can read names with GetPropW and
// GlobalGetAtomNameW.
inline constexpr wchar_t kNameProperty[] = L"HalvoraName";

inline constexpr wchar_t kTopLevelClass[] = L"HalvoraWindow";
inline constexpr wchar_t kPanelClass[] = L"HalvoraPanel";
inline constexpr wchar_t kMessageClass[] = L"HalvoraMessages";

// Private messages of the toolkit's message-only window.
inline constexpr UINT kWakeMessage = WM_APP + 1;          // an event was queued
inline constexpr UINT kRunMessage = WM_APP + 2;           // lParam: std::function<void()>*
inline constexpr UINT kTaskbarValueMessage = WM_APP + 3;  // wParam done, lParam total
inline constexpr UINT kTaskbarClearMessage = WM_APP + 4;

struct CellColours {
    std::int32_t text = kDefaultColour;
    std::int32_t background = kDefaultColour;
};

struct ControlRecord {
    std::string name;
    ControlKind kind = ControlKind::Label;
    std::string window;      // the top-level window it lives in
    HWND hwnd = nullptr;     // Spin: its edit field
    HWND partner = nullptr;  // Spin: the up-down arrows; StatusBar: the progress bar
    int extraHeight = 0;     // Combo: the height of the drop-down list below the field
    std::atomic<std::int32_t> textColour{kDefaultColour};
    std::atomic<std::int32_t> backColour{kDefaultColour};
    UniqueFont font;  // setControlFont
    std::vector<UniqueFont> oldFonts;
    UniqueIcon icon;                                         // Icon controls
    UniqueImageList images;                                  // lists: the small row icons
    std::map<std::pair<int, int>, CellColours> cellColours;  // lists: (row, column)
    std::vector<int> statusWidths;                           // StatusBar: logical widths
    std::atomic<int> quiet{0};                               // > 0 while the program itself changes the control's value
};

struct WindowRecord {
    std::string name;
    std::string owner;
    HWND hwnd = nullptr;
    UniqueFont font;                   // setWindowFont: given to controls created afterwards
    std::vector<UniqueFont> oldFonts;  // fonts still used by earlier controls
    std::vector<UniqueWindow> tooltips;
    std::atomic<bool> acceptsCopyData{false};
    bool takesKeys = false;                                // kWindowTakesKeys: set before the window is known by name
    std::atomic<std::int32_t> backColour{kDefaultColour};  // the client area's colour
};

class Win32Toolkit final : public Toolkit {
public:
    explicit Win32Toolkit(HINSTANCE instance);
    ~Win32Toolkit() override;
    Win32Toolkit(const Win32Toolkit&) = delete;
    Win32Toolkit& operator=(const Win32Toolkit&) = delete;

    // windows
    std::uint32_t createWindow(const ControlName& name, const std::wstring& title, Size client,
                               const ControlName& owner, unsigned flags) override;
    void destroyWindow(const ControlName& name) override;
    void setClientSize(const ControlName& window, Size client) override;
    void centreWindow(const ControlName& window) override;
    bool isMinimised(const ControlName& window) override;
    void restoreWindow(const ControlName& window) override;
    void acceptDroppedFiles(const ControlName& window) override;
    void acceptCopyData(const ControlName& window) override;

    // fonts
    int screenDpi() override;
    bool fontInstalled(const std::wstring& face) override;
    std::optional<FontSpec> smallCaptionFont() override;
    FontSpec stockGuiFont() override;
    void setWindowFont(const ControlName& window, const std::wstring& face, int size) override;
    void setControlFont(const ControlName& control, const std::wstring& face, int size) override;
    Size measureText(const ControlName& control, const std::wstring& text) override;

    // controls
    void createControl(const ControlSpec& layout) override;
    bool exists(const ControlName& control) override;
    void setText(const ControlName& control, const std::wstring& text) override;
    std::wstring text(const ControlName& control) override;
    void setEnabled(const ControlName& control, bool enabled) override;
    bool isEnabled(const ControlName& control) override;
    void setVisible(const ControlName& control, bool visible) override;
    bool isVisible(const ControlName& control) override;
    void setRect(const ControlName& control, Rect rect) override;
    Rect rect(const ControlName& control) override;
    void setChecked(const ControlName& control, bool checked) override;
    bool isChecked(const ControlName& control) override;
    void setFocus(const ControlName& control) override;
    ControlName focused(const ControlName& window) override;
    void setColours(const ControlName& control, std::int32_t text, std::int32_t background) override;
    void setIcon(const ControlName& control, const std::wstring& file, int index, int size) override;

    // lists
    void addColumn(const ControlName& list, const std::wstring& title, int width) override;
    int columnCount(const ControlName& list) override;
    std::wstring columnTitle(const ControlName& list, int column) override;
    void setColumnWidth(const ControlName& list, int column, int width) override;
    int columnWidth(const ControlName& list, int column) override;
    void setColumnAlignment(const ControlName& list, int column, ColumnAlign align) override;
    ColumnAlign columnAlignment(const ControlName& list, int column) override;
    int addRow(const ControlName& list, const std::vector<std::wstring>& cells) override;
    void deleteRow(const ControlName& list, int row) override;
    void deleteAllRows(const ControlName& list) override;
    int rowCount(const ControlName& list) override;
    std::wstring cell(const ControlName& list, int row, int column) override;
    void setCell(const ControlName& list, int row, int column, const std::wstring& text) override;
    int selectedRow(const ControlName& list) override;
    void selectRow(const ControlName& list, int row) override;
    void ensureRowVisible(const ControlName& list, int row) override;
    int addListIcon(const ControlName& list, const std::wstring& file, int index) override;
    void setRowIcon(const ControlName& list, int row, int icon) override;
    int rowIcon(const ControlName& list, int row) override;
    void setCellColours(const ControlName& list, int row, int column, std::int32_t text,
                        std::int32_t background) override;
    std::pair<std::int32_t, std::int32_t> cellColours(const ControlName& list, int row, int column) override;

    // combo boxes and spin fields
    void addComboItem(const ControlName& combo, const std::wstring& text) override;
    int comboCount(const ControlName& combo) override;
    std::wstring comboItem(const ControlName& combo, int index) override;
    void setComboSelection(const ControlName& combo, int index) override;
    int comboSelection(const ControlName& combo) override;
    void setSpinRange(const ControlName& spin, int low, int high) override;
    void setSpinValue(const ControlName& spin, int value) override;
    int spinValue(const ControlName& spin) override;

    // status bar
    void setStatusFields(const ControlName& bar, const std::vector<int>& widths) override;
    void setStatusText(const ControlName& bar, int field, const std::wstring& text) override;
    std::wstring statusText(const ControlName& bar, int field) override;
    void setProgress(const ControlName& bar, int percent) override;
    int progress(const ControlName& bar) override;

    // menus and tooltips
    void createPopupMenu(const ControlName& menu, const std::vector<MenuItemSpec>& items) override;
    void setMenuItemChecked(const ControlName& menu, int id, bool checked) override;
    bool isMenuItemChecked(const ControlName& menu, int id) override;
    void setMenuItemEnabled(const ControlName& menu, int id, bool enabled) override;
    bool isMenuItemEnabled(const ControlName& menu, int id) override;
    void showPopupMenu(const ControlName& menu, const ControlName& window) override;
    void addTooltip(const ControlName& control, const std::wstring& title, const std::wstring& text, int icon,
                    bool programFont) override;

    // taskbar
    std::wstring openFileDialog(const ControlName& owner, const OpenFileRequest& request) override;
    std::wstring pickFolder(const ControlName& owner, const FolderPickerRequest& request) override;
    std::wstring browseForFolder(const ControlName& owner, const std::wstring& title,
                                 const std::wstring& start) override;

    std::uint32_t formatDrive(const ControlName& owner, std::uint32_t drive, std::uint32_t formatId,
                              std::uint32_t options) override;

    bool createTaskbarProgress(const ControlName& window) override;
    void releaseTaskbarProgress() override;
    void setTaskbarProgress(std::uint64_t done, std::uint64_t total) override;
    void clearTaskbarProgress() override;

    // timers and events
    void setTimer(const ControlName& window, int id, int milliseconds) override;
    void killTimer(const ControlName& window, int id) override;
    void postEvent(const Event& event) override;
    Event waitEvent() override;
    void keepAnsweringFor(int milliseconds) override;

    // Window procedures (static entry points find the toolkit through GWLP_USERDATA).
    LRESULT topLevelMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT panelMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT serviceMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    // --- names (win32_toolkit_names.cpp) ----------------------------------------------------
    ControlRecord* findControl(const std::string& name);
    ControlRecord* findControl(HWND hwnd);
    WindowRecord* findWindow(const std::string& name);
    WindowRecord* findWindow(HWND hwnd);
    HWND handleOf(const std::string& name);     // a window or a control
    HWND containerOf(const std::string& name);  // a window or a panel to create controls in
    std::string topLevelOf(const std::string& container);
    void tagWithName(HWND hwnd, const std::string& name);
    void removeNameTag(HWND hwnd);

    // --- scaling (win32_toolkit_fonts.cpp) --------------------------------------------------
    int scale(int logical);
    int unscale(int physical);
    UniqueFont makeFont(const std::wstring& face, int size);
    HFONT windowFont(const std::string& window);

    // --- helpers ----------------------------------------------------------------------------
    void runOnUiThread(const std::function<void()>& work);
    void queueEvent(Event event);
    bool takeEvent(Event& event);
    LRESULT commonMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool& handled);
    LRESULT colourMessage(HDC dc, HWND control, LRESULT defaultBrush);
    LRESULT customDrawList(ControlRecord& list, NMLVCUSTOMDRAW* draw);
    void placeProgressBar(ControlRecord& bar);
    void layoutStatusBars(const std::string& window);
    HBRUSH brushFor(COLORREF colour);
    HICON extractIcon(const std::wstring& file, int index, int size);
    void createControlOnUiThread(const ControlSpec& layout);
    std::uint32_t createWindowOnUiThread(const std::string& name, const std::wstring& title, Size client,
                                         const std::string& owner, unsigned flags);
    void destroyWindowOnUiThread(const std::string& name);
    void centreWindowOn(HWND hwnd, HWND owner);
    void setTaskbarValueOnUiThread(std::uint64_t done, std::uint64_t total);
    void clearTaskbarOnUiThread();

    HINSTANCE instance_;
    DWORD uiThread_;
    UniqueWindow serviceWindow_;  // message-only window: wake-ups and work for the UI thread
    // System DLLs held for the life of the toolkit: what they create (icons, shell items, the
    // shell extensions a dialog brings in) may outlive any one call.
    UniqueModule shell32_;   // SHDefExtractIconW, the folder and format dialogs
    UniqueModule comdlg32_;  // GetOpenFileNameW; loaded by the first open-file dialog

    std::mutex namesMutex_;
    std::map<std::string, std::unique_ptr<WindowRecord>> windows_;
    std::map<std::string, std::unique_ptr<ControlRecord>> controls_;
    std::unordered_map<HWND, WindowRecord*> windowsByHandle_;
    std::unordered_map<HWND, ControlRecord*> controlsByHandle_;
    std::map<std::string, UniqueMenu> menus_;
    std::map<COLORREF, UniqueBrush> brushes_;
    int nextControlId_ = 1000;  // clear of IDOK / IDCANCEL, which IsDialogMessageW sends
    std::atomic<int> dpi_{0};   // from the main window's device context once it exists

    // A WM_QUIT from outside asks the main window to close; while the program cannot yet (a
    // worker runs), it is asked again after each later event rather than in a busy loop.
    bool quitRequested_ = false;
    bool closeOwed_ = false;
    Event mainWindowClose();
    // Enter, Esc, Tab, Space and the arrows for a window that takes its keys; false for others.
    bool takeKey(const MSG& msg, HWND root);

    std::mutex eventsMutex_;
    std::deque<Event> events_;

    ComPtr<ITaskbarList3> taskbar_;
    HWND taskbarWindow_ = nullptr;
};

// WM_GETTEXT with a buffer as long as the control says it needs.
std::wstring windowText(HWND hwnd);

}  // namespace halvora::win32
