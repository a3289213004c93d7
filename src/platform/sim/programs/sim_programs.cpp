#include "platform/sim/programs/sim_programs.hpp"

#include <filesystem>
#include <vector>

#include "platform/sim/machine/sim_error_codes.hpp"
#include "platform/sim/machine/sim_text.hpp"
#include "platform/sim/programs/sim_bcdboot.hpp"
#include "platform/sim/programs/sim_command_line.hpp"

namespace halvora::sim {

namespace {

// Whether `program`, the first word of a command line, starts the machine's boot tool.
bool namesBootTool(const SimMachine& machine, std::wstring program) {
    const MachineDescription& description = machine.description();
    const std::wstring toolPath = description.systemDirectory + L"\\Bcdboot.exe";
    std::error_code ec;
    const auto host = machine.hostPath(toolPath);
    if (!description.bcdboot.present || !host || !std::filesystem::is_regular_file(*host, ec)) return false;
    // A name without an extension is looked up as .exe.
    const std::size_t slash = program.find_last_of(L"\\/");
    const std::wstring name = slash == std::wstring::npos ? program : program.substr(slash + 1);
    if (name.find(L'.') == std::wstring::npos) program += L".exe";
    if (slash == std::wstring::npos) return equalsNoCase(program, L"Bcdboot.exe");
    const auto asked = parseWindowsPath(program);
    const auto tool = parseWindowsPath(toolPath);
    return asked && tool && isUnder(*asked, *tool) && asked->components.size() == tool->components.size();
}

bool folderExists(const SimMachine& machine, const std::wstring& path) {
    const auto host = machine.hostPath(path);
    std::error_code ec;
    return host && std::filesystem::is_directory(*host, ec);
}

}  // namespace

ProgramRun runProgram(SimMachine& machine, const std::wstring& commandLine, const std::wstring& workingFolder,
                      std::uint32_t failure) {
    const std::wstring call = L"CreateProcessW [" + workingFolder + L"] " + commandLine;
    std::vector<std::wstring> words = splitCommandLine(commandLine);
    ProgramRun run;
    if (failure != 0) {
        run.error = failure;
    } else if (words.empty() || !namesBootTool(machine, words.front())) {
        run.error = kErrorFileNotFound;
    } else if (!workingFolder.empty() && !folderExists(machine, workingFolder)) {
        run.error = kErrorDirectory;
    } else {
        words.erase(words.begin());
        run.started = true;
        run.exitCode = runBcdboot(machine, words).exitCode;  // its output goes down the pipe, unread
        // What it wrote onto a real disk's FAT volume is on that disk when it ends.
        std::string why;
        if (!machine.flushRealDisks(why) && run.exitCode == 0) run.exitCode = kErrorWriteFault;
    }
    machine.record(call + (run.started ? L" -> exit " + std::to_wstring(run.exitCode)
                                       : L" -> error " + std::to_wstring(run.error)));
    return run;
}

}  // namespace halvora::sim
