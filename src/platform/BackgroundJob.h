// One piece of work at a time done on a second thread while its starter goes
// on (the package tool reads a package ahead of its decoding). Starting and
// waiting are the only meeting points: what the work touches is the
// caller's again once Wait returns.
//
// The thread is started once and kept. Work it has not taken up when the
// caller waits is done by the caller itself: on a busy machine the caller
// never sits waiting for a thread that has not been given a processor yet.
// The launcher never starts one.
#pragma once

#include <functional>
#include <memory>

namespace platform {

class BackgroundJob {
public:
  BackgroundJob();
  ~BackgroundJob(); // waits for the work, then ends the thread
  BackgroundJob(const BackgroundJob &) = delete;
  BackgroundJob &operator=(const BackgroundJob &) = delete;

  // Hands Work to the thread, after waiting for the work handed before.
  // Where no thread can be started, Work runs here before Start returns.
  // Work must not throw.
  void Start(std::function<void()> Work);
  // Returns once the work started last is done: by the thread, or here
  // when the thread had not begun it.
  void Wait();

private:
  struct Thread; // the system's thread and what it waits on
  std::unique_ptr<Thread> FThread;
  std::function<void()> FWork;
  bool FStartFailed = false; // no thread could be had: work runs here
};

} // namespace platform
