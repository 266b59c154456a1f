// The settings dialog: every caption setting on one page, with a menu bar that twins the tray
// menu. It shows what the settings store holds; each control and menu item runs its command at
// once through the tray form's dispatcher (see command_table.h), which changes the store and
// has the dialog show it afresh. There is no OK or Cancel.
#pragma once

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <optional>
#include <string>

#include "config/settings.h"
#include "controls/command_ex.h"
#include "controls/extended_list.h"
#include "platform/form_dpi.h"
#include "platform/modal_loop.h"
#include "platform/scoped_win.h"
#include "settings/settings_controls.h"
#include "settings/settings_host.h"

namespace lum {

class SettingsDialog : private CommandExEvents, private SpeciaListEvents {
 public:
  // Control identifiers, for the owner and for tests.
  using enum SettingsControlId;
  static constexpr int kClientWidthTwips = 5100;
  static constexpr int kHeightWithNewsTwips = 4880;
  static constexpr int kHeightWithoutNewsTwips = 3250;

  SettingsDialog(SettingsHost& tray, SettingsStore& store);
  ~SettingsDialog() override;
  SettingsDialog(const SettingsDialog&) = delete;
  SettingsDialog& operator=(const SettingsDialog&) = delete;

  // Creates the window, fills it from the settings and shows it; false while the program quits.
  bool Load();
  // Every control, menu mark and label as the settings now are.
  void ShowSettings();
  HWND hwnd() const { return hwnd_; }
  HWND Control(int id) const { return hwnd_ ? GetDlgItem(hwnd_, id) : nullptr; }
  HMENU Menu() const { return menu_; }
  int Dpi() const { return dpi_.dpi(); }
  SpeciaList& SpeciaList1() { return channels_; }
  CommandEx& cmdNewsText() { return newsButton_; }
  bool NewsAvailable() const { return newsAvailable_; }

  // A file list dropped on the picture field; true when it changed the picture.
  bool DropFiles(HDROP drop);
  // Takes a dropped path as the new picture; true when its ending is accepted and it loaded.
  bool AcceptDroppedPicture(const std::u16string& path);

 private:
  template <typename Form>
  friend LRESULT CALLBACK RouteToForm(HWND, UINT, WPARAM, LPARAM);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PictureFieldProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  void CreateControls();
  void CreateFonts();
  void OnDpiChanged(WPARAM wParam, LPARAM lParam);
  void Form_Load();
  void SetNews();
  void Form_Unload();
  void OnCommand(UINT id, UINT code);
  void Run(UINT id, std::optional<int> value = std::nullopt);
  // The channel list's mark moved to row `row` (0-based): store and switch.
  void ChooseChannel(int row);
  void SetMark(UINT command, bool checked);
  void SetCheck(int id, bool checked);
  bool Checked(int id) const;
  void SelectOption(int first, int count, int index);
  void HideControl(int id);
  void UpdateLabelFonts();
  int OuterHeightPixels() const;
  // CommandEx and SpeciaList events.
  void Click(CommandEx&) override;
  void Click(SpeciaList&) override;
  void OptionChange(SpeciaList&) override;

  SettingsHost& tray_;
  SettingsStore& store_;
  HWND hwnd_ = nullptr;
  HMENU menu_ = nullptr;
  ScopedFont font_, boldFont_;
  SpeciaList channels_{this};
  CommandEx newsButton_{this};
  DialogFocus focus_;
  FormDpi dpi_;
  bool showing_ = false;  // the controls are being set: their notifications are no clicks
  bool newsAvailable_ = false;
  int channelRow_ = -1;  // the row that carries the mark, as the user last chose it
};

}  // namespace lum
