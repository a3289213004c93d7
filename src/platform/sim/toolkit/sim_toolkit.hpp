#pragma once
// The window system of one program run on a simulated machine: every window and control is a
// record in memory behind one mutex, so any thread may read or write them. Events come from
// the scripted user (or from workers); timers run on a virtual clock that only the scripted
// user moves.
//
// Beyond the Toolkit interface it answers the questions a test asks about the interface
// (what is visible, which menu is open, which tooltips exist, ...) and records misuse, such
// as writing to a control that does not exist, in faults().

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/machine/sim_machine.hpp"
#include "platform/sim/toolkit/sim_control.hpp"
#include "platform/sim/toolkit/sim_event_queue.hpp"
#include "platform/toolkit.hpp"

namespace halvora::sim {

// A change someone watching the screen would notice, as halvora-sim reports and traces it.
struct SimScreenChange {
    enum class Kind {
        WindowShown,    // a window became visible
        WindowClosing,  // a window is about to be destroyed; its controls are still there
        StatusText,     // a status bar field got a different text
    };
    Kind kind = Kind::WindowShown;
    std::string name;   // the window or the status bar
    int field = 0;      // StatusText only
    std::wstring text;  // StatusText only: the new text
};

// What the person does in the format dialog: formats with that file system and label ("" keeps
// the volume's file system), or cancels.
struct FormatAnswer {
    bool format = false;
    std::wstring fileSystem;
    std::wstring label;
};

class SimToolkit : public Toolkit {
public:
    explicit SimToolkit(std::shared_ptr<SimMachine> machine);
    ~SimToolkit() override;
    SimToolkit(const SimToolkit&) = delete;
    SimToolkit& operator=(const SimToolkit&) = delete;

    SimMachine& machine() { return *machine_; }

    // --- Toolkit ----------------------------------------------------------------------------
    std::uint32_t createWindow(const ControlName& name, const std::wstring& title, Size client,
                               const ControlName& owner, unsigned flags) override;
    void destroyWindow(const ControlName& name) override;
    void setClientSize(const ControlName& window, Size client) override;
    void centreWindow(const ControlName& window) override;
    bool isMinimised(const ControlName& window) override;
    void restoreWindow(const ControlName& window) override;
    void acceptDroppedFiles(const ControlName& window) override;
    void acceptCopyData(const ControlName& window) override;

    int screenDpi() override;
    bool fontInstalled(const std::wstring& face) override;
    std::optional<FontSpec> smallCaptionFont() override;
    FontSpec stockGuiFont() override;
    void setWindowFont(const ControlName& window, const std::wstring& face, int size) override;
    void setControlFont(const ControlName& control, const std::wstring& face, int size) override;
    Size measureText(const ControlName& control, const std::wstring& text) override;

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

    void addComboItem(const ControlName& combo, const std::wstring& text) override;
    int comboCount(const ControlName& combo) override;
    std::wstring comboItem(const ControlName& combo, int index) override;
    void setComboSelection(const ControlName& combo, int index) override;
    int comboSelection(const ControlName& combo) override;
    void setSpinRange(const ControlName& spin, int low, int high) override;
    void setSpinValue(const ControlName& spin, int value) override;
    int spinValue(const ControlName& spin) override;

    void setStatusFields(const ControlName& bar, const std::vector<int>& widths) override;
    void setStatusText(const ControlName& bar, int field, const std::wstring& text) override;
    std::wstring statusText(const ControlName& bar, int field) override;
    void setProgress(const ControlName& bar, int percent) override;
    int progress(const ControlName& bar) override;

    void createPopupMenu(const ControlName& menu, const std::vector<MenuItemSpec>& items) override;
    void setMenuItemChecked(const ControlName& menu, int id, bool checked) override;
    bool isMenuItemChecked(const ControlName& menu, int id) override;
    void setMenuItemEnabled(const ControlName& menu, int id, bool enabled) override;
    bool isMenuItemEnabled(const ControlName& menu, int id) override;
    void showPopupMenu(const ControlName& menu, const ControlName& window) override;
    void addTooltip(const ControlName& control, const std::wstring& title, const std::wstring& text, int icon,
                    bool programFont) override;

    bool createTaskbarProgress(const ControlName& window) override;
    void releaseTaskbarProgress() override;
    void setTaskbarProgress(std::uint64_t done, std::uint64_t total) override;
    void clearTaskbarProgress() override;

    std::wstring openFileDialog(const ControlName& owner, const OpenFileRequest& request) override;
    std::wstring pickFolder(const ControlName& owner, const FolderPickerRequest& request) override;
    std::wstring browseForFolder(const ControlName& owner, const std::wstring& title,
                                 const std::wstring& start) override;

    std::uint32_t formatDrive(const ControlName& owner, std::uint32_t drive, std::uint32_t formatId,
                              std::uint32_t options) override;

    void keepAnsweringFor(int milliseconds) override;
    void setTimer(const ControlName& window, int id, int milliseconds) override;
    void killTimer(const ControlName& window, int id) override;
    void postEvent(const Event& event) override;
    Event waitEvent() override;

