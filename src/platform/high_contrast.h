// Whether the user has switched high contrast on. Its captions are then the system's: the
// program decorates none while it is on.
#pragma once

#include <optional>

namespace lum {

// Asked of the system (SPI_GETHIGHCONTRAST, HCF_HIGHCONTRASTON) unless a test answers for it:
// Wine refuses to switch high contrast on.
bool HighContrastOn();
void SteerHighContrast(std::optional<bool> answer);

}  // namespace lum
