#include "about/about_box.h"

#include <algorithm>
#include <cwchar>

#include "controls/control_font.h"
#include "platform/form_window.h"
#include "platform/modal_loop.h"
#include "platform/shell.h"

namespace lum {

namespace {

constexpr wchar_t kWindowClass[] = L"LumbrelAboutBox";
constexpr wchar_t kPanelClass[] = L"LumbrelAboutPanel";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
constexpr int kPictureId = 1, kImageId = 2, kLabelId = 3, kText1Id = 4;  // text1(i) is kText1Id + i

constexpr wchar_t kVersion[] = L"version 1.2";
constexpr wchar_t kNotice[] = L"(C) 2026 The Lumbrel Project";
constexpr wchar_t kMailAddress[] = L"lum@example.org";

constexpr COLORREF kVersionColor = RGB(64, 64, 64);
constexpr COLORREF kNoticeColor = RGB(128, 128, 128);
constexpr COLORREF kMailColor = RGB(63, 106, 154);

HMENU ControlId(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

}  // namespace

AboutBox::~AboutBox() { Unload(); }

bool AboutBox::Load(HWND owner) {
  if (hwnd_) return true;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterFormClass<AboutBox>(kWindowClass, LoadIconW(instance, MAKEINTRESOURCEW(1)));
  WNDCLASSEXW panelClass{};
  panelClass.cbSize = sizeof panelClass;
  panelClass.lpfnWndProc = PanelProcedure;
  panelClass.hInstance = instance;
  panelClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  panelClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  panelClass.lpszClassName = kPanelClass;
  RegisterClassExW(&panelClass);  // fails harmlessly the second time

  const RECT frame = CenteredFrame(kClientWidthTwips, kClientHeightTwips, kStyle, kExStyle);
  CreateWindowExW(kExStyle, kWindowClass, L"ﾊﾞｰｼﾞｮﾝ情報", kStyle, frame.left, frame.top, frame.right - frame.left,
                  frame.bottom - frame.top, owner, nullptr, instance, this);
  if (!hwnd_) return false;
  Form_Load();
  TakeDialogKeys(hwnd_);
  return true;
}

void AboutBox::Form_Load() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  picture1_ = CreateWindowExW(0, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, hwnd_,
                              ControlId(kPictureId), instance, this);
  if (!picture1_) return;
  image1_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_BITMAP | SS_NOTIFY, 0, 0, 0, 0, picture1_,
                            ControlId(kImageId), instance, nullptr);
  logo_.reset(static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(kLogoBitmap), IMAGE_BITMAP, 0, 0, 0)));
  if (image1_ && logo_) SendMessageW(image1_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(logo_.get()));
  label1_ = AddLabel(kLabelId, kVersion, 0);
  text1_[0] = AddLabel(kText1Id, kNotice, SS_NOTIFY);
  text1_[1] = AddLabel(kText1Id + 1, kMailAddress, SS_NOTIFY);
  Layout();
  CreateFonts();
}

// Every control at its twips for the window's DPI; a bitmap static sized itself to its picture,
// and the layout's box holds.
void AboutBox::Layout() {
  struct Place {
    HWND control;
    int left, top, width, height;
  };
  const Place places[] = {{picture1_, 60, 60, 5040, 1965},
                          {image1_, 150, 30, 4635, 1125},
                          {label1_, 4005, 1170, 825, 180},
                          {text1_[0], 1200, 1620, 3630, 195},
                          {text1_[1], 3480, 1440, 1350, 195}};
  for (const Place& place : places)
    if (place.control)
      MoveWindow(place.control, dpi_.X(place.left), dpi_.Y(place.top), dpi_.X(place.width), dpi_.Y(place.height), TRUE);
}

// The form's own font and Tahoma for the two links, at the window's DPI.
void AboutBox::CreateFonts() {
  ControlFont form, tahoma{u"Tahoma"};
  form.size = dpi_.Scale(form.size);
  tahoma.size = dpi_.Scale(tahoma.size);
  ScopedFont formFont(form.Create()), tahomaFont(tahoma.Create());
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(formFont.get()), FALSE);
  if (label1_) SendMessageW(label1_, WM_SETFONT, reinterpret_cast<WPARAM>(formFont.get()), TRUE);
  for (HWND link : text1_)
    if (link) SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(tahomaFont.get()), TRUE);
  formFont_ = std::move(formFont);
  tahoma_ = std::move(tahomaFont);
  FitVersionLabel();
}

