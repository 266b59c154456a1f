#include "news/news_window.h"

#include <cmath>
#include <vector>

#include "platform/form_window.h"
#include "platform/modal_loop.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace lum {

namespace {
constexpr wchar_t kWindowClass[] = L"LumbrelFrmText";

}  // namespace

NewsWindow::~NewsWindow() { Unload(); }

void NewsWindow::Unload() {
  if (hwnd_) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
  txtNews_ = nullptr;
  if (font_) DeleteObject(font_);
  font_ = nullptr;
}

HWND NewsWindow::Load(const std::u16string& channelName) {
  if (hwnd_) return hwnd_;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterFormClass<NewsWindow>(kWindowClass, LoadIconW(instance, MAKEINTRESOURCEW(1)));
  std::u16string caption = channelName.empty() ? u"ﾆｭｰｽ詳細画面" : channelName + u"ﾆｭｰｽ詳細画面    ";
  int width = PixelsX(kMinWidthTwips);
  int height = PixelsY(kMinHeightTwips);
  CreateWindowExW(0, kWindowClass, Wide(caption), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, width, height,
                  nullptr, nullptr, instance, this);
  return hwnd_;
}

void NewsWindow::SetText(const std::u16string& text) {
  if (txtNews_) SetWindowTextW(txtNews_, Wide(text));
}

std::u16string NewsWindow::Text() const {
  if (!txtNews_) return {};
  int length = GetWindowTextLengthW(txtNews_);
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
  GetWindowTextW(txtNews_, buffer.data(), length + 1);
  return FromWide(buffer.data());
}

// The system's message font at the window's DPI for the text.
void NewsWindow::CreateTextFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!txtNews_ || !SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return;
  metrics.lfMessageFont.lfHeight =
      static_cast<LONG>(std::lround(dpi_.Scale(static_cast<float>(metrics.lfMessageFont.lfHeight))));
  HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
  if (!font) return;
  SendMessageW(txtNews_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  if (font_) DeleteObject(font_);
  font_ = font;
}

LRESULT NewsWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      txtNews_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, 0, 0,
                                 0, 0, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
      CreateTextFont();
      TakeDialogKeys(hwnd_);
      return 0;
    }
    case WM_GETMINMAXINFO: {
      // The window never gets smaller than 5,895 by 6,150 twips.
      auto info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize.x = dpi_.X(kMinWidthTwips);
      info->ptMinTrackSize.y = dpi_.Y(kMinHeightTwips);
      return 0;
    }
    case kDpiChangedMessage:
      // The suggested rectangle sizes the text too (WM_SIZE); its font follows the DPI.
      dpi_.OnDpiChanged(hwnd_, wParam, lParam);
      CreateTextFont();
      return 0;
    case WM_ACTIVATE:
      // The text takes the keys (scrolling, selecting, Escape) whenever the window is in front.
      if (LOWORD(wParam) != WA_INACTIVE && txtNews_) {
        SetFocus(txtNews_);
        return 0;
      }
      break;
    case WM_SIZE:
      if (txtNews_) MoveWindow(txtNews_, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    case WM_CLOSE:
      Unload();
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      txtNews_ = nullptr;
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace lum
