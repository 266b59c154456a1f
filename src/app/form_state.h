// Where the run stands, for the parts of the tray form that act differently while it starts up
// (the settings are being shown, not chosen) or quits (nothing new is begun).
#pragma once

namespace lum {

struct FormState {
  bool startingUp = false;
  bool quitting = false;
};

}  // namespace lum
