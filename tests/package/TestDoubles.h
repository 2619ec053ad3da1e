// Small in-memory doubles of the platform services the package code uses.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/Platform.h"

namespace package_test {

// Records every box instead of showing it.
class CapturingMessages : public platform::Messages {
public:
  int ShowMessage(const std::string &Text, const std::string &Caption, uint32_t Flags) override {
    Shown.push_back({Text, Flags});
    return platform::IdOk;
  }
  std::vector<std::pair<std::string, uint32_t>> Shown;
};

// Keys by root and exact path; string values only, plus one binary value
// kind to check that non-strings are refused.
class MemoryRegistry : public platform::Registry {
public:
  struct Value {
    bool IsString = true;
    std::string Data;
  };
  using Values = std::map<std::string, Value>;

  void Set(platform::RootKey Root, const std::string &Path, const std::string &Name,
           const std::string &Data, bool IsString = true) {
    Keys[{Root, Path}][Name] = {IsString, Data};
  }

  std::unique_ptr<platform::RegistryKey> OpenKey(platform::RootKey Root, const std::string &Path,
                                                 bool Create) override {
    Opened.push_back({Root, Path});
    auto It = Keys.find({Root, Path});
    if (It == Keys.end())
      return nullptr;
    return std::make_unique<Key>(It->second);
  }
  bool DeleteKey(platform::RootKey, const std::string &) override { return false; }

  std::map<std::pair<platform::RootKey, std::string>, Values> Keys;
  std::vector<std::pair<platform::RootKey, std::string>> Opened;

private:
  class Key : public platform::RegistryKey {
  public:
    explicit Key(const Values &V) : FValues(V) {}
    bool ValueExists(const std::string &Name) override { return FValues.count(Name) != 0; }
    bool ReadString(const std::string &Name, std::string &Out) override {
      auto It = FValues.find(Name);
      if (It == FValues.end() || !It->second.IsString)
        return false;
      Out = It->second.Data;
      return true;
    }
    bool ReadBinary(const std::string &, std::vector<uint8_t> &) override { return false; }
    bool ReadDword(const std::string &, uint32_t &) override { return false; }
    bool WriteString(const std::string &, const std::string &) override { return false; }
    bool WriteBinary(const std::string &, const void *, uint32_t) override { return false; }
    bool WriteDword(const std::string &, uint32_t) override { return false; }
    bool DeleteValue(const std::string &) override { return false; }
    bool ListValues(std::vector<std::string> &) override { return false; }
    bool ListSubKeys(std::vector<std::string> &) override { return false; }

  private:
    const Values &FValues;
  };
};

} // namespace package_test
