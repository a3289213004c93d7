// WIMApplyImage on the simulated machine: real images written by wimlib onto a volume of the
// machine, with wimgapi's progress and error messages, its abort and its error codes.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>

#include "folder_contents.hpp"
#include "platform/sim/files/sim_folder_usage.hpp"
#include "platform/sim/imaging/sim_apply_progress.hpp"
#include "sim_session.hpp"
#include "wim_factory.hpp"

namespace halvora::scenario {
namespace {

namespace fs = std::filesystem;
using testing::ImagePlan;
using testing::WimPlan;

struct Message {
    std::uint32_t id;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    std::wstring path;  // kWimMsgError: the text wParam pointed to during the call
};

// Keeps what a callback was sent; its answer is asked of `answer` (success when unset).
class Recorder {
public:
    WimMessageCallback callback() {
        return [this](std::uint32_t id, std::uintptr_t wParam, std::intptr_t lParam) {
            Message message{id, wParam, lParam, {}};
            if (id == kWimMsgError) message.path = reinterpret_cast<const wchar_t*>(wParam);
            std::lock_guard lock(mutex_);
            messages_.push_back(message);
            return answer ? answer(message) : kWimMsgSuccess;
        };
    }
    std::vector<Message> messages() const {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    std::vector<Message> of(std::uint32_t id) const {
        std::vector<Message> out;
        for (const auto& m : messages()) {
            if (m.id == id) out.push_back(m);
        }
        return out;
    }
    std::function<std::uint32_t(const Message&)> answer;

private:
    mutable std::mutex mutex_;
    std::vector<Message> messages_;
};

// Default machine plus partition E: (64 MiB unless a test sets a size) on a GPT disk.
class SimImagingApplyTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(machine_.host("E"));
        machine_.description()["disks"] = json::array(
            {{{"number", 0},
              {"style", "GPT"},
              {"partitions", json::array({{{"number", 1}, {"letter", "E"}, {"size", 64 << 20}, {"folder", "E"}}})}}});
    }
    void setVolumeSize(std::uint64_t bytes) { machine_.description()["disks"][0]["partitions"][0]["size"] = bytes; }

    ImagingLibrary& imaging() {
        if (!system_) system_ = std::make_unique<sim::SimSystem>(machine_.machine());
        return system_->imaging();
    }
    void makeWim(const std::string& relative, const WimPlan& plan) {
        const fs::path file = machine_.host(relative);
        fs::create_directories(file.parent_path());
        ASSERT_EQ(testing::writeWim(file, plan), "");
    }
    // Opens the file and loads image `index`; the file's handle goes to file_.
    WimHandle load(const std::wstring& path, std::uint32_t index = 1) {
        file_ = imaging().createFile(path, kWimGenericRead, kWimOpenExisting, kWimFlagSolidAllowed, 0, nullptr);
        EXPECT_NE(file_, 0u) << imaging().lastError();
        const WimHandle image = imaging().loadImage(file_, index);
        EXPECT_NE(image, 0u) << imaging().lastError();
        return image;
    }
    std::uint64_t usedOnE() { return sim::folderUsage(machine_.host("E")); }

