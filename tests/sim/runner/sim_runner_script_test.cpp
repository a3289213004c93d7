// halvora-sim's script: each step read into what the runner does, and bad scripts refused with
// a message that names the step and what it takes.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>

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
    EXPECT_EQ(s[0].kind, StepKind::Click);
    EXPECT_EQ(s[0].control, "InfoMark");
    EXPECT_EQ(s[1].kind, StepKind::ClickRow);
    EXPECT_EQ(s[1].control, "ImageList");
    EXPECT_EQ(s[1].row, 2);
    EXPECT_EQ(s[2].kind, StepKind::DoubleClickRow);
    EXPECT_EQ(s[2].row, 0);
    EXPECT_EQ(s[3].menuItem, 3);
    EXPECT_EQ(s[4].paths, (std::vector<std::wstring>{L"D:\\a.wim", L"D:\\이미지.esd"}));
    EXPECT_EQ(s[15].kind, StepKind::Format);
    EXPECT_TRUE(s[15].format);
    EXPECT_EQ(s[15].fileSystem, L"NTFS");
    EXPECT_EQ(s[15].volumeLabel, L"새 볼륨");
    EXPECT_EQ(s[16].kind, StepKind::Format);
    EXPECT_FALSE(s[16].format);
    EXPECT_EQ(s[17].kind, StepKind::HoldApply);
    EXPECT_FALSE(s[17].format);
    EXPECT_EQ(s[18].kind, StepKind::WaitApplyHeld);
    EXPECT_EQ(s[19].kind, StepKind::ReleaseApply);
    EXPECT_EQ(s[5].kind, StepKind::Dialog);
    EXPECT_EQ(s[5].paths, (std::vector<std::wstring>{L""}));
    EXPECT_EQ(s[6].answer, "Cancel");
    EXPECT_EQ(s[7].milliseconds, 1500u);
    EXPECT_EQ(s[8].kind, StepKind::WaitIdle);
    EXPECT_EQ(s[9].text, L"완료");
    EXPECT_EQ(s[10].kind, StepKind::Close);
    EXPECT_EQ(s[11].label, "end");
    EXPECT_EQ(s[12].kind, StepKind::Spin);
    EXPECT_EQ(s[12].row, -1);
    EXPECT_EQ(s[13].text, L"2");
    EXPECT_EQ(s[14].kind, StepKind::Choose);
    EXPECT_EQ(s[14].row, 1);
    EXPECT_EQ(describeStep(s[0]), "click InfoMark");
    EXPECT_EQ(describeStep(s[1]), "clickRow [\"ImageList\",2]");
    EXPECT_EQ(s[9].source, script[9]);
    EXPECT_EQ(s[20].kind, StepKind::Key);
    EXPECT_EQ(s[20].menuItem, kKeyEnter);
    EXPECT_FALSE(s[20].shift);
    EXPECT_EQ(s[21].menuItem, kKeyTab);
    EXPECT_TRUE(s[21].shift);
}

TEST(RunnerScript, BadShapesNameTheStepAndWhatItTakes) {
    const std::pair<const char*, const char*> cases[] = {
        {R"({"click": "InfoMark"})", "the top level must be a list of steps"},
        {R"([{"click": "InfoMark"}, "close"])", "step 2: each step is an object with one key"},
        {R"([{"click": "A", "answer": "Ok"}])", "step 1: each step is an object with one key"},
        {R"([{}])", "step 1: each step is an object with one key"},
        {R"([{"clik": "InfoMark"}])", "step 1: unknown step \"clik\""},
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
