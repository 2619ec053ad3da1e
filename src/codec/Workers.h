// Running one job on several threads at once, for the coding side: blocks
// are coded independently, so a batch of them can be shared out. The
// launcher itself never starts a thread.
#pragma once

#include <functional>

namespace codec {

// Processors the system offers (at least 1).
unsigned HardwareThreads();

// Calls Job(0) .. Job(Count - 1), each on its own thread (Job(0) on the
// calling one), and returns when all have returned. A thread that cannot be
// started has its job run on the calling thread instead. Jobs must not throw.
void RunOnThreads(unsigned Count, const std::function<void(unsigned)> &Job);

} // namespace codec
