#pragma once
// The window system as the program sees it. Controls are created from layout records and are
// addressed by name afterwards; the program never holds a window handle. Two implementations:
// win32 (real windows and common controls) and sim (state in memory, driven by a scripted user).
//
// Threads: every call may be made from any thread. Workers write a few controls directly and
// post events; the interface thread waits for them with waitEvent.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/control_name.hpp"
#include "platform/event.hpp"
#include "platform/geometry.hpp"

namespace halvora {

enum class ControlKind {
    Panel,       // a plain child window holding other controls
    Label,       // static text
    ClickLabel,  // static text that reports left clicks
    Button,
    Edit,       // single-line text field
    List,       // report-style list view with column headers
    DriveRow,   // report-style list view of one row: no header, no scroll bars
    Combo,      // drop-down list
    Check,      // check box
    Spin,       // numeric field with up/down arrows
    StatusBar,  // status bar; its field 1 holds a progress bar
    Icon,       // a 32 x 32 picture showing an icon
};

// Style flags of a control (combine with |).
enum ControlFlag : unsigned {
    kAlignLeft = 0,
    kAlignCentre = 1u << 0,
    kAlignRight = 1u << 1,
    kReadOnly = 1u << 2,
    kDigitsOnly = 1u << 3,
    kFullRowSelect = 1u << 4,
    kShowSelectionAlways = 1u << 5,
};

struct ControlSpec {
    ControlName name;
    ControlKind kind = ControlKind::Label;
    ControlName parent;  // the window or panel it is created in
    std::wstring text;
    Rect rect;
    unsigned flags = 0;
};

// Top-level window styles.
enum WindowFlag : unsigned {
    kWindowMinimiseBox = 1u << 0,  // system menu with close box and a minimise box (main window)
    kWindowNoCloseBox = 1u << 1,   // title bar without a close box (message box)
    kWindowTopMost = 1u << 2,
    // Enter, Esc, Tab, Space and the arrow keys come to the program as Key events instead of
    // moving the focus or pressing buttons as a dialog's keys do (a window made of plain
    // buttons would otherwise drop Enter and Esc, which arrive as IDOK and IDCANCEL).
    kWindowTakesKeys = 1u << 3,
};

struct MenuItemSpec {
    int id = 0;  // 0 = separator
    std::wstring text;
};

struct FontSpec {
    std::wstring face;
    int height = 0;  // a LOGFONTW lfHeight
};

// Icons of the tooltip titles.
enum TooltipIcon { kTooltipNoIcon = 0, kTooltipInfo = 1, kTooltipWarning = 2 };

// How a list column's cells are aligned (the list-view column format).
enum class ColumnAlign { Left = 0, Right = 1, Centre = 2 };

// The open-file dialog (GetOpenFileNameW). `start` is a file to preset, or a folder (ending in
// a backslash) to start in, or empty. `filter` is written as pairs of description and pattern,
// each followed by "|" ("*.WIM|*.WIM|"); `filterIndex` is 0-based.
struct OpenFileRequest {
    std::wstring title;
    std::wstring start;
    std::wstring filter;
    int filterIndex = 0;
    // OFN_NOCHANGEDIR. Without it the dialog moves the process's current folder to the chosen
    // file's folder, and a bare "X:" then means that folder whenever it lies on X:.
    bool keepCurrentFolder = false;
};

// The folder picker object (IFileOpenDialog with FOS_PICKFOLDERS). `defaultFolder` goes to
// SetDefaultFolder and, when `setFolder` is true, also to SetFolder; `options` are added to the
// dialog's own (GetOptions, then SetOptions with both).
struct FolderPickerRequest {
    std::wstring defaultFolder;
    bool setFolder = false;
    std::uint32_t options = 0;
};

// The largest WM_COPYDATA a window takes, in bytes.
inline constexpr std::uint32_t kCopyDataLimit = 1u << 20;

// "No colour set": the control's default.
inline constexpr std::int32_t kDefaultColour = -1;

// LVSCW_AUTOSIZE_USEHEADER as a column width.
inline constexpr int kAutoSizeUseHeader = -2;

class Toolkit {
public:
    virtual ~Toolkit() = default;

