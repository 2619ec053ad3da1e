#include "platform/BackgroundJob.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace platform {

struct BackgroundJob::Thread {
  enum class State { Idle, Queued, Running };
  std::mutex Lock;
  std::condition_variable Changed;
  State Now = State::Idle;
  bool Quit = false;
  std::function<void()> *Work = nullptr;
  std::thread Runner;

  void Loop() {
    std::unique_lock<std::mutex> L(Lock);
    for (;;) {
      Changed.wait(L, [this] { return Now == State::Queued || Quit; });
      if (Now != State::Queued)
        return;
      Now = State::Running;
      L.unlock();
      (*Work)();
      L.lock();
      Now = State::Idle;
      Changed.notify_all();
    }
  }
};

BackgroundJob::BackgroundJob() = default;

BackgroundJob::~BackgroundJob() {
  Wait();
  if (!FThread)
    return;
  {
    std::lock_guard<std::mutex> L(FThread->Lock);
    FThread->Quit = true;
  }
  FThread->Changed.notify_all();
  FThread->Runner.join();
}

void BackgroundJob::Start(std::function<void()> Work) {
  Wait();
  FWork = std::move(Work);
  if (!FThread && !FStartFailed) {
    auto T = std::make_unique<Thread>();
    T->Work = &FWork;
    try {
      Thread *Raw = T.get();
      T->Runner = std::thread([Raw] { Raw->Loop(); });
      FThread = std::move(T);
    } catch (const std::system_error &) {
      FStartFailed = true;
    }
  }
  if (!FThread) {
    FWork();
    return;
  }
  {
    std::lock_guard<std::mutex> L(FThread->Lock);
    FThread->Now = Thread::State::Queued;
  }
  FThread->Changed.notify_all();
}

void BackgroundJob::Wait() {
  if (!FThread)
    return;
  std::unique_lock<std::mutex> L(FThread->Lock);
  if (FThread->Now == Thread::State::Queued) {
    // Not begun yet: done here rather than waited for.
    FThread->Now = Thread::State::Idle;
    L.unlock();
    FWork();
    return;
  }
  FThread->Changed.wait(L, [this] { return FThread->Now == Thread::State::Idle; });
}

} // namespace platform
