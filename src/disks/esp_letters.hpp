#pragma once

#include "ui/program_context.hpp"

namespace halvora {

// Gives EFI system partitions without a drive letter a temporary one; returns how many.
int mountEspVolumes(Program& program);
// Removes the temporary letters again at exit; returns how many.
int unmountEspLetters(Program& program);

}  // namespace halvora
