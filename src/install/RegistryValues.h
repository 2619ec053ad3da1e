// The registry keys and values a group declares: written below the root
// keys the script names, each declared value recorded in the uninstall log
// so the uninstaller can delete it. Registry failures are silent.
#pragma once

#include "install/InstallRecord.h"
#include "package/SetupModel.h"
#include "platform/Platform.h"

#include <string>

namespace install {

// Script value types.
enum : uint8_t {
  RegValueString = 0, // REG_SZ, path macros expanded
  RegValueBinary = 1, // REG_BINARY, the decoded bytes
  RegValueDword = 2,  // REG_DWORD, read as a signed 32-bit integer
};

// "HKEY_CLASSES_ROOT" .. "HKEY_DYN_DATA", letter case ignored; false for
// any other name (HKEY_PERFORMANCE_DATA included).
bool RootKeyByName(const std::string &Name, platform::RootKey &Out);
// The reverse, in upper case; empty for any other handle.
std::string RootKeyName(uint32_t Handle);

// The log record of a value: "\" root "\" key path "\" value name.
std::string RegistryValueRecord(const std::string &RootName, const std::string &KeyPath,
                                const std::string &ValueName);

// The reverse of RegistryValueRecord: the root at the first backslash after
// the leading one, the value name after the last. False for a record that
// names no key below a known root.
bool SplitRegistryValueRecord(const std::string &Record, platform::RootKey &Root,
                              std::string &KeyPath, std::string &ValueName);

// Deletes a recorded value, then its key and the keys above it while they
// are left without values and sub-keys; a key directly below a root stays.
void DeleteRegistryValue(platform::Registry &Reg, const std::string &Record);

// Writes the group's registry tree; every declared value is recorded, also
// when writing it failed or its type writes nothing.
void SetupRegistry(platform::Registry &Reg, const package::GroupType &Group,
                   const PathResolver &Resolve, const RecordSink &Log);

} // namespace install
