#include "install/IfExistsPolicy.h"

namespace install {

bool IsValidDosDateTime(int32_t Value) {
  const uint32_t V = uint32_t(Value);
  const uint32_t Date = V >> 16, Time = V & 0xFFFF;
  const uint32_t Year = 1980 + (Date >> 9), Month = (Date >> 5) & 15, Day = Date & 31;
  const uint32_t Hour = Time >> 11, Minute = (Time >> 5) & 63, Second = (Time & 31) * 2;
  static const uint8_t Days[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (Month < 1 || Month > 12 || Day < 1 || Day > Days[Month - 1])
    return false;
  const bool Leap = (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0;
  if (Month == 2 && Day == 29 && !Leap)
    return false;
  return Hour < 24 && Minute < 60 && Second < 60;
}

bool NewerDateReplaces(int32_t Existing, int32_t Packaged) {
  if (!IsValidDosDateTime(Existing) || !IsValidDosDateTime(Packaged))
    return true;
  // Valid packed values order like the moments they name.
  return uint32_t(Packaged) >= uint32_t(Existing);
}

} // namespace install
