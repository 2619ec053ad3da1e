#include "platform/win32/Win32Registry.h"

#include <windows.h>

namespace platform::win32 {
namespace {

HKEY RootHandle(RootKey Root) {
  return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<uint32_t>(Root)));
}

// Win32 key paths do not take a leading backslash.
std::string KeyPath(const std::string &Path) {
  size_t i = 0;
  while (i < Path.size() && Path[i] == '\\')
    ++i;
  return Path.substr(i);
}

class Win32Key : public RegistryKey {
public:
  explicit Win32Key(HKEY K) : FKey(K) {}
  ~Win32Key() override { RegCloseKey(FKey); }

  bool ValueExists(const std::string &Name) override {
    return RegQueryValueExA(FKey, Name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
  }

  bool ReadString(const std::string &Name, std::string &Out) override {
    DWORD type = 0;
    std::vector<uint8_t> data;
    if (!Query(Name, type, data) || (type != REG_SZ && type != REG_EXPAND_SZ))
      return false;
    // The stored size may or may not count the terminating zero.
    size_t n = 0;
    while (n < data.size() && data[n] != 0)
      ++n;
    Out.assign(reinterpret_cast<const char *>(data.data()), n);
    return true;
  }

  bool ReadBinary(const std::string &Name, std::vector<uint8_t> &Out) override {
    DWORD type = 0;
    return Query(Name, type, Out);
  }

  bool ReadDword(const std::string &Name, uint32_t &Out) override {
    DWORD type = 0;
    std::vector<uint8_t> data;
    if (!Query(Name, type, data) || type != REG_DWORD || data.size() != 4)
      return false;
    Out = static_cast<uint32_t>(data[0]) | static_cast<uint32_t>(data[1]) << 8 |
          static_cast<uint32_t>(data[2]) << 16 | static_cast<uint32_t>(data[3]) << 24;
    return true;
  }

  bool WriteString(const std::string &Name, const std::string &Value) override {
    return RegSetValueExA(FKey, Name.c_str(), 0, REG_SZ,
                          reinterpret_cast<const BYTE *>(Value.c_str()),
                          static_cast<DWORD>(Value.size() + 1)) == ERROR_SUCCESS;
  }

  bool WriteBinary(const std::string &Name, const void *Data, uint32_t Size) override {
    static const BYTE none = 0;
    return RegSetValueExA(FKey, Name.c_str(), 0, REG_BINARY,
                          Size ? static_cast<const BYTE *>(Data) : &none, Size) == ERROR_SUCCESS;
  }

  bool WriteDword(const std::string &Name, uint32_t Value) override {
    DWORD v = Value;
    return RegSetValueExA(FKey, Name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&v),
                          sizeof v) == ERROR_SUCCESS;
  }

  bool DeleteValue(const std::string &Name) override {
    return RegDeleteValueA(FKey, Name.c_str()) == ERROR_SUCCESS;
  }

  bool ListValues(std::vector<std::string> &Out) override {
    Out.clear();
    for (DWORD i = 0;; ++i) {
      char name[16384];
      DWORD len = sizeof name;
      LONG rc = RegEnumValueA(FKey, i, name, &len, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_NO_MORE_ITEMS)
        return true;
      if (rc != ERROR_SUCCESS)
        return false;
      Out.emplace_back(name, len);
    }
  }

  bool ListSubKeys(std::vector<std::string> &Out) override {
    Out.clear();
    for (DWORD i = 0;; ++i) {
      char name[256];
      DWORD len = sizeof name;
      LONG rc = RegEnumKeyExA(FKey, i, name, &len, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_NO_MORE_ITEMS)
        return true;
      if (rc != ERROR_SUCCESS)
        return false;
      Out.emplace_back(name, len);
    }
  }

private:
  bool Query(const std::string &Name, DWORD &Type, std::vector<uint8_t> &Out) {
    DWORD size = 0;
    if (RegQueryValueExA(FKey, Name.c_str(), nullptr, &Type, nullptr, &size) != ERROR_SUCCESS)
      return false;
    // The value may grow between the two calls; ask again with the new size.
    for (int tries = 0; tries < 4; ++tries) {
      Out.resize(size);
      DWORD got = size;
      LONG rc = RegQueryValueExA(FKey, Name.c_str(), nullptr, &Type, Out.empty() ? nullptr : Out.data(),
                                 &got);
      if (rc == ERROR_SUCCESS) {
        Out.resize(got);
        return true;
      }
      if (rc != ERROR_MORE_DATA)
        return false;
      size = got;
    }
    return false;
  }

  HKEY FKey;
};

} // namespace

std::unique_ptr<RegistryKey> Win32Registry::OpenKey(RootKey Root, const std::string &Path,
                                                    bool Create) {
  HKEY key = nullptr;
  LONG rc;
  std::string p = KeyPath(Path);
  if (Create) {
    DWORD disposition = 0;
    rc = RegCreateKeyExA(RootHandle(Root), p.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                         KEY_ALL_ACCESS, nullptr, &key, &disposition);
  } else {
    rc = RegOpenKeyExA(RootHandle(Root), p.c_str(), 0, KEY_READ, &key);
  }
  if (rc != ERROR_SUCCESS)
    return nullptr;
  return std::make_unique<Win32Key>(key);
}

bool Win32Registry::DeleteKey(RootKey Root, const std::string &Path) {
  return RegDeleteKeyA(RootHandle(Root), KeyPath(Path).c_str()) == ERROR_SUCCESS;
}

} // namespace platform::win32
