// What the installation engine needs from the launcher beyond the platform:
// path expansion over the destination rows and fresh temporary files.
#pragma once

#include "driver/PathMacros.h"
#include "driver/TempFileName.h"
#include "install/InstallationEngine.h"

namespace driver {

// How often the launcher processes window messages while files are
// extracted: the panel stays live, and small files do not each pay a pump.
// A pump repaints the bar and the file name, which under Wine costs about
// twenty server requests and X calls; 25 times a second looks the same as
// 100 and leaves most of that time to the files (3000 files: a quarter
// less time than at 10 ms).
inline constexpr uint32_t InstallPumpIntervalMs = 40;

// Files, Reg, Destinations and Random must outlive the services; Os is the
// version record the launcher read at start-up (font registration uses it).
install::InstallServices MakeEngineServices(platform::FileSystem &Files, platform::Registry &Reg,
                                            const DestinationAliasSource *Destinations,
                                            TempNameRandom &Random,
                                            const platform::OsVersionInfo &Os);

} // namespace driver
