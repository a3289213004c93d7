#pragma once
// Which threads are the program's own workers (made with CreateThread through the System
// boundary), as opposed to the interface thread, the test's threads and the scripted user.
// A worker's window calls wait for the interface thread, as on Windows.

namespace halvora::sim {

void markProgramWorkerThread();
bool isProgramWorkerThread();

}  // namespace halvora::sim
