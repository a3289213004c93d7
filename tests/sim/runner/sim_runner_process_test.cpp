// halvora-sim as a person runs it: a process with a machine description, a script and the
// program's own arguments, judged by its exit status, its report and what it prints.

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "sim_session.hpp"
#include "wim_factory.hpp"

namespace halvora::scenario {
namespace {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

class RunnerProcess : public ::testing::Test {
protected:
    // Runs halvora-sim on the fixture's machine; `script` is written to a file unless null.
    Result run(const char* script, const std::string& options, const std::string& programArguments = "") {
        fixture_.machine();  // writes machine.json
        std::string command = std::string("'") + HALVORA_SIM_EXE + "' --machine '" + path("machine.json") + "'";
        if (script) {
            fixture_.writeHostFile("script.json", script);
            command += " --script '" + path("script.json") + "'";
        }
        command += " --report '" + path("report.json") + "' " + options;
        if (!programArguments.empty()) command += " -- " + programArguments;
        command += " >'" + path("out.txt") + "' 2>'" + path("err.txt") + "'";
        Result result;
        const int raw = std::system(command.c_str());
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.out = fixture_.readHostFile("out.txt");
        result.err = fixture_.readHostFile("err.txt");
        return result;
    }
    std::string path(const std::string& name) const { return fixture_.host(name).string(); }
    json report() const { return json::parse(fixture_.readHostFile("report.json")); }

