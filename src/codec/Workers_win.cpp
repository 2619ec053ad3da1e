#include "codec/Workers.h"

#include <windows.h>

#include <vector>

namespace codec {
namespace {

struct ThreadArgs {
  const std::function<void(unsigned)> *Job;
  unsigned Index;
};

DWORD WINAPI ThreadMain(LPVOID Param) {
  const ThreadArgs *A = static_cast<const ThreadArgs *>(Param);
  (*A->Job)(A->Index);
  return 0;
}

} // namespace

unsigned HardwareThreads() {
  SYSTEM_INFO Info;
  GetSystemInfo(&Info);
  return Info.dwNumberOfProcessors ? unsigned(Info.dwNumberOfProcessors) : 1;
}

void RunOnThreads(unsigned Count, const std::function<void(unsigned)> &Job) {
  std::vector<ThreadArgs> Args(Count);
  std::vector<HANDLE> Handles;
  std::vector<unsigned> Inline;
  for (unsigned i = 1; i < Count; ++i) {
    Args[i] = {&Job, i};
    DWORD Id = 0; // Windows 95 wants the identifier's address
    const HANDLE H = CreateThread(nullptr, 0, ThreadMain, &Args[i], 0, &Id);
    if (H)
      Handles.push_back(H);
    else
      Inline.push_back(i);
  }
  if (Count)
    Job(0);
  for (unsigned i : Inline)
    Job(i);
  // WaitForMultipleObjects takes at most 64 handles: one at a time serves any count.
  for (HANDLE H : Handles) {
    WaitForSingleObject(H, INFINITE);
    CloseHandle(H);
  }
}

} // namespace codec
