#pragma once
// A command line split into words the way Windows programs split theirs (CommandLineToArgvW):
// the program's name ends at the next blank, or at its closing quote when it starts with one;
// in the arguments blanks separate words outside quotes, and backslashes escape a quote only
// when they stand right before one.

#include <string>
#include <vector>

namespace halvora::sim {

std::vector<std::wstring> splitCommandLine(const std::wstring& line);

}  // namespace halvora::sim