    SimMachineFixture fixture_;
};

TEST_F(RunnerProcess, ClickAnswerSnapshotCloseEndsWithTheProgramsCodeAndAFullReport) {
    const Result r = run(R"([{"click": "InfoMark"}, {"answer": "Ok"}, {"click": "SearchButton"},
                             {"waitIdle": true}, {"spin": ["ScanDepthSpin", 3]}, {"click": "IncludeIsoCheck"}, {"snapshot": "options"},
                             {"click": "SearchBackButton"}, {"close": true}])",
                         "--trace", "/Compact /after:Reboot");
    ASSERT_EQ(r.status, 0) << r.err;
    const json rep = report();
    EXPECT_EQ(rep["exitCode"], 0);
    EXPECT_FALSE(rep.contains("failedStep"));
    ASSERT_EQ(rep["messageBoxes"].size(), 1u);
    EXPECT_EQ(rep["messageBoxes"][0]["title"], "프로그램 정보");
    EXPECT_EQ(rep["messageBoxes"][0]["buttons"], json::array({"Ok"}));
    EXPECT_EQ(rep["messageBoxes"][0]["countdown"], 0);
    EXPECT_EQ(rep["messageBoxes"][0]["answer"], 0);
    EXPECT_EQ(rep["messageBoxes"][0]["text"].get<std::string>().rfind("Halvora v0.7.7.0 x64\r\n", 0), 0u);
    ASSERT_EQ(rep["snapshots"].size(), 1u);
    const json& state = rep["snapshots"][0]["state"];
    EXPECT_EQ(rep["snapshots"][0]["label"], "options");
    EXPECT_EQ(state["controls"]["ScanDepthSpin"]["value"], 3);
    EXPECT_EQ(state["controls"]["IncludeIsoCheck"]["checked"], true);
    EXPECT_EQ(state["controls"]["SearchPanel"]["shown"], true);
    EXPECT_EQ(state["menu"]["1"]["checked"], true);
    EXPECT_EQ(state["combos"]["AfterInstallCombo"]["selected"], 1);
    EXPECT_EQ(rep["final"]["controls"]["SearchPanel"]["shown"], false);
    EXPECT_EQ(rep["calls"][0], "CreateMutexW Halvora{A222BF37-F016-4763-9C46-A95167A9BBBA}");
    EXPECT_NE(r.out.find("> click InfoMark\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("[box] 프로그램 정보\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("-> Ok (0)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("[status 3] "), std::string::npos) << r.out;
}

TEST_F(RunnerProcess, TheImageNamedOnTheCommandLineIsListedWithItsIndexChosen) {
    testing::WimPlan wim;
    for (const char* name : {"Windows 10 Home", "Windows 10 Pro"}) {
        wim.images.push_back({{{"NAME", name}, {"DESCRIPTION", name}}, {{"Windows/System32/a.txt", name}}});
    }
    std::filesystem::create_directories(fixture_.host("D/sources"));
    ASSERT_EQ(testing::writeWim(fixture_.host("D/sources/install.wim"), wim), "");
    const Result r = run(R"([{"waitIdle": true}, {"snapshot": "loaded"}, {"clickRow": ["ImageList", 0]},
                             {"close": true}])",
                         "", "'/ImageFile:D:\\sources\\install.wim' /Index:2");
    ASSERT_EQ(r.status, 0) << r.err;
    const json rep = report();
    const json& loaded = rep["snapshots"][0]["state"];
    EXPECT_EQ(loaded["controls"]["ImageFileEdit"]["text"], "D:\\sources\\install.wim");
    ASSERT_EQ(loaded["lists"]["ImageList"]["rows"].size(), 2u);
    EXPECT_EQ(loaded["lists"]["ImageList"]["rows"][1][1], "Windows 10 Pro");
    EXPECT_EQ(loaded["lists"]["ImageList"]["selected"], 1);
    EXPECT_EQ(loaded["controls"]["ImageIndexEdit"]["text"], "2");
    EXPECT_EQ(rep["final"]["controls"]["ImageIndexEdit"]["text"], "1");
    EXPECT_NE(std::find(rep["calls"].begin(), rep["calls"].end(), "WIMGetImageInformation"), rep["calls"].end());
}

TEST_F(RunnerProcess, ACallTheDescriptionFailsFailsOnceAndEveryCallIsCounted) {
    testing::WimPlan wim;
    wim.images.push_back({{{"NAME", "Windows 10 Pro"}}, {{"Windows/System32/a.txt", "a"}}});
    std::filesystem::create_directories(fixture_.host("D/sources"));
    ASSERT_EQ(testing::writeWim(fixture_.host("D/sources/install.wim"), wim), "");
    // The image's information cannot be read: the list stays empty although the file opened.
    fixture_.description()["failCalls"] = {{{"call", "WIMGetImageInformation"}, {"nth", 1}, {"error", 13}}};
    const Result r = run(R"([{"waitIdle": true}, {"close": true}])", "", "'/ImageFile:D:\\sources\\install.wim'");
    ASSERT_EQ(r.status, 0) << r.err;
    const json rep = report();
    EXPECT_TRUE(rep["final"]["lists"]["ImageList"]["rows"].empty());
    const json& counts = rep["callCounts"];
    EXPECT_EQ(counts.value("WIMGetImageInformation", 0), 1);
    EXPECT_GE(counts.value("WIMCreateFile", 0), 2);
    // Calls that the call log leaves out are counted too.
    EXPECT_GE(counts.value("GetFileAttributesExW", 0), 1);
    EXPECT_EQ(std::count(rep["calls"].begin(), rep["calls"].end(), "WIMGetImageInformation"), 1);
    EXPECT_FALSE(counts.contains("WIMApplyImage"));
}

TEST_F(RunnerProcess, BadScriptOptionOrDescriptionIs64WithTheProblemNamed) {
    Result r = run(R"([{"click": "InfoMark"}, {"answer": "Maybe"}])", "");
    EXPECT_EQ(r.status, 64);
    EXPECT_NE(r.err.find("script step 2: \"answer\" takes"), std::string::npos) << r.err;
    EXPECT_FALSE(fixture_.hostFileExists("report.json"));

    r = run(nullptr, "--wait-limit never");
    EXPECT_EQ(r.status, 64);
    EXPECT_NE(r.err.find("--wait-limit takes seconds"), std::string::npos) << r.err;

    fixture_.writeHostFile("machine.json", R"({"dpi": "high"})");
    r = run(nullptr, "");
    EXPECT_EQ(r.status, 64);
    EXPECT_NE(r.err.find("machine description: /dpi: must be a whole number"), std::string::npos) << r.err;

    fixture_.writeHostFile("machine.json", R"({"disks": [{"number": 0, "style": "GPT", "partitions": [
        {"number": 1, "folder": "esp"}, {"number": 2, "size": "big", "folder": "c"}]}]})");
    r = run(nullptr, "");
    EXPECT_EQ(r.status, 64);
    EXPECT_NE(r.err.find("machine description: /disks/0/partitions/1/size: must be a whole number"), std::string::npos)
        << r.err;
    EXPECT_FALSE(fixture_.hostFileExists("report.json"));
}