    SimMachineFixture machine_;
    std::unique_ptr<sim::SimSystem> system_;
    WimHandle file_ = 0;
};

ImagePlan image(const std::string& name, std::vector<std::pair<std::string, std::string>> files) {
    return ImagePlan{{{"NAME", name}}, std::move(files)};
}

// --- what lands ---------------------------------------------------------------------------------

TEST_F(SimImagingApplyTest, TheLoadedImageLandsOnTheDriveWithItsContents) {
    WimPlan plan;
    plan.images = {image("Home", {{"Windows/System32/ntoskrnl.exe", "home kernel"}, {"home.txt", "home"}}),
                   image("Pro", {{"Windows/System32/ntoskrnl.exe", "pro kernel"},
                                 {"Program Files/readme.txt", "pro readme"},
                                 {"Windows/empty.dat", ""}})};
    makeWim("D/sources/install.wim", plan);
    const WimHandle pro = load(L"D:\\sources\\install.wim", 2);

    ASSERT_TRUE(imaging().applyImage(pro, L"E:", 0)) << imaging().lastError();
    EXPECT_EQ(imaging().lastError(), 0u);
    EXPECT_EQ(machine_.readHostFile("E/Windows/System32/ntoskrnl.exe"), "pro kernel");
    EXPECT_EQ(machine_.readHostFile("E/Program Files/readme.txt"), "pro readme");
    EXPECT_TRUE(machine_.hostFileExists("E/Windows/empty.dat"));
    EXPECT_FALSE(machine_.hostFileExists("E/home.txt")) << "only the loaded image is written";

    // "E:\" and a folder of the drive work as well; applying again replaces what is there.
    machine_.writeHostFile("E/Windows/System32/ntoskrnl.exe", "changed");
    ASSERT_TRUE(imaging().applyImage(pro, L"E:\\", 0)) << imaging().lastError();
    EXPECT_EQ(machine_.readHostFile("E/Windows/System32/ntoskrnl.exe"), "pro kernel");
    fs::create_directories(machine_.host("E/Sub"));
    const WimHandle home = imaging().loadImage(file_, 1);
    ASSERT_TRUE(imaging().applyImage(home, L"e:\\sub", 0)) << imaging().lastError();
    EXPECT_EQ(machine_.readHostFile("E/Sub/home.txt"), "home");
}

TEST_F(SimImagingApplyTest, ASplitSetNeedsItsOtherPartsReferenced) {
    WimPlan big;
    big.images = {image("Pro", {{"Windows/a.bin", testing::pseudoRandomText(400000, 1)},
                                {"Windows/b.bin", testing::pseudoRandomText(400000, 2)}})};
    makeWim("big.wim", big);
    fs::create_directories(machine_.host("D/sources"));
    ASSERT_EQ(testing::splitWim(machine_.host("big.wim"), machine_.host("D/sources/install.swm"), 450000), "");
    Recorder recorder;
    ASSERT_NE(imaging().registerMessageCallback(0, recorder.callback()), kWimInvalidCallback);
    const WimHandle pro = load(L"D:\\sources\\install.swm");

    EXPECT_FALSE(imaging().applyImage(pro, L"E:", 0));
    EXPECT_EQ(imaging().lastError(), 2u);
    // The first part holds some of the data: what it holds is written, the file whose data is
    // in a missing part is named and left out.
    auto errors = recorder.of(kWimMsgError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].lParam, 2);
    const bool aMissing = errors[0].path == L"E:\\Windows\\a.bin";
    EXPECT_TRUE(aMissing || errors[0].path == L"E:\\Windows\\b.bin") << errors[0].path;
    EXPECT_FALSE(machine_.hostFileExists(aMissing ? "E/Windows/a.bin" : "E/Windows/b.bin"));
    if (!aMissing) {
        EXPECT_EQ(machine_.readHostFile("E/Windows/a.bin"), testing::pseudoRandomText(400000, 1));
    }

    for (int part = 2; machine_.hostFileExists("D/sources/install" + std::to_string(part) + ".swm"); ++part) {
        ASSERT_TRUE(imaging().setReferenceFile(file_, L"D:\\sources\\install" + std::to_wstring(part) + L".swm",
                                               kWimReferenceAppend));
    }
    ASSERT_TRUE(imaging().applyImage(pro, L"E:", 0)) << imaging().lastError();
    EXPECT_EQ(machine_.readHostFile("E/Windows/a.bin"), testing::pseudoRandomText(400000, 1));
    EXPECT_EQ(machine_.readHostFile("E/Windows/b.bin"), testing::pseudoRandomText(400000, 2));
}

// --- progress and abort ---------------------------------------------------------------------------

