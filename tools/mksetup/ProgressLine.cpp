#include "ProgressLine.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace mksetup {
namespace {

constexpr auto kFirstDraw = std::chrono::milliseconds(250);
constexpr auto kRedraw = std::chrono::milliseconds(100);

std::string Megabytes(uint64_t Bytes) {
  char B[32];
  std::snprintf(B, sizeof B, "%.1f", double(Bytes) / (1024.0 * 1024.0));
  return B;
}

} // namespace

std::string FormatProgress(const BuildProgress &P, double Seconds) {
  std::string Line = std::to_string(P.FilesDone) + "/" + std::to_string(P.FilesTotal) + " files, " +
                     Megabytes(P.BytesDone) + "/" + Megabytes(P.BytesTotal) + " MB";
  if (Seconds > 0)
    Line += ", " + Megabytes(uint64_t(double(P.BytesDone) / Seconds)) + " MB/s";
  return Line;
}

bool IsTerminal(std::FILE *Stream) {
#ifdef _WIN32
  return _isatty(_fileno(Stream)) != 0;
#else
  return isatty(fileno(Stream)) != 0;
#endif
}

ProgressLine::ProgressLine(std::FILE *Out, bool Enabled)
    : FOut(Out), FEnabled(Enabled), FStart(Clock::now()), FLast(FStart) {}

void ProgressLine::Update(const BuildProgress &P) {
  if (!FEnabled)
    return;
  const auto Now = Clock::now();
  if (Now - FStart < kFirstDraw || (FDrawn && Now - FLast < kRedraw))
    return;
  Draw(P, Now);
}

void ProgressLine::Finish(const BuildProgress &P) {
  if (!FEnabled || !FDrawn)
    return;
  Draw(P, Clock::now());
  std::fputc('\n', FOut);
  std::fflush(FOut);
  FDrawn = false;
}

void ProgressLine::Draw(const BuildProgress &P, Clock::time_point Now) {
  const double Seconds = std::chrono::duration<double>(Now - FStart).count();
  std::string Line = "mksetup: " + FormatProgress(P, Seconds);
  const size_t Width = Line.size();
  if (Width < FWidth)
    Line.append(FWidth - Width, ' ');
  std::fprintf(FOut, "\r%s", Line.c_str());
  std::fflush(FOut);
  FWidth = Width;
  FDrawn = true;
  FLast = Now;
}

} // namespace mksetup
