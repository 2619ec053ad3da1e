// TVemoProgressBar: a horizontal bar with a 64-bit position, a colour
// gradient along the filled part, an optional sunken frame and a centred
// percentage text drawn by exclusive-or so it reads on both parts of the bar.
// This is the portable half: properties and drawing onto a Canvas. The window
// that shows it lives in VemoProgressbar_win.cpp.
#pragma once

#include "controls/Canvas.h"
#include "controls/ControlEvents.h"

#include <cstdint>
#include <string>

namespace controls {

enum class BorderStyle { None, Single };

class TVemoProgressBar {
public:
  using MouseHandler = std::function<void(TVemoProgressBar &, const MouseEvent &)>;
  using NotifyHandler = std::function<void(TVemoProgressBar &)>;

  Pixel Color() const { return FColor; }
  void SetColor(Pixel V) { Store(FColor, V); }
  const controls::Font &Font() const { return FFont; }
  void SetFont(const controls::Font &V) { Store(FFont, V); }
  controls::BorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(controls::BorderStyle V) { Store(FBorderStyle, V); }
  Pixel ProgressColor() const { return FProgressColor; }
  void SetProgressColor(Pixel V) { Store(FProgressColor, V); }
  Pixel ProgressColorDestination() const { return FProgressColorDestination; }
  void SetProgressColorDestination(Pixel V) { Store(FProgressColorDestination, V); }
  bool ShowProgressText() const { return FShowProgressText; }
  void SetShowProgressText(bool V) { Store(FShowProgressText, V); }
  // Stored as given, never clamped; Paint decides what a value means.
  int64_t Progress() const { return FProgress; }
  void SetProgress(int64_t V) { StorePosition(FProgress, V); }
  int64_t Max() const { return FMax; }
  void SetMax(int64_t V) { StorePosition(FMax, V); }

  MouseHandler OnMouseDown;
  NotifyHandler OnDblClick;
  MouseHandler OnMouseUp;
  // Set by the host window; called by every setter.
  RepaintRequest OnRepaint;

  // Draws the whole control onto C, whose size is the client area.
  void Paint(Canvas &C) const;
  // What Paint draws onto a client Width pixels wide, as a text: equal texts
  // mean equal pictures. A position that moves the bar by less than a pixel
  // and leaves its percentage gives the same text, so the window need not be
  // painted again for it (an installation moves it for every block).
  std::string Look(int Width) const;
  // The percentage text into R for position P, exclusive-or onto C.
  void DrawProgressText(Canvas &C, const Rect &R, int64_t P) const;
  // "42%", or "0/100%" when Max is 0.
  static std::string ProgressText(int64_t P, int64_t Max);

private:
  // Any property but the position changes the look whatever its value.
  template <class T> void Store(T &Field, const T &V) {
    Field = V;
    ++FStyleChanges;
    if (OnRepaint)
      OnRepaint();
  }
  void StorePosition(int64_t &Field, int64_t V) {
    Field = V;
    if (OnRepaint)
      OnRepaint();
  }
  // The position as drawn: clamped to Max.
  int64_t Shown() const { return FProgress > FMax ? FMax : FProgress; }
  // The last filled column for a client W wide; -1 when nothing is filled.
  int LastFilled(int W) const;
  // A channel (shift 16, 8 or 0) of the gradient's colour at the bar's end.
  int64_t GradientEnd(int Shift) const;

  uint64_t FStyleChanges = 0;

  Pixel FColor = ClBtnFace;
  controls::Font FFont;
  controls::BorderStyle FBorderStyle = BorderStyle::Single;
  Pixel FProgressColor = ClNavy;
  Pixel FProgressColorDestination = ClNavy;
  bool FShowProgressText = true;
  int64_t FProgress = 0;
  int64_t FMax = 100;
};

} // namespace controls
