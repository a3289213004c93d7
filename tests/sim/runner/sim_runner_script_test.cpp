// halvora-sim's script: each step read into what the runner does, and bad scripts refused with
// a message that names the step and what it takes.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <variant>

#include <nlohmann/json.hpp>

#include "platform/event.hpp"
#include "platform/sim/runner/sim_runner_script.hpp"

namespace halvora::sim {
namespace {

using nlohmann::json;

TEST(RunnerScript, EveryStepIsReadWithItsValues) {
    const json script = json::parse(R"([
        {"click": "InfoMark"}, {"clickRow": ["ImageList", 2]}, {"doubleClickRow": ["TargetDriveList", 0]},
        {"menu": 3}, {"drop": ["D:\\a.wim", "D:\\이미지.esd"]}, {"dialog": ""}, {"answer": "Cancel"},
        {"advance": 1500}, {"waitIdle": true}, {"waitStatus": "완료"}, {"close": true}, {"snapshot": "end"},
        {"spin": ["ScanDepthSpin", -1]}, {"type": ["ImageIndexEdit", "2"]}, {"choose": ["AfterInstallCombo", 1]},
        {"format": {"fileSystem": "NTFS", "label": "새 볼륨"}}, {"format": false},
        {"holdApply": false}, {"waitApplyHeld": true}, {"releaseApply": true}, {"key": "Enter"}, {"key": "Shift+Tab"}
    ])");
    std::string error;
    const auto steps = parseScript(script, error);
    ASSERT_TRUE(steps) << error;
    ASSERT_EQ(steps->size(), 22u);
    const auto& s = *steps;
    ASSERT_TRUE(std::holds_alternative<ClickStep>(s[0].action));
    EXPECT_EQ(std::get<ClickStep>(s[0].action).control, "InfoMark");
    ASSERT_TRUE(std::holds_alternative<ClickRowStep>(s[1].action));
    EXPECT_EQ(std::get<ClickRowStep>(s[1].action).list, "ImageList");
    EXPECT_EQ(std::get<ClickRowStep>(s[1].action).row, 2);
    ASSERT_TRUE(std::holds_alternative<DoubleClickRowStep>(s[2].action));
    EXPECT_EQ(std::get<DoubleClickRowStep>(s[2].action).list, "TargetDriveList");
    EXPECT_EQ(std::get<DoubleClickRowStep>(s[2].action).row, 0);
    ASSERT_TRUE(std::holds_alternative<MenuStep>(s[3].action));
    EXPECT_EQ(std::get<MenuStep>(s[3].action).item, 3);
    ASSERT_TRUE(std::holds_alternative<DropStep>(s[4].action));
    EXPECT_EQ(std::get<DropStep>(s[4].action).paths, (std::vector<std::wstring>{L"D:\\a.wim", L"D:\\이미지.esd"}));
    ASSERT_TRUE(std::holds_alternative<DialogStep>(s[5].action));
    EXPECT_EQ(std::get<DialogStep>(s[5].action).path, L"");
    ASSERT_TRUE(std::holds_alternative<AnswerStep>(s[6].action));
    EXPECT_EQ(std::get<AnswerStep>(s[6].action).button, "Cancel");
    ASSERT_TRUE(std::holds_alternative<AdvanceStep>(s[7].action));
    EXPECT_EQ(std::get<AdvanceStep>(s[7].action).milliseconds, 1500u);
    EXPECT_TRUE(std::holds_alternative<WaitIdleStep>(s[8].action));
    ASSERT_TRUE(std::holds_alternative<WaitStatusStep>(s[9].action));
    EXPECT_EQ(std::get<WaitStatusStep>(s[9].action).text, L"완료");
    EXPECT_TRUE(std::holds_alternative<CloseStep>(s[10].action));
    ASSERT_TRUE(std::holds_alternative<SnapshotStep>(s[11].action));
    EXPECT_EQ(std::get<SnapshotStep>(s[11].action).label, "end");
    ASSERT_TRUE(std::holds_alternative<SpinStep>(s[12].action));
    EXPECT_EQ(std::get<SpinStep>(s[12].action).control, "ScanDepthSpin");
    EXPECT_EQ(std::get<SpinStep>(s[12].action).value, -1);
    ASSERT_TRUE(std::holds_alternative<TypeStep>(s[13].action));
    EXPECT_EQ(std::get<TypeStep>(s[13].action).control, "ImageIndexEdit");
    EXPECT_EQ(std::get<TypeStep>(s[13].action).text, L"2");
    ASSERT_TRUE(std::holds_alternative<ChooseStep>(s[14].action));
    EXPECT_EQ(std::get<ChooseStep>(s[14].action).control, "AfterInstallCombo");
    EXPECT_EQ(std::get<ChooseStep>(s[14].action).index, 1);
    ASSERT_TRUE(std::holds_alternative<FormatStep>(s[15].action));
    EXPECT_TRUE(std::get<FormatStep>(s[15].action).format);
    EXPECT_EQ(std::get<FormatStep>(s[15].action).fileSystem, L"NTFS");
    EXPECT_EQ(std::get<FormatStep>(s[15].action).label, L"새 볼륨");
    ASSERT_TRUE(std::holds_alternative<FormatStep>(s[16].action));
    EXPECT_FALSE(std::get<FormatStep>(s[16].action).format);
    ASSERT_TRUE(std::holds_alternative<HoldApplyStep>(s[17].action));
    EXPECT_FALSE(std::get<HoldApplyStep>(s[17].action).hold);
    EXPECT_TRUE(std::holds_alternative<WaitApplyHeldStep>(s[18].action));
    EXPECT_TRUE(std::holds_alternative<ReleaseApplyStep>(s[19].action));
    ASSERT_TRUE(std::holds_alternative<KeyStep>(s[20].action));
    EXPECT_EQ(std::get<KeyStep>(s[20].action).key, kKeyEnter);
    EXPECT_FALSE(std::get<KeyStep>(s[20].action).shift);
    ASSERT_TRUE(std::holds_alternative<KeyStep>(s[21].action));
    EXPECT_EQ(std::get<KeyStep>(s[21].action).key, kKeyTab);
    EXPECT_TRUE(std::get<KeyStep>(s[21].action).shift);
    EXPECT_EQ(describeStep(s[0]), "click InfoMark");
    EXPECT_EQ(describeStep(s[1]), "clickRow [\"ImageList\",2]");
    EXPECT_EQ(s[9].source, script[9]);
}

TEST(RunnerScript, BadShapesNameTheStepAndWhatItTakes) {
    const std::pair<const char*, const char*> cases[] = {
        {R"({"click": "InfoMark"})", "the top level must be a list of steps"},
        {R"([{"click": "InfoMark"}, "close"])", "step 2: each step is an object with one key"},
        {R"([{"click": "A", "answer": "Ok"}])", "step 1: each step is an object with one key"},
        {R"([{}])", "step 1: each step is an object with one key"},
        {R"([{"clik": "InfoMark"}])", "step 1: unknown step \"clik\""},
        {R"([{"clik": "InfoMark"}])",
         "(known: click, clickRow, doubleClickRow, menu, drop, dialog, answer, advance, waitIdle, waitStatus, "
         "close, snapshot, spin, type, choose, format, holdApply, waitApplyHeld, releaseApply, key)"},
        {R"([{"click": ""}])", "\"click\" takes a control name"},
        {R"([{"click": 5}])", "\"click\" takes a control name"},
        {R"([{"clickRow": "ImageList"}])", "\"clickRow\" takes [\"ListName\", row]"},
        {R"([{"clickRow": ["ImageList", -1]}])", "the row is a whole number from 0"},
        {R"([{"doubleClickRow": ["ImageList", 1.5]}])", "the row is a whole number from 0"},
        {R"([{"doubleClickRow": [3, 1]}])", "the name is missing"},
        {R"([{"menu": "Compact"}])", "\"menu\" takes the item's number"},
        {R"([{"menu": 0}])", "\"menu\" takes the item's number"},
        {R"([{"drop": []}])", "\"drop\" takes a list of one or more paths"},
        {R"([{"drop": "D:\\a.wim"}])", "\"drop\" takes a list of one or more paths"},
        {R"([{"drop": ["D:\\a.wim", 1]}])", "\"drop\" takes a list of paths"},
        {R"([{"dialog": null}])", "\"dialog\" takes a path, or \"\""},
        {R"([{"format": true}])", "\"format\" takes {"},
        {R"([{"format": {"size": "1"}}])", "\"format\" takes {"},
        {R"([{"answer": "yes"}])", "\"answer\" takes \"Yes\", \"No\", \"Cancel\" or \"Ok\""},
        {R"([{"advance": -5}])", "\"advance\" takes milliseconds"},
        {R"([{"key": "enter"}])", "\"key\" takes \"Enter\", \"Escape\""},
        {R"([{"key": 13}])", "\"key\" takes \"Enter\""},
        {R"([{"advance": "5s"}])", "\"advance\" takes milliseconds"},
        {R"([{"advance": 2.5}])", "\"advance\" takes milliseconds"},
        {R"([{"menu": 1.5}])", "\"menu\" takes the item's number"},
        {R"([{"format": {"label": 5}}])", "\"format\" takes {"},
        {R"([{"type": ["", "text"]}])", "\"type\" takes [\"EditName\", \"text\"]"},
        {R"([{"waitIdle": false}])", "\"waitIdle\" takes true"},
        {R"([{"close": 1}])", "\"close\" takes true"},
        {R"([{"holdApply": 1}])", "\"holdApply\" takes true or false"},
        {R"([{"releaseApply": false}])", "\"releaseApply\" takes true"},
        {R"([{"waitStatus": ""}])", "\"waitStatus\" takes the text to wait for"},
        {R"([{"snapshot": 1}])", "\"snapshot\" takes a label"},
        {R"([{"spin": ["ScanDepthSpin"]}])", "\"spin\" takes [\"SpinName\", value]"},
        {R"([{"type": ["ImageIndexEdit", 2]}])", "\"type\" takes [\"EditName\", \"text\"]"},
        {R"([{"choose": ["AfterInstallCombo", -1]}])", "the index is a whole number from 0"},
    };
    for (const auto& [text, expected] : cases) {
        std::string error;
        EXPECT_FALSE(parseScript(json::parse(text), error)) << text;
        EXPECT_NE(error.find(expected), std::string::npos) << text << " gave: " << error;
    }
}

TEST(RunnerScript, AnEmptyListIsAScriptOfNoSteps) {
    std::string error;
    const auto steps = parseScript(json::array(), error);
    ASSERT_TRUE(steps);
    EXPECT_TRUE(steps->empty());
}

TEST(RunnerScript, MissingFileAndBadJsonAreNamed) {
    std::string error;
    EXPECT_FALSE(loadScript("/nonexistent/script.json", error));
    EXPECT_NE(error.find("cannot read /nonexistent/script.json"), std::string::npos) << error;
    char name[] = "/tmp/halvora-script-XXXXXX";
    const int fd = mkstemp(name);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "[{\"click\": ", 11), 11);
    close(fd);
    EXPECT_FALSE(loadScript(name, error));
    EXPECT_NE(error.find("is not valid JSON"), std::string::npos) << error;
    std::remove(name);
}

}  // namespace
}  // namespace halvora::sim
