// The about box: our logo, the version, a one-line notice and the mail address on a white
// panel. The logo and the notice open the project's pages, the address a new mail.
#pragma once

// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include "platform/form_dpi.h"
#include "platform/scoped_win.h"

namespace lum {

// The shell's open call; tests put their own in its place so that nothing is started.
using ShellExecuteFunction = decltype(&ShellExecuteA);

class AboutBox {
 public:
  static constexpr int kClientWidthTwips = 5160;
  static constexpr int kClientHeightTwips = 2085;
  // Resources: the hand pointer shown over the links and the logo picture (309 x 75).
  static constexpr int kHandCursor = 101;
  static constexpr int kLogoBitmap = 102;
  // Where the links lead.
  static constexpr char kProductPage[] = "https://lumbrel.example.org/";
  static constexpr char kOverviewPage[] = "https://lumbrel.example.org/overview.html";
  static constexpr char kMailLink[] = "mailto:lum@example.org";

  explicit AboutBox(ShellExecuteFunction shellExecute = ShellExecuteA) : shellExecute_(shellExecute) {}
  ~AboutBox();
  AboutBox(const AboutBox&) = delete;
  AboutBox& operator=(const AboutBox&) = delete;

  // From the tray: topmost and modeless. Asked again while open, brings the same window to the front.
  void ShowModeless(HWND owner);
  // From the settings dialog: returns when the box has closed; a visible owner is disabled
  // meanwhile. Asked while the box is open already, brings it to the front and returns at once.
  void ShowModal(HWND owner);
  // Creates the window hidden; true when it exists.
  bool Load(HWND owner);
  // Closes the window, if open (the tray form takes every form down with it).
  void Unload();

  HWND hwnd() const { return hwnd_; }
  HWND Picture1() const { return picture1_; }
  HWND Image1() const { return image1_; }
  HWND Label1() const { return label1_; }
  HWND text1(int index) const { return index == 0 || index == 1 ? text1_[index] : nullptr; }

  void Image1_Click();
  void text1_Click(int index);

 private:
  template <typename Form>
  friend LRESULT CALLBACK RouteToForm(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK PanelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandlePanelMessage(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);
  void Form_Load();
  HWND AddLabel(int id, const wchar_t* text, DWORD style);
  void Layout();
  void CreateFonts();
  void FitVersionLabel();
  bool IsLink(HWND control) const;
  void OpenLink(const char* link) const;

  ShellExecuteFunction shellExecute_;
  HWND hwnd_ = nullptr;
  HWND picture1_ = nullptr;
  HWND image1_ = nullptr;
  HWND label1_ = nullptr;
  HWND text1_[2] = {};
  ScopedFont formFont_;
  ScopedFont tahoma_;
  ScopedBitmap logo_;
  FormDpi dpi_;
};

}  // namespace lum
