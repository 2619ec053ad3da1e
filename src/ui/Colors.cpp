#include "ui/Colors.h"

namespace ui {

controls::Pixel ColorToPixel(uint32_t C) {
  if (C & SystemColorFlag)
    return SystemColor(static_cast<int>(C & 0xFF));
  return controls::Rgb(static_cast<uint8_t>(C), static_cast<uint8_t>(C >> 8),
                       static_cast<uint8_t>(C >> 16));
}

controls::Font FontFromPoints(const std::string &Name, int Points, uint8_t Style,
                              uint32_t ScriptColor, int Dpi) {
  controls::Font F;
  F.Name = Name;
  // Negative: the character height, as a point size asks for.
  int64_t Px = (static_cast<int64_t>(Points) * Dpi + 36) / 72;
  F.Height = static_cast<int>(-Px);
  F.Bold = Style & StyleBold;
  F.Italic = Style & StyleItalic;
  F.Underline = Style & StyleUnderline;
  F.StrikeOut = Style & StyleStrikeOut;
  F.Color = ColorToPixel(ScriptColor);
  return F;
}

} // namespace ui
