// How long it takes to turn an image file's XML description into the rows of the image list:
// the imaging library's part (open, hand out the XML, close; wimlib on the simulated machine)
// and the program's own part (spreading the XML one element per line and reading the rows,
// with the dates formatted). Files of 1, 11 and 110 images, each image described as a real
// Windows install.esd describes it.
//
//   build/native/image_rows_bench [--benchmark_filter=...]
//
// The counters give microseconds per file and per row.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "base/text.hpp"
#include "base/utf.hpp"
#include "images/file_time.hpp"
#include "images/image_xml.hpp"
#include "platform/sim/machine/sim_machine.hpp"
#include "platform/sim/machine/sim_system.hpp"
#include "temp_folder.hpp"
#include "wim_factory.hpp"

namespace {

using namespace halvora;

struct BenchMachine {
    testing::TempFolder folder{"halvora-bench"};
    const std::filesystem::path& root = folder.root();
    std::shared_ptr<sim::SimMachine> machine;
    std::unique_ptr<sim::SimSystem> system;
    std::map<int, std::wstring> files;  // image count -> path on the machine

    BenchMachine() {
        std::filesystem::create_directories(root / "C/Windows/System32");
        std::filesystem::create_directories(root / "D/sources");
        std::ofstream(root / "C/Windows/System32/wimgapi.dll") << "MZ";
        nlohmann::json description = {{"drives", {{"C", (root / "C").string()}, {"D", (root / "D").string()}}},
                                      {"localeName", "ko-KR"}};
        std::string error;
        machine = sim::SimMachine::fromJson(description, error);
        if (!machine) {
            std::fprintf(stderr, "machine: %s\n", error.c_str());
            std::exit(1);
        }
        system = std::make_unique<sim::SimSystem>(machine);
        for (int count : {1, 11, 110}) {
            testing::WimPlan plan;
            plan.images = testing::realisticWindowsImages(count);
            plan.compression = testing::WimCompression::Solid;
            const std::string name = "install" + std::to_string(count) + ".esd";
            if (const std::string failure = testing::writeWim(root / "D/sources" / name, plan); !failure.empty()) {
                std::fprintf(stderr, "%s\n", failure.c_str());
                std::exit(1);
            }
            files[count] = L"D:\\sources\\" + std::wstring(name.begin(), name.end());
        }
    }
    std::u16string information(int count) {
        ImagingLibrary& wim = system->imaging();
        const WimHandle file =
            wim.createFile(files.at(count), kWimGenericRead, kWimOpenExisting, kWimFlagSolidAllowed, 0, nullptr);
        std::u16string text;
        if (file == 0 || !wim.getImageInformation(file, text)) {
            std::fprintf(stderr, "cannot read the image file's information (error %u)\n", wim.lastError());
            std::exit(1);
        }
        wim.closeHandle(file);
        return text;
    }
};

BenchMachine& benchMachine() {
    static BenchMachine machine;
    return machine;
}

void perFileAndRow(benchmark::State& state, int rows) {
    state.counters["us_per_file"] = benchmark::Counter(static_cast<double>(state.iterations()) * 1e-6,
                                                       benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["us_per_row"] = benchmark::Counter(static_cast<double>(state.iterations()) * rows * 1e-6,
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The imaging library's part: open the file, hand out its XML, close it.
void LibraryReadsInformation(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    BenchMachine& m = benchMachine();
    for (auto _ : state) benchmark::DoNotOptimize(m.information(count));
    perFileAndRow(state, count);
}

// The program's part: the library's UTF-16 text into the rows of the list, dates formatted.
void ProgramReadsRows(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    BenchMachine& m = benchMachine();
    const std::u16string raw = m.information(count);
    System& system = *m.system;
    std::size_t rows = 0;
    for (auto _ : state) {
        const auto result = readImageRows(oneElementPerLine(fromUtf16(raw)),
                                          [&system](std::uint64_t t) { return imageTimeText(system, t); });
        rows = result.size();
        benchmark::DoNotOptimize(result);
    }
    if (rows != static_cast<std::size_t>(count)) state.SkipWithError("wrong number of rows");
    state.counters["xml_bytes"] = static_cast<double>(raw.size() * 2);
    perFileAndRow(state, count);
}

BENCHMARK(LibraryReadsInformation)->Arg(1)->Arg(11)->Arg(110)->Unit(benchmark::kMicrosecond);
BENCHMARK(ProgramReadsRows)->Arg(1)->Arg(11)->Arg(110)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