    // --- windows ----------------------------------------------------------------------------
    // Creates an invisible top-level window with the given client size, centred on the screen
    // (no owner) or on its owner. Returns 0 or the platform's error code.
    virtual std::uint32_t createWindow(const ControlName& name, const std::wstring& title, Size client,
                                       const ControlName& owner, unsigned flags) = 0;
    virtual void destroyWindow(const ControlName& name) = 0;
    virtual void setClientSize(const ControlName& window, Size client) = 0;
    virtual void centreWindow(const ControlName& window) = 0;  // on its owner, else the screen
    virtual bool isMinimised(const ControlName& window) = 0;
    virtual void restoreWindow(const ControlName& window) = 0;
    // Lets files be dropped on the window, also from programs that run without elevation
    // (WS_EX_ACCEPTFILES and the message filter entries for WM_DROPFILES and WM_COPYGLOBALDATA).
    virtual void acceptDroppedFiles(const ControlName& window) = 0;
    // From now on WM_COPYDATA sent to the window by another process is copied in the window
    // procedure and queued as a CopyData event, so that it is handled by the main loop and
    // never inside another handler (WM_COPYDATA also arrives while a message box, a dialog or a
    // menu pumps). The sender's SendMessage returns TRUE once the copy is queued; FALSE for
    // null data, a size over kCopyDataLimit, or a window that does not accept it.
    virtual void acceptCopyData(const ControlName& window) = 0;

    // --- fonts and the screen ---------------------------------------------------------------
    virtual int screenDpi() = 0;  // logical pixels per inch of the main window's device context
    virtual bool fontInstalled(const std::wstring& face) = 0;
    virtual std::optional<FontSpec> smallCaptionFont() = 0;  // SPI_GETNONCLIENTMETRICS
    virtual FontSpec stockGuiFont() = 0;                     // DEFAULT_GUI_FONT
    // The font given to every control created from now on in `window`. `size` is the stored
    // (point-like, usually negative) size; the toolkit turns it into a cell height.
    virtual void setWindowFont(const ControlName& window, const std::wstring& face, int size) = 0;
    virtual void setControlFont(const ControlName& control, const std::wstring& face, int size) = 0;
    // The size `text` needs in `control` (its font, line breaks honoured), in logical pixels.
    virtual Size measureText(const ControlName& control, const std::wstring& text) = 0;

    // --- controls ---------------------------------------------------------------------------
    virtual void createControl(const ControlSpec& layout) = 0;
    virtual bool exists(const ControlName& control) = 0;
    virtual void setText(const ControlName& control, const std::wstring& text) = 0;
    virtual std::wstring text(const ControlName& control) = 0;
    virtual void setEnabled(const ControlName& control, bool enabled) = 0;
    virtual bool isEnabled(const ControlName& control) = 0;
    virtual void setVisible(const ControlName& control, bool visible) = 0;
    virtual bool isVisible(const ControlName& control) = 0;  // its own flag, not its parents'
    virtual void setRect(const ControlName& control, Rect rect) = 0;
    virtual Rect rect(const ControlName& control) = 0;
    virtual void setChecked(const ControlName& control, bool checked) = 0;
    virtual bool isChecked(const ControlName& control) = 0;
    virtual void setFocus(const ControlName& control) = 0;
    virtual ControlName focused(const ControlName& window) = 0;  // empty when no control has it
    // Text and background colour (R + 256 G + 65536 B, or kDefaultColour).
    virtual void setColours(const ControlName& control, std::int32_t text, std::int32_t background) = 0;
    // Shows an icon of a file's icon resources in an Icon control (SHDefExtractIconW).
    virtual void setIcon(const ControlName& control, const std::wstring& file, int index, int size) = 0;

    // --- lists ------------------------------------------------------------------------------
    virtual void addColumn(const ControlName& list, const std::wstring& title, int width) = 0;
    virtual int columnCount(const ControlName& list) = 0;
    virtual std::wstring columnTitle(const ControlName& list, int column) = 0;
    virtual void setColumnWidth(const ControlName& list, int column, int width) = 0;
    virtual int columnWidth(const ControlName& list, int column) = 0;
    // The list-view column format alone (LVM_SETCOLUMNW with only LVCF_FMT).
    virtual void setColumnAlignment(const ControlName& list, int column, ColumnAlign align) = 0;
    virtual ColumnAlign columnAlignment(const ControlName& list, int column) = 0;
    // Widths are logical pixels; kAutoSizeUseHeader fits both the header and every cell.
    virtual int addRow(const ControlName& list, const std::vector<std::wstring>& cells) = 0;
    virtual void deleteRow(const ControlName& list, int row) = 0;
    virtual void deleteAllRows(const ControlName& list) = 0;
    virtual int rowCount(const ControlName& list) = 0;
    virtual std::wstring cell(const ControlName& list, int row, int column) = 0;
    virtual void setCell(const ControlName& list, int row, int column, const std::wstring& text) = 0;
    virtual int selectedRow(const ControlName& list) = 0;          // -1 for none
    virtual void selectRow(const ControlName& list, int row) = 0;  // -1 clears the selection
    virtual void ensureRowVisible(const ControlName& list, int row) = 0;
    // Row icons come from a small image list attached to the list: icons are added once and
    // then named by their position in it.
    virtual int addListIcon(const ControlName& list, const std::wstring& file, int index) = 0;
    virtual void setRowIcon(const ControlName& list, int row, int icon) = 0;
    virtual int rowIcon(const ControlName& list, int row) = 0;
    virtual void setCellColours(const ControlName& list, int row, int column, std::int32_t text,
                                std::int32_t background) = 0;
    virtual std::pair<std::int32_t, std::int32_t> cellColours(const ControlName& list, int row, int column) = 0;

