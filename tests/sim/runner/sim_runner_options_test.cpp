// halvora-sim's own options, and the program's arguments after "--".

#include <gtest/gtest.h>

#include "platform/sim/runner/sim_runner_options.hpp"

namespace halvora::sim {
namespace {

TEST(RunnerOptions, OptionsAndTheProgramsArgumentsAfterTheMarker) {
    std::string error;
    const auto line = parseRunnerCommandLine({"--trace", "--machine", "m.json", "--report", "r.json", "--wait-limit",
                                              "0.25", "--", "/ImageFile:D:\\한글 폴더\\a.wim", "--script", "/Index:2"},
                                             error);
    ASSERT_TRUE(line) << error;
    EXPECT_EQ(line->machine, "m.json");
    EXPECT_EQ(line->report, "r.json");
    EXPECT_EQ(line->script, "");
    EXPECT_TRUE(line->trace);
    EXPECT_EQ(line->waitLimit, std::chrono::milliseconds(250));
    // After "--" everything is the program's, even what looks like an option of the runner.
    ASSERT_TRUE(line->programArguments);
    EXPECT_EQ(*line->programArguments,
              (std::vector<std::wstring>{L"/ImageFile:D:\\한글 폴더\\a.wim", L"--script", L"/Index:2"}));
}

TEST(RunnerOptions, DefaultsAndProblems) {
    std::string error;
    const auto line = parseRunnerCommandLine({"--machine", "m.json"}, error);
    ASSERT_TRUE(line);
    EXPECT_EQ(line->waitLimit, std::chrono::seconds(60));
    EXPECT_FALSE(line->trace);
    EXPECT_FALSE(line->programArguments);  // the description's arguments, then
    const auto empty = parseRunnerCommandLine({"--machine", "m.json", "--"}, error);
    ASSERT_TRUE(empty && empty->programArguments);
    EXPECT_TRUE(empty->programArguments->empty());

    const std::pair<std::vector<std::string>, const char*> bad[] = {
        {{}, "--machine is required"},
        {{"--script", "s.json"}, "--machine is required"},
        {{"--machine"}, "--machine needs a value"},
        {{"--machine", "m.json", "--report"}, "--report needs a value"},
        {{"--machine", "m.json", "--wait-limit", "soon"}, "--wait-limit takes seconds"},
        {{"--machine", "m.json", "--wait-limit", "0"}, "--wait-limit takes seconds"},
        {{"--machine", "m.json", "--wait-limit", "5s"}, "--wait-limit takes seconds"},
        {{"--machine", "m.json", "/Index:2"}, "unknown option \"/Index:2\""},
    };
    for (const auto& [args, expected] : bad) {
        EXPECT_FALSE(parseRunnerCommandLine(args, error));
        EXPECT_NE(error.find(expected), std::string::npos) << error;
    }
}

TEST(RunnerExitStatus, AFailingCodeNeverReadsAsSuccess) {
    EXPECT_EQ(exitStatusOf(0), 0);
    EXPECT_EQ(exitStatusOf(1), 1);
    EXPECT_EQ(exitStatusOf(255), 255);
    EXPECT_EQ(exitStatusOf(2), 2);
    EXPECT_EQ(exitStatusOf(300), 44);  // modulo 256, as documented
    EXPECT_EQ(exitStatusOf(256), 255);
    EXPECT_EQ(exitStatusOf(0x80000000u), 255);
    EXPECT_EQ(exitStatusOf(0xFFFFFF00u), 255);
}

}  // namespace
}  // namespace halvora::sim
