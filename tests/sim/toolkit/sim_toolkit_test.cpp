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
#include "control_literal.hpp"
#include "ui/control_names.hpp"

namespace halvora::sim {

using namespace halvora::testing_names;
namespace {

using toolkit_tests::emptyMachine;
using toolkit_tests::SimToolkitTree;

TEST(SimToolkit, WindowsAreFoundByTheirCurrentTitleFromAnyRun) {
    auto m = emptyMachine();
    auto first = std::make_unique<SimToolkit>(m);
    SimToolkit second(m);
    ASSERT_EQ(first->createWindow(controls::MainWindow, L"Halvora", {770, 510}, ""_c, kWindowMinimiseBox), 0u);
    const std::uint64_t id = m->findWindow(L"Halvora");
    EXPECT_NE(id, 0u);
    EXPECT_EQ(id, first->windowId("MainWindow"));
    first->setText(controls::MainWindow, L"Halvora   WimGAPI v10");
    EXPECT_EQ(m->findWindow(L"Halvora"), 0u);
    EXPECT_EQ(m->findWindow(L"Halvora   WimGAPI v10"), id);
    EXPECT_EQ(second.createWindow(controls::MainWindow, L"Other", {10, 10}, ""_c, 0), 0u);
    EXPECT_NE(m->findWindow(L"Other"), id);
    first->destroyWindow(controls::MainWindow);
    EXPECT_EQ(m->findWindow(L"Halvora   WimGAPI v10"), 0u);
    first->createWindow(controls::MainWindow, L"Again", {10, 10}, ""_c, 0);
    first.reset();
    EXPECT_EQ(m->findWindow(L"Again"), 0u) << "a toolkit's windows go with it";
    EXPECT_NE(m->findWindow(L"Other"), 0u);
}

TEST(SimToolkit, WindowCreationFailsForUnknownOwnersTakenNamesAndWhenTold) {
    SimToolkit ui(emptyMachine());
    EXPECT_EQ(ui.createWindow("Box"_c, L"t", {1, 1}, "NoSuchOwner"_c, 0), 1400u);
    ASSERT_EQ(ui.createWindow("Main"_c, L"t", {1, 1}, ""_c, 0), 0u);
    EXPECT_NE(ui.createWindow("Main"_c, L"t", {1, 1}, ""_c, 0), 0u);
    ui.failWindowCreation("Box", 8);
    EXPECT_EQ(ui.createWindow("Box"_c, L"t", {1, 1}, "Main"_c, 0), 8u);
    EXPECT_EQ(ui.createWindow("Box"_c, L"t", {1, 1}, "Main"_c, 0), 0u) << "only the next creation fails";
    EXPECT_FALSE(ui.isVisible("Box"_c));
}

TEST(SimToolkit, TheOpenFileDialogMovesTheCurrentFolderUnlessToldNotTo) {
    auto m = emptyMachine();
    SimToolkit ui(m);
    ASSERT_EQ(ui.createWindow("Main"_c, L"t", {1, 1}, ""_c, 0), 0u);
    const std::wstring start = m->currentFolder();
    OpenFileRequest request;
    request.keepCurrentFolder = true;
    ui.queueDialogAnswer(L"E:\\cfg\\unattend.xml");
    EXPECT_EQ(ui.openFileDialog("Main"_c, request), L"E:\\cfg\\unattend.xml");
    EXPECT_EQ(m->currentFolder(), start);
    EXPECT_EQ(m->fullPath(L"E:"), L"E:");

    request.keepCurrentFolder = false;
    ui.queueDialogAnswer(L"");
    EXPECT_EQ(ui.openFileDialog("Main"_c, request), L"");
    EXPECT_EQ(m->currentFolder(), start) << "a cancelled dialog goes nowhere";
    ui.queueDialogAnswer(L"E:\\cfg\\unattend.xml");
    ui.openFileDialog("Main"_c, request);
    EXPECT_EQ(m->currentFolder(), L"E:\\cfg");
    EXPECT_EQ(m->fullPath(L"E:"), L"E:\\cfg") << "a drive alone is now that folder";
    EXPECT_EQ(m->fullPath(L"E:\\"), L"E:\\");
    ui.queueDialogAnswer(L"F:\\top.xml");
    ui.openFileDialog("Main"_c, request);
    EXPECT_EQ(m->fullPath(L"F:"), L"F:");
    EXPECT_EQ(m->fullPath(L"E:"), L"E:") << "one current folder, as a process has";
}

TEST_F(SimToolkitTree, VisibilityOfAControlDependsOnEveryAncestor) {
    EXPECT_TRUE(ui.isVisible("Button"_c));
    EXPECT_FALSE(ui.effectivelyVisible("Button")) << "the window starts hidden";
    ui.setVisible("Main"_c, true);
    EXPECT_TRUE(ui.effectivelyVisible("Button"));
    ui.setVisible("Panel"_c, false);
    EXPECT_TRUE(ui.isVisible("Button"_c));
    EXPECT_FALSE(ui.effectivelyVisible("Button"));
    EXPECT_TRUE(ui.effectivelyVisible("List"));
    EXPECT_EQ(ui.topWindowOf("Button"), "Main");
    EXPECT_EQ(ui.childrenOf("Panel"), (std::vector<std::string>{"Button", "Spin", "Check", "Label"}));
}

TEST_F(SimToolkitTree, DestroyingAWindowTakesItsControlsOwnedWindowsAndTimers) {
    ui.createWindow("Box"_c, L"Box", {10, 10}, "Main"_c, 0);
    ui.createControl({"BoxOk"_c, ControlKind::Button, "Box"_c, L"OK", {}});
    ui.setTimer("Main"_c, 1, 100);
    ui.setTimer("Box"_c, 2, 100);
    ui.destroyWindow("Main"_c);
    for (const char* name : {"Main", "Panel", "Button", "Box", "BoxOk"})
        EXPECT_FALSE(ui.exists(std::string(name))) << name;
    EXPECT_FALSE(ui.timerInterval("Main", 1));
    EXPECT_FALSE(ui.timerInterval("Box", 2));
    EXPECT_TRUE(ui.windows().empty());
    EXPECT_TRUE(ui.faults().empty());
}

TEST_F(SimToolkitTree, MisuseIsRecordedAsFaults) {
    ui.setText("Nothing"_c, L"x");
    ui.createControl({"Button"_c, ControlKind::Button, "Main"_c, L"dup", {}});
    ui.createControl({"Orphan"_c, ControlKind::Button, "Missing"_c, L"", {}});
    ui.createControl({"Inner"_c, ControlKind::Button, "Button"_c, L"", {}});
    ui.addRow("Combo"_c, {L"x"});
    ui.setStatusText("Bar"_c, 1, L"no such field yet");
    const auto faults = ui.faults();
    ASSERT_EQ(faults.size(), 6u);
    EXPECT_NE(faults[0].find("Nothing"), std::string::npos);
    EXPECT_EQ(ui.text("Button"_c), L"Go");
    EXPECT_FALSE(ui.exists("Orphan"_c));
    EXPECT_FALSE(ui.exists("Inner"_c));
    ui.setStatusFields("Bar"_c, {60, -1});
    ui.setStatusText("Bar"_c, 1, L"ok");
    EXPECT_EQ(ui.statusText("Bar"_c, 1), L"ok");
    EXPECT_EQ(ui.faults().size(), 6u);
}

TEST_F(SimToolkitTree, ListsKeepOneCellPerColumnAndFollowDeletedRows) {
    ui.addColumn("List"_c, L"A", 40);
    ui.addColumn("List"_c, L"B", 50);
    EXPECT_EQ(ui.addRow("List"_c, {L"a0", L"b0", L"lost"}), 0);
    EXPECT_EQ(ui.addRow("List"_c, {L"a1"}), 1);
    EXPECT_EQ(ui.addRow("List"_c, {L"a2", L"b2"}), 2);
    EXPECT_EQ(ui.cell("List"_c, 0, 2), L"");
    EXPECT_EQ(ui.cell("List"_c, 1, 1), L"");
    ui.setCell("List"_c, 1, 1, L"b1");
    EXPECT_EQ(ui.cell("List"_c, 1, 1), L"b1");
    ui.selectRow("List"_c, 2);
    ui.setCellColours("List"_c, 2, 1, 5, 6);
    ui.deleteRow("List"_c, 0);
    EXPECT_EQ(ui.selectedRow("List"_c), 1);
    EXPECT_EQ(ui.cell("List"_c, 1, 0), L"a2");
    EXPECT_EQ(ui.cellColours("List"_c, 1, 1), (std::pair<std::int32_t, std::int32_t>{5, 6}));
    ui.deleteRow("List"_c, 1);
    EXPECT_EQ(ui.selectedRow("List"_c), -1);
    ui.selectRow("List"_c, 7);
    EXPECT_EQ(ui.selectedRow("List"_c), -1);
    EXPECT_EQ(ui.addListIcon("List"_c, L"halvora.exe", -2), 0);
    EXPECT_EQ(ui.addListIcon("List"_c, L"halvora.exe", -3), 1);
    ui.setRowIcon("List"_c, 0, 1);
    EXPECT_EQ(ui.rowIcon("List"_c, 0), 1);
    ui.deleteAllRows("List"_c);
    EXPECT_EQ(ui.rowCount("List"_c), 0);
}

TEST_F(SimToolkitTree, CombosSpinsAndStatusBarsBehaveAsTheirControlsDo) {
    ui.addComboItem("Combo"_c, L"대기");
    ui.addComboItem("Combo"_c, L"재시작");
    ui.setComboSelection("Combo"_c, 1);
    EXPECT_EQ(ui.text("Combo"_c), L"재시작");
    ui.setComboSelection("Combo"_c, 5);
    EXPECT_EQ(ui.comboSelection("Combo"_c), -1);
    EXPECT_EQ(ui.text("Combo"_c), L"");

    EXPECT_EQ(ui.spinValue("Spin"_c), 2) << "the initial text is the position";
    ui.setSpinRange("Spin"_c, 1, 4);
    ui.setSpinValue("Spin"_c, 9);
    EXPECT_EQ(ui.spinValue("Spin"_c), 4);
    EXPECT_EQ(ui.text("Spin"_c), L"4");
    ui.setText("Spin"_c, L"3");
    EXPECT_EQ(ui.spinValue("Spin"_c), 3);
    ui.setText("Spin"_c, L"x");
    EXPECT_EQ(ui.spinValue("Spin"_c), 3);

    ui.setProgress("Bar"_c, 140);
    EXPECT_EQ(ui.progress("Bar"_c), 100);
    ui.setText("Bar"_c, L"first field");
    EXPECT_EQ(ui.statusText("Bar"_c, 0), L"first field");
}

TEST_F(SimToolkitTree, ControlsTakeTheWindowFontSetBeforeTheyWereCreated) {
    EXPECT_FALSE(ui.fontOf("Button"));
    ui.setWindowFont("Main"_c, L"Consolas", -11);
    ui.createControl({"Late"_c, ControlKind::Label, "Panel"_c, L"", {}});
    ASSERT_TRUE(ui.fontOf("Late"));
    EXPECT_EQ(ui.fontOf("Late")->face, L"Consolas");
    EXPECT_FALSE(ui.fontOf("Button"));
    ui.setControlFont("Button"_c, L"Segoe UI", -12);
    EXPECT_EQ(ui.fontOf("Button")->height, -12);
}

TEST_F(SimToolkitTree, MeasureTextCountsNarrowAndWideCharactersPerLine) {
    EXPECT_EQ(ui.measureText("Label"_c, L"ab"), (Size{14, 16}));
    EXPECT_EQ(ui.measureText("Label"_c, L"ab\r\n한글한"), (Size{36, 32}));
    EXPECT_EQ(ui.measureText("Label"_c, L"abcd\rx\ny"), (Size{28, 48}));
    EXPECT_EQ(ui.measureText("Label"_c, L"a\n"), (Size{7, 32}));
    EXPECT_EQ(ui.measureText("Label"_c, L""), (Size{0, 16}));
    EXPECT_EQ(ui.measureText("Label"_c, std::wstring(1, wchar_t(0x10FF)) + wchar_t(0x1100)), (Size{19, 16}));
}

}  // namespace
}  // namespace halvora::sim
