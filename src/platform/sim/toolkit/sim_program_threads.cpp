#include "platform/sim/toolkit/sim_program_threads.hpp"

namespace halvora::sim {

namespace {
thread_local bool programWorker = false;
}

void markProgramWorkerThread() { programWorker = true; }

bool isProgramWorkerThread() { return programWorker; }

}  // namespace halvora::sim
