#pragma once
// Programs started on the simulated machine. The only one it has is the boot tool: the first
// word of the command line must name Bcdboot.exe, by name ("bcdboot", "Bcdboot.exe", any case)
// as the usual search through System32 finds it, or by its full path there; and the file
// <System32>\Bcdboot.exe must exist on the drives (the program looks for that file before it
// offers the tool), unless the machine description removed the tool. Anything else is not
// found (error 2); a working folder that is not there is error 267. Every start goes to the
// call log:
//   CreateProcessW [C:\Windows\System32] Bcdboot.exe D:\Windows /s S: -> exit 0
//   CreateProcessW [C:\Windows\System32] notepad.exe -> error 2

#include <string>

#include "platform/sim/machine/sim_machine.hpp"
#include "platform/system.hpp"

namespace halvora::sim {

// `failure`, when not 0, is the error CreateProcessW fails with before anything starts.
ProgramRun runProgram(SimMachine& machine, const std::wstring& commandLine, const std::wstring& workingFolder,
                      std::uint32_t failure = 0);

}  // namespace halvora::sim
