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

// COM for the calling thread, for as long as the link is being made.
class ComScope {
public:
  ComScope() : FResult(CoInitialize(nullptr)) {}
  ~ComScope() {
    if (SUCCEEDED(FResult))
      CoUninitialize();
  }
  // S_FALSE (already initialised) and RPC_E_CHANGED_MODE both leave COM usable.
  bool Usable() const { return SUCCEEDED(FResult) || FResult == RPC_E_CHANGED_MODE; }

private:
  HRESULT FResult;
};

template <class T> void Release(T *&P) {
  if (P) {
    P->Release();
    P = nullptr;
  }
}

} // namespace

bool Win32Shell::CreateShellLink(const ShellLinkParams &Params) {
  ComScope Com;
  if (!Com.Usable())
    return false;
  IShellLinkA *Link = nullptr;
  IPersistFile *File = nullptr;
  bool Ok = false;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void **>(&Link)))) {
    Ok = SUCCEEDED(Link->SetPath(Params.Target.c_str()));
    Ok = Ok && SUCCEEDED(Link->SetArguments(Params.Arguments.c_str()));
    Ok = Ok && SUCCEEDED(Link->SetWorkingDirectory(Params.WorkingDirectory.c_str()));
    Ok = Ok && SUCCEEDED(Link->SetDescription(Params.Description.c_str()));
    if (Ok && !Params.IconFile.empty())
      Ok = SUCCEEDED(Link->SetIconLocation(Params.IconFile.c_str(), Params.IconIndex));
    Ok = Ok && SUCCEEDED(Link->SetShowCmd(Params.ShowCommand));
    Ok = Ok && SUCCEEDED(Link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&File)));
    if (Ok) {
      std::vector<wchar_t> Path = Wide(Params.LinkFile);
      Ok = SUCCEEDED(File->Save(Path.data(), TRUE));
    }
  }
  Release(File);
  Release(Link);
  return Ok;
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