    // --- what a test asks about the interface -----------------------------------------------
    bool isWindow(const std::string& name);
    std::vector<std::string> windows();                             // in creation order
    std::optional<ControlKind> kindOf(const std::string& control);  // nullopt for windows
    std::string parentOf(const std::string& control);               // "" for windows
    std::vector<std::string> childrenOf(const std::string& name);
    std::string topWindowOf(const std::string& name);  // the window itself for a window
    bool effectivelyVisible(const std::string& name);  // itself and every ancestor
    bool effectivelyEnabled(const std::string& name);  // itself and every ancestor
    unsigned flagsOf(const std::string& name);         // ControlFlag or WindowFlag bits
    std::string ownerOf(const std::string& window);
    Size clientSize(const std::string& window);
    int centreCount(const std::string& window);
    std::uint64_t windowId(const std::string& window);  // as findWindow reports it
    bool acceptsDroppedFiles(const std::string& window);
    bool acceptsCopyData(const std::string& window);
    // Whether the program took a close request (a Close event) for the window from its queue
    // since the window was made, whoever posted it: a person, a worker, the system. A message
    // box that took one returns Cancel (2), whatever button had the focus.
    bool closeTaken(const std::string& window);
    std::optional<FontSpec> fontOf(const std::string& control);  // nullopt: system font
    std::optional<FontSpec> windowFont(const std::string& window);
    std::pair<std::int32_t, std::int32_t> colours(const std::string& control);
    std::optional<SimIcon> iconOf(const std::string& control);
    std::vector<SimIcon> listIcons(const std::string& list);
    int ensuredVisibleRow(const std::string& list);  // last ensureRowVisible, -1 none
    std::pair<int, int> spinRange(const std::string& spin);
    std::vector<int> statusFields(const std::string& bar);
    std::vector<SimMenuItem> menuItems(const std::string& menu);
    std::string menuOpenFor(const std::string& menu);  // "" when closed or unknown
    void closePopupMenu(const std::string& menu);
    std::vector<SimTooltip> tooltips();  // in creation order
    SimTaskbar taskbar();
    std::vector<std::string> faults();  // misuse by the program

    // The person's answers to the dialogs the program will open, in order: a path, or "" for
    // Cancel. A dialog that opens with no answer waiting is cancelled and recorded as a fault.
    void queueDialogAnswer(const std::wstring& answer);
    std::size_t queuedDialogAnswers();
    // The person's answers to the format dialogs, in order. No answer waiting: the dialog is
    // cancelled and that is recorded as a fault.
    void queueFormatAnswer(const FormatAnswer& answer);

    // Test set-up: the next createWindow of `name` fails with `error`.
    void failWindowCreation(const std::string& name, std::uint32_t error);
    void setMinimised(const std::string& window, bool minimised);

    // Called on the thread that made the change, with no lock held, so the observer may query
    // the toolkit (a closing window can still be read). Set it before the program runs.
    using ScreenObserver = std::function<void(const SimScreenChange&)>;
    void setScreenObserver(ScreenObserver observer) { observer_ = std::move(observer); }

    // --- virtual clock and the interface thread ---------------------------------------------
    std::uint64_t now();  // the machine's virtual time, in milliseconds
    std::optional<int> timerInterval(const std::string& window, int id);
    // Fires the earliest timer due at or before `until`: moves the clock to its moment, posts
    // its Timer event and schedules its next round. False when none is due by then.
    bool fireNextTimer(std::uint64_t until);
    void advanceClockTo(std::uint64_t until);  // no timer fires

    bool isIdle();
    bool waitIdle(std::chrono::milliseconds timeout);
    std::size_t pendingEvents();
    // The program has returned: nothing will wait for events again, so the thread counts as
    // idle and copy-data sent to its windows fails at once, as to a process that has ended.
    void markProgramEnded();

private:
    using Lock = std::unique_lock<std::mutex>;

    // Look-ups under the lock. They record a fault when the name is unknown or of another kind.
    SimControl* find(const std::string& name, const char* operation);
    SimControl* findWindow(const std::string& name, const char* operation);
    SimControl* findKind(const std::string& name, const char* operation, std::initializer_list<ControlKind> kinds);
    SimControl* findList(const std::string& name, const char* operation);
    SimMenu* findMenu(const std::string& name, const char* operation);
    void fault(const std::string& what);
    void eraseTree(const std::string& name);
    std::wstring takeDialogAnswer(const std::string& owner, const char* dialog);
    std::string topWindowLocked(const std::string& name);

    std::shared_ptr<SimMachine> machine_;
    std::shared_ptr<SimEventQueue> queue_;

    std::mutex mutex_;
    std::map<std::string, SimControl> controls_;
    std::vector<std::string> windowOrder_;
    std::map<std::string, SimMenu> menus_;
    std::vector<SimTooltip> tooltips_;
    SimTaskbar taskbar_;
    std::vector<SimTimer> timers_;
    std::uint64_t timerOrder_ = 0;
    std::map<std::string, std::uint32_t> failingWindows_;
    std::vector<std::string> faults_;
    std::deque<std::wstring> dialogAnswers_;
    std::deque<FormatAnswer> formatAnswers_;
    ScreenObserver observer_;
};

}  // namespace halvora::sim
