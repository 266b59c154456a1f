#include "platform/high_contrast.h"

#include <windows.h>

namespace lum {

namespace {
std::optional<bool>& Steered() {
  static std::optional<bool> answer;
  return answer;
}
}  // namespace

void SteerHighContrast(std::optional<bool> answer) { Steered() = answer; }

bool HighContrastOn() {
  if (Steered()) return *Steered();
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace lum
