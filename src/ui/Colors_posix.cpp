#include "ui/Colors.h"

namespace ui {

controls::Pixel SystemColor(int Index) {
  using controls::Rgb;
  // The classic Windows scheme, by system colour index.
  static const controls::Pixel Classic[] = {
      Rgb(192, 192, 192), Rgb(0, 128, 128),   Rgb(0, 0, 128),     Rgb(128, 128, 128),
      Rgb(192, 192, 192), Rgb(255, 255, 255), Rgb(0, 0, 0),       Rgb(0, 0, 0),
      Rgb(0, 0, 0),       Rgb(255, 255, 255), Rgb(192, 192, 192), Rgb(192, 192, 192),
      Rgb(128, 128, 128), Rgb(0, 0, 128),     Rgb(255, 255, 255), Rgb(192, 192, 192),
      Rgb(128, 128, 128), Rgb(128, 128, 128), Rgb(0, 0, 0),       Rgb(192, 192, 192),
      Rgb(255, 255, 255), Rgb(0, 0, 0),       Rgb(192, 192, 192), Rgb(0, 0, 0),
      Rgb(255, 255, 225)};
  if (Index < 0 || Index >= static_cast<int>(sizeof Classic / sizeof Classic[0]))
    return 0;
  return Classic[Index];
}

int ScreenDpi() {
  return 96;
}

} // namespace ui