TEST(SimApplyProgress, EstimatesTheTimeLeftFromTheRateSoFar) {
    using std::chrono::milliseconds;
    const auto quarter = sim::estimateProgress(25, 100, milliseconds(1000));
    EXPECT_EQ(quarter.percent, 25u);
    EXPECT_EQ(quarter.millisecondsLeft, 3000);
    EXPECT_EQ(sim::estimateProgress(0, 100, milliseconds(500)).millisecondsLeft, 0) << "no rate yet";
    EXPECT_EQ(sim::estimateProgress(10, 100, milliseconds(0)).millisecondsLeft, 0) << "no time yet";
    EXPECT_EQ(sim::estimateProgress(999, 1000, milliseconds(10)).percent, 99u) << "rounded down";
    EXPECT_EQ(sim::estimateProgress(0, 0, milliseconds(0)).percent, 100u) << "nothing to write";
    // 10 TB at 1 GB a minute, a tenth done: milliseconds times bytes would overflow 64 bits.
    const auto large = sim::estimateProgress(1'000'000'000'000, 10'000'000'000'000, milliseconds(60'000'000));
    EXPECT_EQ(large.percent, 10u);
    EXPECT_EQ(large.millisecondsLeft, 540'000'000);
}

TEST_F(SimImagingApplyTest, ProgressRisesToOneHundredOnTheApplyingThreadWithHonestEstimates) {
    WimPlan plan;
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 4; ++i)
        files.push_back({"data/" + std::to_string(i) + ".bin", testing::pseudoRandomText(1 << 20, i)});
    plan.images = {image("Data", files)};
    makeWim("D/data.wim", plan);

    // Each handle's callbacks get the apply's messages: all handles', the image's and the file's.
    Recorder all, own, ofFile, otherFile;
    const WimHandle data = load(L"D:\\data.wim");
    const WimHandle other = imaging().createFile(L"D:\\data.wim", kWimGenericRead, kWimOpenExisting, 0, 0, nullptr);
    imaging().registerMessageCallback(0, all.callback());
    imaging().registerMessageCallback(data, own.callback());
    imaging().registerMessageCallback(file_, ofFile.callback());
    imaging().registerMessageCallback(other, otherFile.callback());

    // Each message costs the callback 2 ms, so the time taken before message k is at least 2k ms;
    // an estimate is checked against both that and the time measured here.
    constexpr int kPause = 2;
    std::vector<std::chrono::milliseconds> seen;  // time since the call, as each message came
    std::thread::id callbackThread;
    const auto called = std::chrono::steady_clock::now();
    own.answer = [&](const Message&) {
        seen.push_back(
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - called));
        callbackThread = std::this_thread::get_id();
        std::this_thread::sleep_for(std::chrono::milliseconds(kPause));
        return kWimMsgSuccess;
    };
    std::thread worker([&] { EXPECT_TRUE(imaging().applyImage(data, L"E:\\", 0)) << imaging().lastError(); });
    const auto workerId = worker.get_id();
    worker.join();

    const auto progress = own.of(kWimMsgProgress);
    ASSERT_GE(progress.size(), 10u);
    EXPECT_EQ(callbackThread, workerId);
    EXPECT_EQ(all.messages().size(), progress.size());
    EXPECT_EQ(ofFile.messages().size(), progress.size());
    EXPECT_TRUE(otherFile.messages().empty());
    EXPECT_EQ(progress.front().wParam, 0u);
    EXPECT_LE(progress.front().lParam, 0) << "nothing is known at the start";
    EXPECT_EQ(progress.back().wParam, 100u);
    EXPECT_EQ(progress.back().lParam, 0);
    bool estimated = false;
    for (std::size_t k = 1; k + 1 < progress.size(); ++k) {
        const auto percent = static_cast<std::int64_t>(progress[k].wParam);
        EXPECT_GT(progress[k].wParam, progress[k - 1].wParam) << "message " << k;
        ASSERT_LT(percent, 100) << "100 only at the end";
        // At least `percent` percent is done and less than percent + 1: the rest takes between
        // (99 - p) / (p + 1) and (100 - p) / p times the time taken so far.
        const std::int64_t upper = (seen[k].count() + 1) * (100 - percent) / std::max<std::int64_t>(percent, 1) + 1;
        const std::int64_t lower = static_cast<std::int64_t>(kPause * k) * (99 - percent) / (percent + 1) - 1;
        EXPECT_LE(progress[k].lParam, upper) << "message " << k << " at " << percent << "%";
        EXPECT_GE(progress[k].lParam, lower) << "message " << k << " at " << percent << "%";
        estimated = estimated || progress[k].lParam > 0;
    }
    EXPECT_TRUE(estimated);
    EXPECT_EQ(machine_.readHostFile("E/data/3.bin"), testing::pseudoRandomText(1 << 20, 3));
}