// The version's box is measured for the designed font; a wider substitute (Wine's Japanese
// fallback) would wrap "1.2" out of sight, so the box grows to its text, up to the picture's edge.
void AboutBox::FitVersionLabel() {
  if (!label1_ || !picture1_) return;
  RECT box{}, room{};
  GetWindowRect(label1_, &box);
  MapWindowPoints(nullptr, picture1_, reinterpret_cast<POINT*>(&box), 2);
  GetClientRect(picture1_, &room);
  SIZE text{};
  {
    ScopedWindowDC dc(label1_, ScopedWindowDC::kClient);
    ScopedSelect font(dc.get(), formFont_.get());
    GetTextExtentPoint32W(dc.get(), kVersion, static_cast<int>(wcslen(kVersion)), &text);
  }
  // Where the picture's edge leaves too little room (a pixel short at 125 %), the box moves left.
  const LONG width = std::min<LONG>(std::max<LONG>(box.right - box.left, text.cx), room.right);
  const LONG left = std::min<LONG>(box.left, room.right - width);
  SetWindowPos(label1_, nullptr, left, box.top, width, box.bottom - box.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND AboutBox::AddLabel(int id, const wchar_t* text, DWORD style) {
  return CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX | style, 0, 0, 0, 0,
                         picture1_, ControlId(id), GetModuleHandleW(nullptr), nullptr);
}

void AboutBox::ShowModeless(HWND owner) {
  if (!Load(owner)) return;
  SetWindowTopmost(hwnd_, 1);  // shows it too
  ForceForeground(hwnd_);
}

void AboutBox::ShowModal(HWND owner) {
  if (hwnd_) {  // open already (from the tray): one at a time
    ForceForeground(hwnd_);
    return;
  }
  ShowModally(owner, hwnd_, [&] {
    if (!Load(owner)) return false;
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
    return true;
  });
}

void AboutBox::Unload() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void AboutBox::Image1_Click() { OpenLink(kProductPage); }

void AboutBox::text1_Click(int index) {
  if (index == 0) OpenLink(kOverviewPage);
  if (index == 1) OpenLink(kMailLink);
}

// Whether the shell could open the link or not, the box stays as it is.
void AboutBox::OpenLink(const char* link) const { shellExecute_(GetDesktopWindow(), "open", link, nullptr, "", 5); }

bool AboutBox::IsLink(HWND control) const {
  return control && (control == image1_ || control == text1_[0] || control == text1_[1]);
}

LRESULT CALLBACK AboutBox::PanelProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  auto box = reinterpret_cast<AboutBox*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return box ? box->HandlePanelMessage(window, message, wParam, lParam)
             : DefWindowProcW(window, message, wParam, lParam);
}

// The white panel hosts the picture and the labels, so their notices arrive here.
LRESULT AboutBox::HandlePanelMessage(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == STN_CLICKED) {
        const HWND control = reinterpret_cast<HWND>(lParam);
        if (control == image1_) Image1_Click();
        if (control == text1_[0]) text1_Click(0);
        if (control == text1_[1]) text1_Click(1);
        return 0;
      }
      break;
    case WM_CTLCOLORSTATIC: {
      const HWND control = reinterpret_cast<HWND>(lParam);
      HDC dc = reinterpret_cast<HDC>(wParam);
      COLORREF color = GetSysColor(COLOR_WINDOWTEXT);
      if (control == label1_) color = kVersionColor;
      if (control == text1_[0]) color = kNoticeColor;
      if (control == text1_[1]) color = kMailColor;
      SetTextColor(dc, color);
      SetBkColor(dc, RGB(255, 255, 255));
      return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
    }
    case WM_SETCURSOR:
      // Each link shows the hand while the pointer is over it; everything else keeps its arrow.
      if (IsLink(reinterpret_cast<HWND>(wParam)) && LOWORD(lParam) == HTCLIENT) {
        HCURSOR hand = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kHandCursor));
        SetCursor(hand ? hand : LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
        return TRUE;
      }
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrW(panel, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(panel, message, wParam, lParam);
}

LRESULT AboutBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = hwnd_;
  switch (message) {
    case kDpiChangedMessage:
      dpi_.OnDpiChanged(window, wParam, lParam);
      Layout();
      CreateFonts();
      return 0;
    case WM_COMMAND:
      // Escape (and Enter) close the box as its close box does.
      if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) PostMessageW(window, WM_CLOSE, 0, 0);
      return 0;
    case WM_NCDESTROY:
      // The controls went before the form; their fonts and picture go with it.
      hwnd_ = picture1_ = image1_ = label1_ = text1_[0] = text1_[1] = nullptr;
      formFont_.reset();
      tahoma_.reset();
      logo_.reset();
      return DefWindowProcW(window, message, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace lum
