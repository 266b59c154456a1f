#include "clock/clock_dialog.h"

#include "config/settings_values.h"
#include "platform/form_window.h"
#include "platform/modal_loop.h"
#include "platform/shell.h"
#include "render/clock_format.h"

namespace lum {

namespace {

constexpr wchar_t kWindowClass[] = L"LumbrelClockDialog";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;
// Clear of IDOK and IDCANCEL, which Enter and Escape send.
constexpr int kListId = 101, kLabelId = 102, kButtonId = 103;
// Every row shows what its pattern gives for this moment: 1 January 2000, 01:30:00.
constexpr ClockMoment kSampleMoment{2000, 1, 1, 1, 30, 0};

}  // namespace

ClockDialog::~ClockDialog() {
  if (hwnd_) DestroyWindow(hwnd_);
}

bool ClockDialog::Load(HWND owner) {
  if (hwnd_) return true;
  RegisterFormClass<ClockDialog>(kWindowClass, LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
  const RECT frame = CenteredFrame(kClientWidthTwips, kClientHeightTwips, kStyle, kExStyle);
  CreateWindowExW(kExStyle, kWindowClass, L"時計の設定", kStyle, frame.left, frame.top, frame.right - frame.left,
                  frame.bottom - frame.top, owner, nullptr, GetModuleHandleW(nullptr), this);
  if (!hwnd_) return false;
  Form_Load();
  TakeDialogKeys(hwnd_);
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  SetForegroundWindow(hwnd_);
  SetFocus(list_.hwnd());
  return true;
}

void ClockDialog::ShowModal(HWND owner) {
  if (hwnd_) {  // already open: one at a time
    SetForegroundWindow(hwnd_);
    return;
  }
  ShowModally(owner, hwnd_, [&] { return Load(owner); });
}

void ClockDialog::Form_Load() {
  const ControlFont dialogFont;  // ＭＳ Ｐゴシック, 9 points
  list_.Create(hwnd_, kListId, 0, 0, 0, 0, &dialogFont);
  label1_ =
      CreateWindowExW(0, L"STATIC", L"上記のサンプルから書式を選択してから\r\n[設定]を実行して下さい",
                      WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0, hwnd_,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLabelId)), GetModuleHandleW(nullptr), nullptr);
  button_.Create(hwnd_, kButtonId, 0, 0, 0, 0, &dialogFont);
  button_.SetCaption(u"設定");
  Layout();
  CreateFonts();
  FitHint();

  list_.SetStyle(1);
  list_.SetBoxStyle(SpeciaList::kOptionMarks);
  list_.SetMaskColor(16701355);
  for (int32_t i = 0; i < kClockFormatCount; ++i) list_.AddItem(ExpandClockPattern(kSampleMoment, FormatClock(i)));
  // An index outside the table marks nothing; a marked row is scrolled into view.
  list_.SetOptionValue(store_.values().clockFormatIndex);
  if (list_.ListIndex() >= 0) list_.SetListIndex(list_.ListIndex());
}

// The controls at their twips for the window's DPI.
void ClockDialog::Layout() {
  MoveWindow(list_.hwnd(), dpi_.X(0), dpi_.Y(0), dpi_.X(4335), dpi_.Y(3375), TRUE);
  MoveWindow(label1_, dpi_.X(60), dpi_.Y(3450), dpi_.X(3045), dpi_.Y(360), TRUE);
  // 30 twips left of and above the designed 3270, 3390, which let the button hang 2 pixels past
  // the window's edge and cut off its right and bottom border.
  MoveWindow(button_.hwnd(), dpi_.X(3240), dpi_.Y(3360), dpi_.X(1095), dpi_.Y(465), TRUE);
}

// The hint shows both its lines whole. Where the font sets its first line wider than the label
// (a font whose kana are full width), the label grows down by the lines it wraps into, and the
// window by as much as the label then reaches past its bottom.
void ClockDialog::FitHint() {
  RECT label{};
  GetWindowRect(label1_, &label);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&label), 2);
  wchar_t text[128] = {};
  GetWindowTextW(label1_, text, 128);
  RECT needed{0, 0, label.right - label.left, 0};
  {
    ScopedWindowDC dc(label1_, ScopedWindowDC::kClient);
    if (!dc) return;
    ScopedSelect font(dc.get(), font_.get());
    DrawTextW(dc.get(), text, -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  }
  if (needed.bottom <= label.bottom - label.top) return;
  MoveWindow(label1_, label.left, label.top, label.right - label.left, needed.bottom, TRUE);
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int bottom = label.top + needed.bottom + dpi_.Y(15);
  if (bottom <= client.bottom) return;
  // Grown by what the client area lacks: the frame stays as the window's DPI drew it.
  RECT frame{};
  GetWindowRect(hwnd_, &frame);
  SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + bottom - client.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The fonts, the rows and the text margin at the window's DPI (the list measures in the system's).
void ClockDialog::CreateFonts() {
  ControlFont dialogFont;
  dialogFont.size = dpi_.Scale(dialogFont.size);
  ScopedFont font(dialogFont.Create());
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  SendMessageW(label1_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  font_ = std::move(font);
  list_.SetFont(dialogFont);
  list_.SetMargin(static_cast<int32_t>(dpi_.Scale(50)));
  list_.SetItemHeight(dpi_.Scale(250));
  button_.SetFont(dialogFont);
}

void ClockDialog::Click(CommandEx&) {
  const int32_t index = list_.OptionValue();
  store_.SetClockFormat(index);
  // Closed once the button's handler has returned, so that nothing goes while it runs.
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
}

LRESULT ClockDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = hwnd_;
  switch (message) {
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_COMMAND:
      // Enter acts as "設定"; Escape closes the window as its close box does, storing nothing.
      if (LOWORD(wParam) == IDOK) Click(button_);
      if (LOWORD(wParam) == IDCANCEL) PostMessageW(window, WM_CLOSE, 0, 0);
      return 0;
    case kDpiChangedMessage:
      dpi_.OnDpiChanged(window, wParam, lParam);
      Layout();
      CreateFonts();
      FitHint();
      return 0;
    case WM_ACTIVATE:
      return focus_.OnActivate(window, wParam) ? 0 : DefWindowProcW(window, message, wParam, lParam);
    case WM_MOUSEWHEEL:
      // A notch over the list scrolls it also while the button has the focus.
      return ForwardWheelTo(list_.hwnd(), wParam, lParam) ? 0 : DefWindowProcW(window, message, wParam, lParam);
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      label1_ = nullptr;
      return DefWindowProcW(window, message, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace lum
