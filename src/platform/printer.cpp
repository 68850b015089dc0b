#include "platform/printer.h"

#include <array>
#include <cmath>

namespace veridane {

uint32_t PaletteColor(int16_t index) {
  static constexpr std::array<uint32_t, 16> kPalette = {
      0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
      0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
  return index >= 0 && index < 16 ? kPalette[static_cast<size_t>(index)] : kPalette[0];
}

bool PrintText(Printer& printer, std::string_view text, float x, float y, int16_t colorIndex) {
  if (x > 0) printer.SetCurrentX(x);
  if (x < 0) printer.SetCurrentX(printer.CurrentX() + std::fabs(x));
  if (y > 0) printer.SetCurrentY(y);
  if (y < 0) printer.SetCurrentY(printer.CurrentY() + std::fabs(y));
  if (text.empty()) return true;
  printer.SetForeColor(PaletteColor(colorIndex));
  return printer.Print(text);
}

void PrintMove(Printer& printer, float x, float y) {
  printer.SetCurrentX(std::fabs(x));
  printer.SetCurrentY(printer.CurrentY() + std::fabs(y));
}

}  // namespace veridane
