// Colours and fonts of the setup script as the controls draw them. The
// script's colours keep red in the low byte and mark system colours with
// the high bit; the controls' pixels keep red in the high byte. Everything
// converts here, in one place.
#pragma once

#include "controls/Canvas.h"

#include <cstdint>
#include <string>

namespace ui {

inline constexpr uint32_t SystemColorFlag = 0x80000000u;

// The colour of a system colour index (COLOR_BTNFACE ...): the running
// system's on Windows, the classic scheme elsewhere.
controls::Pixel SystemColor(int Index);

// A script colour (red + green * 256 + blue * 65536, or the flag with a
// system colour index) as a pixel colour.
controls::Pixel ColorToPixel(uint32_t ScriptColor);

// Style bits of a script font.
enum : uint8_t { StyleBold = 1, StyleItalic = 2, StyleUnderline = 4, StyleStrikeOut = 8 };

// Pixels per logical inch of the screen (96 natively).
int ScreenDpi();

// A script font (name, size in points, style bits, script colour) at Dpi.
controls::Font FontFromPoints(const std::string &Name, int Points, uint8_t Style,
                              uint32_t ScriptColor, int Dpi);

} // namespace ui
