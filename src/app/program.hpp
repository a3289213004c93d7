#pragma once
// The whole program: start, event loop and exit, over whichever platform backend it is given.

#include "platform/system.hpp"
#include "platform/toolkit.hpp"
#include "ui/program_context.hpp"

namespace halvora {

// Exit code of a second instance that handed its arguments to the first (ERROR_ALREADY_EXISTS).
inline constexpr int kExitHandedOver = 183;

// Name of the mutex that marks the running instance.
inline constexpr wchar_t kInstanceMutexName[] = L"Halvora{A222BF37-F016-4763-9C46-A95167A9BBBA}";

inline const std::wstring kTitlePrefix = L"Halvora   20H1 ADK   WimGAPI v";

// Fills the start values of the process-wide state from the environment.
void initialiseState(Program& program);

// Runs the program to its end and returns the process exit code.
int runProgram(Program& program);
int runProgram(System& system, Toolkit& toolkit);

}  // namespace halvora
