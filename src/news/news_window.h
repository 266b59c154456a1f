// The news detail window: the whole widened news text in a resizable window.
#pragma once

#include <windows.h>

#include <string>

#include "platform/form_dpi.h"

namespace lum {

class NewsWindow {
 public:
  static constexpr int kMinWidthTwips = 5895;
  static constexpr int kMinHeightTwips = 6150;

  NewsWindow() = default;
  ~NewsWindow();
  NewsWindow(const NewsWindow&) = delete;
  NewsWindow& operator=(const NewsWindow&) = delete;

  // Loads the window when needed; `channelName` non-empty gives the caption
  // "<name>ﾆｭｰｽ詳細画面    ", otherwise it reads "ﾆｭｰｽ詳細画面".
  HWND Load(const std::u16string& channelName);
  void SetText(const std::u16string& text);
  std::u16string Text() const;
  HWND hwnd() const { return hwnd_; }
  HWND txtNews() const { return txtNews_; }
  void Unload();

 private:
  template <typename Form>
  friend LRESULT CALLBACK RouteToForm(HWND, UINT, WPARAM, LPARAM);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateTextFont();

  HWND hwnd_ = nullptr;
  HWND txtNews_ = nullptr;
  HFONT font_ = nullptr;
  FormDpi dpi_;
};

}  // namespace lum
