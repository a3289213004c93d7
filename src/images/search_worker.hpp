#pragma once
// The search worker: one thread at a time runs the install-file search.

#include "ui/program_context.hpp"

namespace halvora {

// Starts the search on its own thread with the current exclusion list. The caller makes sure
// no worker is alive.
void startSearch(Program& program);

// The worker posted kSearchFinished: it has written its last control, so it can be joined.
void onSearchFinished(Program& program);

}  // namespace halvora
