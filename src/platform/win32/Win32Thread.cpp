// The shipped programs use the compiler's win32 thread model, which has no
// std::thread: the system's own threads, critical sections and events serve
// (all of them there since Windows 95).
#include "platform/BackgroundJob.h"

#include <windows.h>

namespace platform {

struct BackgroundJob::Thread {
  enum class State { Idle, Queued, Running };
  CRITICAL_SECTION Lock;
  HANDLE Wake = nullptr; // auto-reset: work was queued, or the thread is to end
  HANDLE Idle = nullptr; // manual-reset: set while no work is queued or running
  HANDLE Handle = nullptr;
  State Now = State::Idle;
  bool Quit = false;
  std::function<void()> *Work = nullptr;

  static DWORD WINAPI Main(LPVOID Param) {
    static_cast<Thread *>(Param)->Loop();
    return 0;
  }

  void Loop() {
    for (;;) {
      WaitForSingleObject(Wake, INFINITE);
      EnterCriticalSection(&Lock);
      if (Now != State::Queued) { // taken back by the caller, or the end
        const bool End = Quit;
        LeaveCriticalSection(&Lock);
        if (End)
          return;
        continue;
      }
      Now = State::Running;
      LeaveCriticalSection(&Lock);
      (*Work)();
      EnterCriticalSection(&Lock);
      Now = State::Idle;
      SetEvent(Idle);
      LeaveCriticalSection(&Lock);
    }
  }
};

BackgroundJob::BackgroundJob() = default;

BackgroundJob::~BackgroundJob() {
  Wait();
  if (!FThread)
    return;
  EnterCriticalSection(&FThread->Lock);
  FThread->Quit = true;
  LeaveCriticalSection(&FThread->Lock);
  SetEvent(FThread->Wake);
  WaitForSingleObject(FThread->Handle, INFINITE);
  CloseHandle(FThread->Handle);
  CloseHandle(FThread->Wake);
  CloseHandle(FThread->Idle);
  DeleteCriticalSection(&FThread->Lock);
}

void BackgroundJob::Start(std::function<void()> Work) {
  Wait();
  FWork = std::move(Work);
  if (!FThread && !FStartFailed) {
    auto T = std::make_unique<Thread>();
    T->Work = &FWork;
    T->Wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    T->Idle = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    InitializeCriticalSection(&T->Lock);
    DWORD Id = 0; // Windows 95 wants the identifier's address
    if (T->Wake && T->Idle)
      T->Handle = CreateThread(nullptr, 0, Thread::Main, T.get(), 0, &Id);
    if (T->Handle) {
      FThread = std::move(T);
    } else {
      FStartFailed = true;
      if (T->Wake)
        CloseHandle(T->Wake);
      if (T->Idle)
        CloseHandle(T->Idle);
      DeleteCriticalSection(&T->Lock);
    }
  }
  if (!FThread) {
    FWork();
    return;
  }
  EnterCriticalSection(&FThread->Lock);
  FThread->Now = Thread::State::Queued;
  ResetEvent(FThread->Idle);
  LeaveCriticalSection(&FThread->Lock);
  SetEvent(FThread->Wake);
}

void BackgroundJob::Wait() {
  if (!FThread)
    return;
  EnterCriticalSection(&FThread->Lock);
  const Thread::State Now = FThread->Now;
  if (Now == Thread::State::Queued) {
    // Not begun yet: done here rather than waited for.
    FThread->Now = Thread::State::Idle;
    SetEvent(FThread->Idle);
  }
  LeaveCriticalSection(&FThread->Lock);
  if (Now == Thread::State::Queued)
    FWork();
  else if (Now == Thread::State::Running)
    WaitForSingleObject(FThread->Idle, INFINITE);
}

} // namespace platform