TEST_F(SimImagingApplyTest, ACallbackAbortStopsTheApplyWithRequestAborted) {
    WimPlan plan;
    std::vector<std::pair<std::string, std::string>> files;
    for (int i = 0; i < 4; ++i) files.push_back({std::to_string(i) + ".bin", testing::pseudoRandomText(1 << 20, i)});
    plan.images = {image("Data", files)};
    makeWim("D/data.wim", plan);
    const WimHandle data = load(L"D:\\data.wim");
    Recorder all, own;
    imaging().registerMessageCallback(0, all.callback());
    imaging().registerMessageCallback(data, own.callback());

    // The image's own callback aborts at once; the one for all handles only watches.
    own.answer = [](const Message&) { return kWimMsgAbortImage; };
    EXPECT_FALSE(imaging().applyImage(data, L"E:", 0));
    EXPECT_EQ(imaging().lastError(), 1235u);
    EXPECT_LE(own.messages().size(), 2u);
    EXPECT_TRUE(all.of(kWimMsgError).empty());

    // Aborted once data is being written: nothing more is sent, and the image is not all there.
    own.answer = [](const Message& m) { return m.wParam > 0 ? kWimMsgAbortImage : kWimMsgSuccess; };
    const auto before = own.messages().size();
    EXPECT_FALSE(imaging().applyImage(data, L"E:", 0));
    EXPECT_EQ(imaging().lastError(), 1235u);
    const auto messages = own.messages();
    ASSERT_GE(messages.size(), before + 2);
    EXPECT_EQ(messages.back().id, kWimMsgProgress);
    EXPECT_GT(messages.back().wParam, 0u);
    EXPECT_LT(messages.back().wParam, 100u);
    EXPECT_LT(usedOnE(), 4u << 20);
}

// --- files that cannot be written -----------------------------------------------------------------

TEST_F(SimImagingApplyTest, AFullVolumeStopsAtTheFirstFileThatDoesNotFit) {
    // 32 KiB volume that already holds 3 KiB: two of the three 10 KiB files fit, the third not.
    setVolumeSize(32 << 10);
    machine_.writeHostFile("E/old.bin", std::string(3 << 10, 'o'));
    WimPlan plan;
    plan.images = {image("Data", {{"a.bin", testing::pseudoRandomText(10 << 10, 1)},
                                  {"b.bin", testing::pseudoRandomText(10 << 10, 2)},
                                  {"c.bin", testing::pseudoRandomText(10 << 10, 3)}})};
    makeWim("D/data.wim", plan);
    const WimHandle data = load(L"D:\\data.wim");
    Recorder recorder;
    imaging().registerMessageCallback(0, recorder.callback());

    EXPECT_FALSE(imaging().applyImage(data, L"E:", 0));
    EXPECT_EQ(imaging().lastError(), 112u);
    const auto errors = recorder.of(kWimMsgError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].path, L"E:\\c.bin");
    EXPECT_EQ(errors[0].lParam, 112);
    EXPECT_EQ(recorder.messages().back().id, kWimMsgError);
    for (const auto& m : recorder.of(kWimMsgProgress)) EXPECT_LT(m.wParam, 100u);
    EXPECT_EQ(machine_.readHostFile("E/a.bin"), testing::pseudoRandomText(10 << 10, 1));
    EXPECT_EQ(machine_.readHostFile("E/b.bin"), testing::pseudoRandomText(10 << 10, 2));
    EXPECT_FALSE(machine_.hostFileExists("E/c.bin"));
    EXPECT_LE(usedOnE(), 32u << 10);
}

