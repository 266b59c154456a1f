// The settings dialog: every caption setting on one page, with a menu bar that twins the tray
// menu. Each control runs its command at once through the tray form, which keeps its own marks
// in step and writes the key; there is no OK or Cancel.
#pragma once

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <string>

#include "config/settings.h"
#include "controls/command_ex.h"
#include "controls/extended_list.h"
#include "platform/form_dpi.h"
#include "platform/modal_loop.h"
#include "platform/profile.h"
#include "platform/scoped_win.h"
#include "settings/settings_host.h"

namespace lum {

class SettingsDialog : private CommandExEvents, private SpeciaListEvents {
 public:
  // Control identifiers, for the owner and for tests.
  enum ControlId : int {
    kLblPic = 1000,
    kCmdfix,
    kLblColor,
    kCmdColor,
    kLblShadow,
    kCmdShadow,
    kOptAligen0,  // .. kOptAligen0 + 3
    kOptBold0 = kOptAligen0 + 4,
    kChkShadow = kOptBold0 + 2,
    kChkTime,
    kChkAni,
    kFrmNews,
    kChkNews,
    kOptVH0,
    kSpeciaList1 = kOptVH0 + 2,
    kLabelInterval,
    kCmbNews,
    kLabelMinutes,
    kCmdNewsText,
    kFramePicture,
    kFrameColour,
    kFramePosition,
    kFrameTypeface,
  };
  static constexpr int kClientWidthTwips = 5100;
  static constexpr int kHeightWithNewsTwips = 4880;
  static constexpr int kHeightWithoutNewsTwips = 3250;

  SettingsDialog(SettingsHost& tray, SharedSettings& settings, const ProfileFile& ini);
  ~SettingsDialog() override;
  SettingsDialog(const SettingsDialog&) = delete;
  SettingsDialog& operator=(const SettingsDialog&) = delete;

  // Creates the window, fills it from LUM.ini and shows it; false while the program quits.
  bool Load();
  HWND hwnd() const { return hwnd_; }
  HWND Control(int id) const { return hwnd_ ? GetDlgItem(hwnd_, id) : nullptr; }
  HMENU Menu() const { return menu_; }
  int Dpi() const { return dpi_.dpi(); }
  SpeciaList& SpeciaList1() { return channels_; }
  CommandEx& cmdNewsText() { return newsButton_; }
  bool NewsAvailable() const { return newsAvailable_; }

  // The dialog's handlers; the menu items run the same ones.
  void optAligen_Click(int index);
  void optBold_Click(int index);
  void chkTime_Click();
  void cmdTimer_Click();
  void chkShadow_Click();
  void mnuShadow_Click();
  void chkAni_Click();
  void cmdAnimation_Click();
  void cmdColor_Click();
  void cmdShadow_Click();
  void cmdfix_Click();
  void optVH_Click(int index);
  void chkNews_Click();
  void cmbNews_Click();
  // A file list dropped on the picture field; true when it changed the picture.
  bool DropFiles(HDROP drop);
  // Takes a dropped path as the new picture; true when its ending is accepted and it loaded.
  bool AcceptDroppedPicture(const std::u16string& path);
  // The channel list's mark moved to row `row` (0-based): store and switch.
  void ChooseChannel(int row);

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
  SharedSettings& settings_;
  const ProfileFile& ini_;
  HWND hwnd_ = nullptr;
  HMENU menu_ = nullptr;
  ScopedFont font_, boldFont_;
  SpeciaList channels_{this};
  CommandEx newsButton_{this};
  DialogFocus focus_;
  FormDpi dpi_;
  bool loading_ = false;
  bool newsAvailable_ = false;
  int channelRow_ = -1;  // the row that carries the mark, as the user last chose it
};

}  // namespace lum