    // --- combo boxes and spin fields --------------------------------------------------------
    virtual void addComboItem(const ControlName& combo, const std::wstring& text) = 0;
    virtual int comboCount(const ControlName& combo) = 0;
    virtual std::wstring comboItem(const ControlName& combo, int index) = 0;
    virtual void setComboSelection(const ControlName& combo, int index) = 0;
    virtual int comboSelection(const ControlName& combo) = 0;
    virtual void setSpinRange(const ControlName& spin, int low, int high) = 0;
    virtual void setSpinValue(const ControlName& spin, int value) = 0;
    virtual int spinValue(const ControlName& spin) = 0;

    // --- status bar and progress ------------------------------------------------------------
    // Field widths in logical pixels; the last field takes the rest (pass -1).
    virtual void setStatusFields(const ControlName& bar, const std::vector<int>& widths) = 0;
    virtual void setStatusText(const ControlName& bar, int field, const std::wstring& text) = 0;
    virtual std::wstring statusText(const ControlName& bar, int field) = 0;
    virtual void setProgress(const ControlName& bar, int percent) = 0;  // the bar in field 1
    virtual int progress(const ControlName& bar) = 0;

    // --- menus and tooltips -----------------------------------------------------------------
    virtual void createPopupMenu(const ControlName& menu, const std::vector<MenuItemSpec>& items) = 0;
    virtual void setMenuItemChecked(const ControlName& menu, int id, bool checked) = 0;
    virtual bool isMenuItemChecked(const ControlName& menu, int id) = 0;
    virtual void setMenuItemEnabled(const ControlName& menu, int id, bool enabled) = 0;
    virtual bool isMenuItemEnabled(const ControlName& menu, int id) = 0;
    // Opens the menu at the mouse position; a choice arrives as a Menu event for `window`.
    virtual void showPopupMenu(const ControlName& menu, const ControlName& window) = 0;
    // Attaches a balloon-less tooltip with a title; `programFont` gives it the window's font.
    virtual void addTooltip(const ControlName& control, const std::wstring& title, const std::wstring& text, int icon,
                            bool programFont) = 0;

    // --- taskbar progress -------------------------------------------------------------------
    virtual bool createTaskbarProgress(const ControlName& window) = 0;  // ITaskbarList3
    virtual void releaseTaskbarProgress() = 0;
    virtual void setTaskbarProgress(std::uint64_t done, std::uint64_t total) = 0;
    virtual void clearTaskbarProgress() = 0;

    // --- dialogs ----------------------------------------------------------------------------
    // Each blocks until the user answers and returns the chosen path, or the empty text when
    // the dialog was cancelled or could not be shown. `owner` names the owning window.
    virtual std::wstring openFileDialog(const ControlName& owner, const OpenFileRequest& request) = 0;
    virtual std::wstring pickFolder(const ControlName& owner, const FolderPickerRequest& request) = 0;
    // The classic folder browser (SHBrowseForFolderW and SHGetPathFromIDListW from Shell32.dll
    // found at run time), starting at `start`.
    virtual std::wstring browseForFolder(const ControlName& owner, const std::wstring& title,
                                         const std::wstring& start) = 0;

    // SHFormatDrive: the platform's format dialog for drive `drive` (0 is A:), owned by `owner`.
    // Returns what the dialog returns (the format id, or 0xFFFFFFFF SHFMT_ERROR / 0xFFFFFFFE
    // SHFMT_CANCEL / 0xFFFFFFFD SHFMT_NOFORMAT, the drive cannot be formatted).
    virtual std::uint32_t formatDrive(const ControlName& owner, std::uint32_t drive, std::uint32_t formatId,
                                      std::uint32_t options) = 0;

    // --- timers and events ------------------------------------------------------------------
    // Lets `milliseconds` pass on the interface thread with the window still answering: it is
    // painted and messages sent by other threads are handled, while the program's own events
    // (clicks, keys, timers, worker messages) stay queued for the next waitEvent.
    virtual void keepAnsweringFor(int milliseconds) = 0;
    virtual void setTimer(const ControlName& window, int id, int milliseconds) = 0;
    virtual void killTimer(const ControlName& window, int id) = 0;
    // Safe from any thread; the event is queued for the interface thread.
    virtual void postEvent(const Event& event) = 0;
    // Blocks until the next event (messages sent by other processes are handled meanwhile).
    virtual Event waitEvent() = 0;
};

}  // namespace halvora