TEST_F(SimImagingApplyTest, ReadOnlyPathsAndDiscsRefuseTheFirstFileUnderThem) {
    machine_.description()["readOnly"] = {"E:\\Windows\\System32"};
    fs::create_directories(machine_.host("cd"));
    machine_.description()["cdroms"] = json::array({{{"letter", "F"}, {"folder", "cd"}}});
    WimPlan plan;
    plan.images = {image("Pro", {{"Program Files/readme.txt", "readme"},
                                 {"Windows/Fonts/arial.ttf", "font"},
                                 {"Windows/System32/ntoskrnl.exe", "kernel"},
                                 {"Windows/Temp/later.txt", "later"}})};
    makeWim("D/install.wim", plan);
    const WimHandle pro = load(L"D:\\install.wim");
    Recorder recorder;
    imaging().registerMessageCallback(0, recorder.callback());

    EXPECT_FALSE(imaging().applyImage(pro, L"E:", 0));
    EXPECT_EQ(imaging().lastError(), 19u);
    auto errors = recorder.of(kWimMsgError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].path, L"E:\\Windows\\System32");
    EXPECT_EQ(errors[0].lParam, 19);
    EXPECT_EQ(machine_.readHostFile("E/Program Files/readme.txt"), "readme");
    EXPECT_EQ(machine_.readHostFile("E/Windows/Fonts/arial.ttf"), "font");
    EXPECT_FALSE(machine_.hostFileExists("E/Windows/System32"));
    EXPECT_FALSE(machine_.hostFileExists("E/Windows/Temp")) << "nothing after the refused entry";

    EXPECT_FALSE(imaging().applyImage(pro, L"F:\\", 0));
    EXPECT_EQ(imaging().lastError(), 19u);  // ERROR_WRITE_PROTECT
    errors = recorder.of(kWimMsgError);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[1].path, L"F:\\Program Files");
    EXPECT_TRUE(fs::is_empty(machine_.host("cd")));
}

TEST_F(SimImagingApplyTest, NothingIsWrittenThroughAHostLinkLeadingOutOfTheDrive) {
    machine_.writeHostFile("C/Windows/System32/ntoskrnl.exe", "C's own kernel");
    fs::create_symlink(machine_.host("C/Windows"), machine_.host("E/Windows"));
    fs::create_symlink("../C", machine_.host("E/ToC"));
    const auto before = testing::folderContents(machine_.host("C"));
    WimPlan plan;
    plan.images = {image("Pro", {{"Program Files/readme.txt", "readme"},
                                 {"Windows/System32/ntoskrnl.exe", "the image's kernel"},
                                 {"Windows/win.ini", "ini"}})};
    makeWim("D/install.wim", plan);
    const WimHandle pro = load(L"D:\\install.wim");
    Recorder recorder;
    imaging().registerMessageCallback(0, recorder.callback());

    // The link is where the path leads nowhere: the apply stops there with 3.
    EXPECT_FALSE(imaging().applyImage(pro, L"E:", 0));
    EXPECT_EQ(imaging().lastError(), 3u);  // ERROR_PATH_NOT_FOUND
    auto errors = recorder.of(kWimMsgError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].path, L"E:\\Windows");
    EXPECT_EQ(errors[0].lParam, 3);
    EXPECT_EQ(machine_.readHostFile("E/Program Files/readme.txt"), "readme");
    EXPECT_EQ(testing::folderContents(machine_.host("C")), before);

    // A target that is such a link is no folder of the machine.
    EXPECT_FALSE(imaging().applyImage(pro, L"E:\\ToC", 0));
    EXPECT_EQ(imaging().lastError(), 3u);
    EXPECT_EQ(recorder.of(kWimMsgError).size(), 1u);
    EXPECT_EQ(testing::folderContents(machine_.host("C")), before);

    // A link that stays on the drive is a folder like any other.
    fs::create_directories(machine_.host("E/Real"));
    fs::create_symlink("Real", machine_.host("E/Sub"));
    ASSERT_TRUE(imaging().applyImage(pro, L"E:\\Sub", 0)) << imaging().lastError();
    EXPECT_EQ(machine_.readHostFile("E/Real/Windows/System32/ntoskrnl.exe"), "the image's kernel");
    EXPECT_EQ(testing::folderContents(machine_.host("C")), before);
}

