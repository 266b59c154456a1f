// The clock settings window: the 115 clock formats shown for one sample moment in the
// program's own list with option marks; "設定" stores the marked one.
#pragma once

#include <windows.h>

#include "config/settings.h"
#include "controls/command_ex.h"
#include "controls/extended_list.h"
#include "platform/form_dpi.h"
#include "platform/modal_loop.h"
#include "platform/scoped_win.h"

namespace lum {

class ClockDialog : private CommandExEvents {
 public:
  static constexpr int kClientWidthTwips = 4335;
  static constexpr int kClientHeightTwips = 3825;

  explicit ClockDialog(SettingsStore& store) : store_(store) {}
  ~ClockDialog() override;
  ClockDialog(const ClockDialog&) = delete;
  ClockDialog& operator=(const ClockDialog&) = delete;

  // Shows the window and returns when it has closed; the owner, when it is a visible window, is
  // disabled meanwhile. Asked again while it is open, brings it to the front and returns at once.
  void ShowModal(HWND owner);
  // Opens the window without waiting (the modal run and tests drive its messages themselves).
  bool Load(HWND owner);
  HWND hwnd() const { return hwnd_; }
  HWND Label1() const { return label1_; }
  SpeciaList& SpeciaList1() { return list_; }
  CommandEx& CommandEx1() { return button_; }

 private:
  template <typename Form>
  friend LRESULT CALLBACK RouteToForm(HWND, UINT, WPARAM, LPARAM);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Form_Load();
  void Layout();
  void CreateFonts();
  void FitHint();
  void Click(CommandEx&) override;  // `CommandEx1_Click`

  SettingsStore& store_;
  HWND hwnd_ = nullptr;
  HWND label1_ = nullptr;
  ScopedFont font_;
  DialogFocus focus_;
  FormDpi dpi_;
  SpeciaList list_;
  CommandEx button_{this};
};

}  // namespace lum