TEST_F(RunnerProcess, InputsThatAreNoFilesOrNestedBeyondReasonAreRefusedWithoutACrash) {
    fixture_.machine();
    const auto sim = [this](const std::string& arguments) {
        const std::string command =
            std::string("'") + HALVORA_SIM_EXE + "' " + arguments + " >/dev/null 2>'" + path("err.txt") + "'";
        const int raw = std::system(command.c_str());
        return Result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, "", fixture_.readHostFile("err.txt")};
    };
    std::filesystem::create_directories(fixture_.host("folder.json"));
    Result r = sim("--machine '" + path("folder.json") + "'");
    EXPECT_EQ(r.status, 64);
    EXPECT_NE(r.err.find("folder.json is a folder, not a file"), std::string::npos) << r.err;
    r = sim("--machine '" + path("machine.json") + "' --script '" + path("folder.json") + "'");
    EXPECT_EQ(r.status, 64);
    EXPECT_NE(r.err.find("script: "), std::string::npos) << r.err;

    // 20,000 levels once overflowed the stack where the description is copied.
    fixture_.writeHostFile("deep.json", std::string(20000, '[') + std::string(20000, ']'));
    r = sim("--machine '" + path("deep.json") + "'");
    EXPECT_EQ(r.status, 64);
    EXPECT_NE(r.err.find("nested deeper than 64 levels"), std::string::npos) << r.err;
    r = sim("--machine '" + path("machine.json") + "' --script '" + path("deep.json") + "'");
    EXPECT_EQ(r.status, 64);

    // A report named like an input would destroy it.
    fixture_.writeHostFile("script.json", R"([{"click": "InfoMark"}])");
    const std::string machine = fixture_.readHostFile("machine.json");
    r = sim("--machine '" + path("machine.json") + "' --report '" + path("machine.json") + "'");
    EXPECT_EQ(r.status, 64);
    EXPECT_NE(r.err.find("the report would overwrite the machine description"), std::string::npos) << r.err;
    EXPECT_EQ(fixture_.readHostFile("machine.json"), machine);
    r = sim("--machine '" + path("machine.json") + "' --script '" + path("script.json") + "' --report '" +
            path("script.json") + "'");
    EXPECT_EQ(r.status, 64);
    EXPECT_EQ(fixture_.readHostFile("script.json"), R"([{"click": "InfoMark"}])");
}

TEST_F(RunnerProcess, AStatusThatNeverComesIs65WithTheFailedStepReported) {
    const Result r = run(R"([{"menu": 3}, {"waitStatus": "설치 완료"}, {"close": true}])", "--wait-limit 0.2");
    EXPECT_EQ(r.status, 65) << r.err;
    EXPECT_NE(r.err.find("step 2"), std::string::npos) << r.err;
    const json rep = report();
    EXPECT_EQ(rep["failedStep"]["number"], 2);
    EXPECT_EQ(rep["failedStep"]["step"], json({{"waitStatus", "설치 완료"}}));
    EXPECT_EQ(rep["failedStep"]["why"], "the status \"설치 완료\" did not come within 0.2 s");
    EXPECT_TRUE(rep["exitCode"].is_null());
    EXPECT_EQ(rep["ending"], "closedAfterScript");
    EXPECT_EQ(rep["final"]["menu"]["3"]["checked"], true);
}

TEST_F(RunnerProcess, AProgramStillRunningAfterTheScriptIs66AndIsClosed) {
    const Result r = run(nullptr, "");
    EXPECT_EQ(r.status, 66) << r.err;
    EXPECT_NE(r.err.find("still running"), std::string::npos) << r.err;
    const json rep = report();
    EXPECT_TRUE(rep["exitCode"].is_null());
    EXPECT_EQ(rep["ending"], "closedAfterScript");
    EXPECT_EQ(rep["exitCodeAfterClose"], 0);
    EXPECT_EQ(rep["final"]["title"], "Halvora   20H1 ADK   WimGAPI v10.0.19041.1");
}

}  // namespace
}  // namespace halvora::scenario
