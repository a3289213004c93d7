// The toolkit's own rules: windows found by title from any run, window creation failures, the
// open-file dialog and the current folder, the control tree's visibility and destruction, misuse
// recorded as faults, lists, combos, spins, status bars, fonts and text measurement.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/sim/machine/sim_machine.hpp"
#include "platform/sim/toolkit/sim_toolkit.hpp"
#include "toolkit_fixtures.hpp"

namespace halvora::sim {
namespace {

using toolkit_tests::emptyMachine;
using toolkit_tests::SimToolkitTree;

TEST(SimToolkit, WindowsAreFoundByTheirCurrentTitleFromAnyRun) {
    auto m = emptyMachine();
    auto first = std::make_unique<SimToolkit>(m);
    SimToolkit second(m);
    ASSERT_EQ(first->createWindow("MainWindow", L"Halvora", {770, 510}, "", kWindowMinimiseBox), 0u);
    const std::uint64_t id = m->findWindow(L"Halvora");
    EXPECT_NE(id, 0u);
    EXPECT_EQ(id, first->windowId("MainWindow"));
    first->setText("MainWindow", L"Halvora   WimGAPI v10");
    EXPECT_EQ(m->findWindow(L"Halvora"), 0u);
    EXPECT_EQ(m->findWindow(L"Halvora   WimGAPI v10"), id);
    EXPECT_EQ(second.createWindow("MainWindow", L"Other", {10, 10}, "", 0), 0u);
    EXPECT_NE(m->findWindow(L"Other"), id);
    first->destroyWindow("MainWindow");
    EXPECT_EQ(m->findWindow(L"Halvora   WimGAPI v10"), 0u);
    first->createWindow("MainWindow", L"Again", {10, 10}, "", 0);
    first.reset();
    EXPECT_EQ(m->findWindow(L"Again"), 0u) << "a toolkit's windows go with it";
    EXPECT_NE(m->findWindow(L"Other"), 0u);
}

TEST(SimToolkit, WindowCreationFailsForUnknownOwnersTakenNamesAndWhenTold) {
    SimToolkit ui(emptyMachine());
    EXPECT_EQ(ui.createWindow("Box", L"t", {1, 1}, "NoSuchOwner", 0), 1400u);
    ASSERT_EQ(ui.createWindow("Main", L"t", {1, 1}, "", 0), 0u);
    EXPECT_NE(ui.createWindow("Main", L"t", {1, 1}, "", 0), 0u);
    ui.failWindowCreation("Box", 8);
    EXPECT_EQ(ui.createWindow("Box", L"t", {1, 1}, "Main", 0), 8u);
    EXPECT_EQ(ui.createWindow("Box", L"t", {1, 1}, "Main", 0), 0u) << "only the next creation fails";
    EXPECT_FALSE(ui.isVisible("Box"));
}

TEST(SimToolkit, TheOpenFileDialogMovesTheCurrentFolderUnlessToldNotTo) {
    auto m = emptyMachine();
    SimToolkit ui(m);
    ASSERT_EQ(ui.createWindow("Main", L"t", {1, 1}, "", 0), 0u);
    const std::wstring start = m->currentFolder();
    OpenFileRequest request;
    request.keepCurrentFolder = true;
    ui.queueDialogAnswer(L"E:\\cfg\\unattend.xml");
    EXPECT_EQ(ui.openFileDialog("Main", request), L"E:\\cfg\\unattend.xml");
    EXPECT_EQ(m->currentFolder(), start);
    EXPECT_EQ(m->fullPath(L"E:"), L"E:");

    request.keepCurrentFolder = false;
    ui.queueDialogAnswer(L"");
    EXPECT_EQ(ui.openFileDialog("Main", request), L"");
    EXPECT_EQ(m->currentFolder(), start) << "a cancelled dialog goes nowhere";
    ui.queueDialogAnswer(L"E:\\cfg\\unattend.xml");
    ui.openFileDialog("Main", request);
    EXPECT_EQ(m->currentFolder(), L"E:\\cfg");
    EXPECT_EQ(m->fullPath(L"E:"), L"E:\\cfg") << "a drive alone is now that folder";
    EXPECT_EQ(m->fullPath(L"E:\\"), L"E:\\");
    ui.queueDialogAnswer(L"F:\\top.xml");
    ui.openFileDialog("Main", request);
    EXPECT_EQ(m->fullPath(L"F:"), L"F:");
    EXPECT_EQ(m->fullPath(L"E:"), L"E:") << "one current folder, as a process has";
}

TEST_F(SimToolkitTree, VisibilityOfAControlDependsOnEveryAncestor) {
    EXPECT_TRUE(ui.isVisible("Button"));
    EXPECT_FALSE(ui.effectivelyVisible("Button")) << "the window starts hidden";
    ui.setVisible("Main", true);
    EXPECT_TRUE(ui.effectivelyVisible("Button"));
    ui.setVisible("Panel", false);
    EXPECT_TRUE(ui.isVisible("Button"));
    EXPECT_FALSE(ui.effectivelyVisible("Button"));
    EXPECT_TRUE(ui.effectivelyVisible("List"));
    EXPECT_EQ(ui.topWindowOf("Button"), "Main");
    EXPECT_EQ(ui.childrenOf("Panel"), (std::vector<std::string>{"Button", "Spin", "Check", "Label"}));
}

TEST_F(SimToolkitTree, DestroyingAWindowTakesItsControlsOwnedWindowsAndTimers) {
    ui.createWindow("Box", L"Box", {10, 10}, "Main", 0);
    ui.createControl({"BoxOk", ControlKind::Button, "Box", L"OK", {}});
    ui.setTimer("Main", 1, 100);
    ui.setTimer("Box", 2, 100);
    ui.destroyWindow("Main");
    for (const char* name : {"Main", "Panel", "Button", "Box", "BoxOk"}) EXPECT_FALSE(ui.exists(name)) << name;
    EXPECT_FALSE(ui.timerInterval("Main", 1));
    EXPECT_FALSE(ui.timerInterval("Box", 2));
    EXPECT_TRUE(ui.windows().empty());
    EXPECT_TRUE(ui.faults().empty());
}

TEST_F(SimToolkitTree, MisuseIsRecordedAsFaults) {
    ui.setText("Nothing", L"x");
    ui.createControl({"Button", ControlKind::Button, "Main", L"dup", {}});
    ui.createControl({"Orphan", ControlKind::Button, "Missing", L"", {}});
    ui.createControl({"Inner", ControlKind::Button, "Button", L"", {}});
    ui.addRow("Combo", {L"x"});
    ui.setStatusText("Bar", 1, L"no such field yet");
    const auto faults = ui.faults();
    ASSERT_EQ(faults.size(), 6u);
    EXPECT_NE(faults[0].find("Nothing"), std::string::npos);
    EXPECT_EQ(ui.text("Button"), L"Go");
    EXPECT_FALSE(ui.exists("Orphan"));
    EXPECT_FALSE(ui.exists("Inner"));
    ui.setStatusFields("Bar", {60, -1});
    ui.setStatusText("Bar", 1, L"ok");
    EXPECT_EQ(ui.statusText("Bar", 1), L"ok");
    EXPECT_EQ(ui.faults().size(), 6u);
}

TEST_F(SimToolkitTree, ListsKeepOneCellPerColumnAndFollowDeletedRows) {
    ui.addColumn("List", L"A", 40);
    ui.addColumn("List", L"B", 50);
    EXPECT_EQ(ui.addRow("List", {L"a0", L"b0", L"lost"}), 0);
    EXPECT_EQ(ui.addRow("List", {L"a1"}), 1);
    EXPECT_EQ(ui.addRow("List", {L"a2", L"b2"}), 2);
    EXPECT_EQ(ui.cell("List", 0, 2), L"");
    EXPECT_EQ(ui.cell("List", 1, 1), L"");
    ui.setCell("List", 1, 1, L"b1");
    EXPECT_EQ(ui.cell("List", 1, 1), L"b1");
    ui.selectRow("List", 2);
    ui.setCellColours("List", 2, 1, 5, 6);
    ui.deleteRow("List", 0);
    EXPECT_EQ(ui.selectedRow("List"), 1);
    EXPECT_EQ(ui.cell("List", 1, 0), L"a2");
    EXPECT_EQ(ui.cellColours("List", 1, 1), (std::pair<std::int32_t, std::int32_t>{5, 6}));
    ui.deleteRow("List", 1);
    EXPECT_EQ(ui.selectedRow("List"), -1);
    ui.selectRow("List", 7);
    EXPECT_EQ(ui.selectedRow("List"), -1);
    EXPECT_EQ(ui.addListIcon("List", L"halvora.exe", -2), 0);
    EXPECT_EQ(ui.addListIcon("List", L"halvora.exe", -3), 1);
    ui.setRowIcon("List", 0, 1);
    EXPECT_EQ(ui.rowIcon("List", 0), 1);
    ui.deleteAllRows("List");
    EXPECT_EQ(ui.rowCount("List"), 0);
}

TEST_F(SimToolkitTree, CombosSpinsAndStatusBarsBehaveAsTheirControlsDo) {
    ui.addComboItem("Combo", L"대기");
    ui.addComboItem("Combo", L"재시작");
    ui.setComboSelection("Combo", 1);
    EXPECT_EQ(ui.text("Combo"), L"재시작");
    ui.setComboSelection("Combo", 5);
    EXPECT_EQ(ui.comboSelection("Combo"), -1);
    EXPECT_EQ(ui.text("Combo"), L"");

    EXPECT_EQ(ui.spinValue("Spin"), 2) << "the initial text is the position";
    ui.setSpinRange("Spin", 1, 4);
    ui.setSpinValue("Spin", 9);
    EXPECT_EQ(ui.spinValue("Spin"), 4);
    EXPECT_EQ(ui.text("Spin"), L"4");
    ui.setText("Spin", L"3");
    EXPECT_EQ(ui.spinValue("Spin"), 3);
    ui.setText("Spin", L"x");
    EXPECT_EQ(ui.spinValue("Spin"), 3);

    ui.setProgress("Bar", 140);
    EXPECT_EQ(ui.progress("Bar"), 100);
    ui.setText("Bar", L"first field");
    EXPECT_EQ(ui.statusText("Bar", 0), L"first field");
}

TEST_F(SimToolkitTree, ControlsTakeTheWindowFontSetBeforeTheyWereCreated) {
    EXPECT_FALSE(ui.fontOf("Button"));
    ui.setWindowFont("Main", L"Consolas", -11);
    ui.createControl({"Late", ControlKind::Label, "Panel", L"", {}});
    ASSERT_TRUE(ui.fontOf("Late"));
    EXPECT_EQ(ui.fontOf("Late")->face, L"Consolas");
    EXPECT_FALSE(ui.fontOf("Button"));
    ui.setControlFont("Button", L"Segoe UI", -12);
    EXPECT_EQ(ui.fontOf("Button")->height, -12);
}

TEST_F(SimToolkitTree, MeasureTextCountsNarrowAndWideCharactersPerLine) {
    EXPECT_EQ(ui.measureText("Label", L"ab"), (Size{14, 16}));
    EXPECT_EQ(ui.measureText("Label", L"ab\r\n한글한"), (Size{36, 32}));
    EXPECT_EQ(ui.measureText("Label", L"abcd\rx\ny"), (Size{28, 48}));
    EXPECT_EQ(ui.measureText("Label", L"a\n"), (Size{7, 32}));
    EXPECT_EQ(ui.measureText("Label", L""), (Size{0, 16}));
    EXPECT_EQ(ui.measureText("Label", std::wstring(1, wchar_t(0x10FF)) + wchar_t(0x1100)), (Size{19, 16}));
}

}  // namespace
}  // namespace halvora::sim