TEST_F(SimImagingApplyTest, AFileHeldOpenIsNotReplacedAndTheApplyStopsThereWith32) {
    WimPlan held;
    held.images = {image("Old", {{"old.txt", "old"}})};
    makeWim("E/sources/install.wim", held);
    const std::string heldBytes = machine_.readHostFile("E/sources/install.wim");
    WimPlan plan;
    // Spelt otherwise than the file on E:, as Windows would still find it.
    plan.images = {image("New", {{"a.txt", "a"}, {"Sources/Install.WIM", "the image's own file"}, {"z.txt", "z"}})};
    makeWim("D/install.wim", plan);
    const WimHandle heldFile =
        imaging().createFile(L"E:\\sources\\install.wim", kWimGenericRead, kWimOpenExisting, 0, 0, nullptr);
    ASSERT_NE(heldFile, 0u) << imaging().lastError();
    const WimHandle data = load(L"D:\\install.wim");
    Recorder recorder;
    imaging().registerMessageCallback(0, recorder.callback());

    EXPECT_FALSE(imaging().applyImage(data, L"E:", 0));
    EXPECT_EQ(imaging().lastError(), 32u);  // ERROR_SHARING_VIOLATION
    const auto errors = recorder.of(kWimMsgError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].path, L"E:\\Sources\\Install.WIM");
    EXPECT_EQ(errors[0].lParam, 32);
    EXPECT_EQ(machine_.readHostFile("E/a.txt"), "a");
    EXPECT_FALSE(machine_.hostFileExists("E/z.txt")) << "nothing after the refused entry";
    EXPECT_EQ(machine_.readHostFile("E/sources/install.wim"), heldBytes);

    ASSERT_TRUE(imaging().closeHandle(heldFile));
    EXPECT_TRUE(imaging().applyImage(data, L"E:", 0)) << imaging().lastError();
    EXPECT_EQ(machine_.readHostFile("E/z.txt"), "z");
}

TEST_F(SimImagingApplyTest, CorruptedDataFailsTheApplyNamingTheFile) {
    WimPlan plan;
    plan.images = {
        image("Data", {{"a.txt", "small"}, {"big.bin", testing::pseudoRandomText(300000, 7)}, {"z.txt", "last"}})};
    makeWim("D/data.wim", plan);
    ASSERT_EQ(testing::corruptResourceData(machine_.host("D/data.wim")), "");
    Recorder recorder;
    imaging().registerMessageCallback(0, recorder.callback());

    // wimlib checks every file's data with or without Verify.
    for (const std::uint32_t flags : {kWimApplyVerify, 0u}) {
        const WimHandle data = load(L"D:\\data.wim");
        EXPECT_FALSE(imaging().applyImage(data, L"E:", flags));
        EXPECT_EQ(imaging().lastError(), 1392u) << flags;  // ERROR_FILE_CORRUPT
        const auto errors = recorder.of(kWimMsgError);
        ASSERT_FALSE(errors.empty());
        EXPECT_EQ(errors.back().path, L"E:\\big.bin") << flags;
        EXPECT_EQ(errors.back().lParam, 1392);
        EXPECT_NE(machine_.readHostFile("E/big.bin"), testing::pseudoRandomText(300000, 7));
        imaging().closeHandle(data);
        imaging().closeHandle(file_);
    }
    EXPECT_EQ(recorder.of(kWimMsgError).size(), 2u);
}

