// The running system's classification, the package's Target OS test, and
// the setup types' per-system visibility, initial selection and events.
#pragma once

#include "driver/PathMacros.h"
#include "package/SetupModel.h"
#include "platform/Platform.h"

#include <cstdint>
#include <string>

namespace driver {

// Operating-system codes, in the order of the Target OS bits.
enum OsCode : uint8_t {
  OsCodeWindows95 = 0,
  OsCodeWindows98 = 1,
  OsCodeNT40Workstation = 2,
  OsCodeNT40Server = 3,
  OsCodeWindows2000 = 4,
  OsCodeUnknown = 5,
};

// Event action codes, in increasing strength.
enum EventAction : uint8_t {
  ActionNone = 0,
  ActionPrevent = 1,
  ActionInstall = 2,
  ActionAbort = 3,
};

// Classifies a version record; ProductType is the registry's product type
// text (only looked at on the NT platform).
uint8_t ClassifyOS(const platform::OsVersionInfo &Version, const std::string &ProductType);

// "ProductType" under HKLM\System\CurrentControlSet\Control\ProductOptions,
// empty when missing.
std::string ReadProductType(platform::Registry &Reg);

// The code of the running system; reads the product type on every call.
uint8_t GetOSType(const platform::OsVersionInfo &Version, platform::Registry &Reg);

// "Windows 95" ... "Windows 2000"; empty for an unknown system.
std::string OSName(uint8_t Code);

// The Target OS bit of a code; 0 for an unknown system.
uint8_t TargetOsBit(uint8_t Code);

bool IsTargetOS(uint8_t TargetOS, uint8_t Code);

// 1 checked, 2 unchecked, 3 checked when visible, anything else unchecked.
bool SelectionFromSetting(uint8_t Value, bool Visible);

// The component page's list of setup types, as this module fills it. The
// check-box tree list implements it.
class SetupTypeList {
public:
  virtual ~SetupTypeList() = default;
  virtual void Clear() = 0;
  virtual void AddSetupType(const std::string &Caption, bool Checked, package::SetupType &Type) = 0;
  // Highlights the first item; false when the list is empty.
  virtual bool SelectFirst() = 0;
};

// Lists the setup types visible on the running system and sets every setup
// type's Selected and SizeInKB.
void FillSetupTypeList(package::TOpenFileType &Model, uint8_t Code, SetupTypeList &List);

// (sum of the named groups' TotalSize + 1023) / 1024, in 32-bit unsigned.
uint32_t SetupTypeSizeInKB(const package::TOpenFileType &Model, const package::SetupType &Type);

// What the events need from the machine.
struct EventContext {
  PathContext Paths;
  platform::Messages &Msg;
};

// Shows the event's message (when Text is not empty) and updates Action.
void ApplyEventAction(platform::Messages &Msg, const std::string &Event, const std::string &Text,
                      uint8_t &Action);

// Whether the check of one event fires. Check is upper-cased; Parameter
// names the key, value, directory or file of the four checks that take one.
bool EventCheckFires(const EventContext &Context, const package::DefaultDirectoryType &Dir,
                     const std::string &Check, const std::string &Parameter);

// Runs the events of the setup type's default directories and returns the
// strongest action.
uint8_t EvaluateSetupTypeEvents(const EventContext &Context, const package::SetupType &Type);

} // namespace driver
