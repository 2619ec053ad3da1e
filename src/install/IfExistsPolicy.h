// What to do with a packaged file whose destination already exists.
#pragma once

#include <cstdint>

namespace install {

enum IfExists : uint8_t {
  ieOverwrite = 0,
  ieAsk = 1,
  ieKeep = 2,
  ieNewerVersion = 3,
  ieNewerDate = 4,
  ieMergeIniNew = 5,
  ieMergeIniKeep = 6,
  ieMergeBlocks = 7,
};

// Whether a DOS date-time names a real moment (the calendar check a
// conversion to a date-time value makes).
bool IsValidDosDateTime(int32_t Value);

// Replace by version: the existing file's packed version is not above the
// packaged one (unsigned comparison).
inline bool NewerVersionReplaces(uint32_t Existing, uint32_t Packaged) {
  return Existing <= Packaged;
}

// Replace by date: the packaged date is not before the existing one; a date
// that cannot be converted also replaces.
bool NewerDateReplaces(int32_t Existing, int32_t Packaged);

// Policies whose new file is merged into the existing one.
inline bool IsMergePolicy(uint8_t Policy) {
  return Policy == ieMergeIniNew || Policy == ieMergeIniKeep || Policy == ieMergeBlocks;
}

// Policies whose outcome depends on whether the destination exists: the
// others install the packaged file either way.
inline bool DecidesOnExisting(uint8_t Policy) {
  return (Policy >= ieAsk && Policy <= ieNewerDate) || IsMergePolicy(Policy);
}

} // namespace install