// --- refusals and the call log ----------------------------------------------------------------------

TEST_F(SimImagingApplyTest, BadHandlesAndTargetsAreRefusedAndFlagsAreLogged) {
    WimPlan plan;
    plan.images = {image("Pro", {{"a.txt", "a"}})};
    makeWim("D/install.wim", plan);
    machine_.writeHostFile("E/file.txt", "x");
    const WimHandle pro = load(L"D:\\install.wim");
    machine_.machine()->clearCalls();

    EXPECT_FALSE(imaging().applyImage(pro + 1000, L"E:", 0));
    EXPECT_EQ(imaging().lastError(), 6u);
    EXPECT_FALSE(imaging().applyImage(file_, L"E:", 0)) << "a file handle has no image loaded";
    EXPECT_EQ(imaging().lastError(), 87u);
    for (const wchar_t* target : {L"Q:", L"E:\\Missing", L"E:\\file.txt", L"E"}) {
        EXPECT_FALSE(imaging().applyImage(pro, target, 0)) << target;
        EXPECT_EQ(imaging().lastError(), 3u) << target;
    }
    EXPECT_FALSE(machine_.hostFileExists("E/a.txt"));

    ASSERT_TRUE(imaging().applyImage(pro, L"E:", kWimApplyCompact));
    ASSERT_TRUE(imaging().applyImage(pro, L"E:\\", kWimApplyWimBoot | kWimApplyVerify));
    EXPECT_EQ(machine_.readHostFile("E/a.txt"), "a");
    const auto calls = machine_.machine()->calls();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[calls.size() - 2], L"WIMApplyImage E: 0x4000");
    EXPECT_EQ(calls.back(), L"WIMApplyImage E:\\ 0x2002");
}

// --- held by a test -----------------------------------------------------------------------------

TEST_F(SimImagingApplyTest, AHeldApplyWaitsAfterItsFirstProgressMessageUntilReleased) {
    WimPlan plan;
    plan.images = {image("Data", {{"a.bin", testing::pseudoRandomText(1 << 20, 1)}})};
    makeWim("D/data.wim", plan);
    const WimHandle data = load(L"D:\\data.wim");
    Recorder recorder;
    std::atomic<bool> cancel{false};
    recorder.answer = [&](const Message&) { return cancel.load() ? kWimMsgAbortImage : kWimMsgSuccess; };
    imaging().registerMessageCallback(0, recorder.callback());
    auto& machine = *machine_.machine();
    machine.holdApplies(true);

    for (const bool cancelWhileHeld : {false, true}) {
        SCOPED_TRACE(cancelWhileHeld ? "cancelled while held" : "released");
        const auto before = recorder.messages().size();
        std::atomic<bool> ok{false};
        std::atomic<std::uint32_t> error{0};
        std::thread applying([&] {
            ok = imaging().applyImage(data, L"E:", 0);
            error = imaging().lastError();
        });
        ASSERT_TRUE(machine.waitApplyHeld(sim::kDefaultWait));
        const auto held = recorder.messages();
        ASSERT_EQ(held.size(), before + 1);
        EXPECT_EQ(held.back().id, kWimMsgProgress);
        EXPECT_EQ(held.back().wParam, 0u);
        cancel = cancelWhileHeld;
        machine.releaseApply();
        applying.join();
        EXPECT_EQ(ok.load(), !cancelWhileHeld);
        EXPECT_EQ(error.load(), cancelWhileHeld ? 1235u : 0u);
        EXPECT_FALSE(machine.waitApplyHeld(std::chrono::milliseconds(0)));
    }
    cancel = false;
    machine.releaseApply();  // before the apply: the next one passes the gate
    EXPECT_TRUE(imaging().applyImage(data, L"E:", 0)) << imaging().lastError();
    machine.holdApplies(false);
    EXPECT_TRUE(imaging().applyImage(data, L"E:", 0)) << imaging().lastError();
}

}  // namespace
}  // namespace halvora::scenario
