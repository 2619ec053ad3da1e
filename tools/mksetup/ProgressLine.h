// The progress of a build on a terminal: one line, redrawn in place with a
// carriage return, saying how many files and megabytes are packed and how
// fast. Builds that end quickly draw nothing, and nothing is drawn when the
// stream is not a terminal (a log file or a pipe gets no control characters).
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

#include "PackageBuilder.h"

namespace mksetup {

// "37/120 files, 12.3/45.6 MB, 8.1 MB/s"; the rate is left out before any
// time has passed.
std::string FormatProgress(const BuildProgress &P, double Seconds);

bool IsTerminal(std::FILE *Stream);

class ProgressLine {
public:
  using Clock = std::chrono::steady_clock;

  // Enabled false: every call does nothing.
  ProgressLine(std::FILE *Out, bool Enabled);

  // Redraws when the build has run for a quarter second and the last
  // drawing is a tenth of a second old, so a fast build prints nothing and
  // a slow one does not flood the terminal.
  void Update(const BuildProgress &P);

  // Draws the final state and ends the line, when a line was drawn; a
  // message printed afterwards then starts on a line of its own.
  void Finish(const BuildProgress &P);

private:
  void Draw(const BuildProgress &P, Clock::time_point Now);

  std::FILE *FOut;
  bool FEnabled;
  bool FDrawn = false;
  size_t FWidth = 0; // of the last line, to blank what a shorter one leaves
  Clock::time_point FStart;
  Clock::time_point FLast;
};

} // namespace mksetup
