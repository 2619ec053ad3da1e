#include "driver/EngineServices.h"

#include "driver/TargetOS.h"

namespace driver {

install::InstallServices MakeEngineServices(platform::FileSystem &Files, platform::Registry &Reg,
                                            const DestinationAliasSource *Destinations,
                                            TempNameRandom &Random,
                                            const platform::OsVersionInfo &Os) {
  install::InstallServices S;
  S.ResolvePath = [&Files, &Reg, Destinations](const std::string &Path, bool Trailing) {
    std::string P = Path;
    ResolvePathMacros({Files, Reg, Destinations}, P, Trailing);
    return P;
  };
  S.CreateTempFile = [&Files, &Random](std::string &Name) {
    return CreateTempFile(Files, Random, Name);
  };
  S.OsVersion = Os;
  S.OsType = GetOSType(Os, Reg);
  return S;
}

} // namespace driver
