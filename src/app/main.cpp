// Lumbrel: keeps the title bar of the foreground window of other programs repainted.
#include <windows.h>

#include "app/tray_form.h"
#include "platform/modal_loop.h"
#include "platform/shell.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  lum::SettingsStore settings;
  lum::TrayFormOptions options;
  options.programDir = lum::ProgramDirectory();
  options.steadyPainter = true;
  lum::TrayForm form(settings, options);
  if (!form.Form_Load()) return 0;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    // The settings window, the about box and the news window are modeless: their keys go here.
    if (lum::RouteDialogMessage(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
