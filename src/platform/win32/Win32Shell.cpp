#include "platform/win32/Win32Shell.h"

#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <vector>

namespace platform::win32 {

namespace {

// The shell link object saves under a 16-bit path.
std::vector<wchar_t> Wide(const std::string &S) {
  int N = MultiByteToWideChar(CP_ACP, 0, S.c_str(), -1, nullptr, 0);
  std::vector<wchar_t> W(N > 0 ? N : 1, L'\0');
  if (N > 0)
    MultiByteToWideChar(CP_ACP, 0, S.c_str(), -1, W.data(), N);
  return W;
}

template <class T> void Release(T *&P) {
  if (P) {
    P->Release();
    P = nullptr;
  }
}

} // namespace

ComApartment::ComApartment() : FResult(CoInitialize(nullptr)) {}

ComApartment::~ComApartment() {
  if (SUCCEEDED(FResult))
    CoUninitialize();
}

// RPC_E_CHANGED_MODE: the thread already has COM, in the other model.
bool ComApartment::Ready() const {
  return SUCCEEDED(FResult) || FResult == RPC_E_CHANGED_MODE;
}

ShellLinkResult Win32Shell::CreateShellLink(const ShellLinkParams &Params) {
  IShellLinkA *Link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void **>(&Link))))
    return ShellLinkResult::NoObject;
  Link->SetPath(Params.Target.c_str());
  Link->SetArguments(Params.Arguments.c_str());
  IPersistFile *File = nullptr;
  if (FAILED(Link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&File)))) {
    Release(Link);
    return ShellLinkResult::NoObject;
  }
  Link->SetWorkingDirectory(Params.WorkingDirectory.c_str());
  if (!Params.IconFile.empty())
    Link->SetIconLocation(Params.IconFile.c_str(), Params.IconIndex);
  std::vector<wchar_t> Path = Wide(Params.LinkFile);
  const bool Saved = SUCCEEDED(File->Save(Path.data(), TRUE));
  Release(File);
  Release(Link);
  return Saved ? ShellLinkResult::Saved : ShellLinkResult::NotSaved;
}

int Win32Shell::AddFont(const std::string &Path) {
  return AddFontResourceA(Path.c_str());
}

bool Win32Shell::RemoveFont(const std::string &Path) {
  return RemoveFontResourceA(Path.c_str()) != FALSE;
}

void Win32Shell::BroadcastFontChange(uint32_t TimeoutMs) {
  // A plain SendMessage would wait for ever on a window that does not answer.
  DWORD_PTR Result = 0;
  SendMessageTimeoutA(HWND_BROADCAST, WM_FONTCHANGE, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                      TimeoutMs, &Result);
}

} // namespace platform::win32
