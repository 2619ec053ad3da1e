#include "codec/Workers.h"

#include <system_error>
#include <thread>
#include <vector>

namespace codec {

unsigned HardwareThreads() {
  const unsigned N = std::thread::hardware_concurrency();
  return N ? N : 1;
}

void RunOnThreads(unsigned Count, const std::function<void(unsigned)> &Job) {
  std::vector<std::thread> Threads;
  std::vector<unsigned> Inline;
  for (unsigned i = 1; i < Count; ++i) {
    try {
      Threads.emplace_back(Job, i);
    } catch (const std::system_error &) {
      Inline.push_back(i);
    }
  }
  if (Count)
    Job(0);
  for (unsigned i : Inline)
    Job(i);
  for (auto &T : Threads)
    T.join();
}

} // namespace codec
