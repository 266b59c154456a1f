#include "clock/clock_dialog.h"

#include "clock/clock_format.h"
#include "core/settings_values.h"
#include "platform/form_window.h"
#include "platform/modal_loop.h"
#include "platform/shell.h"

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
  font_.reset(dialogFont.Create());
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

  list_.Create(hwnd_, kListId, PixelsX(0), PixelsY(0), PixelsX(4335), PixelsY(3375), &dialogFont);
  label1_ = CreateWindowExW(0, L"STATIC", L"上記のサンプルから書式を選択してから\r\n[設定]を実行して下さい",
                            WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, PixelsX(60), PixelsY(3450), PixelsX(3045),
                            PixelsY(360), hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLabelId)),
                            GetModuleHandleW(nullptr), nullptr);
  SendMessageW(label1_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  button_.Create(hwnd_, kButtonId, PixelsX(3270), PixelsY(3390), PixelsX(1095), PixelsY(465), &dialogFont);
  button_.SetCaption(u"設定");

  list_.SetStyle(1);
  list_.SetBoxStyle(SpeciaList::kOptionMarks);
  list_.SetMaskColor(16701355);
  list_.SetMargin(50);
  list_.SetItemHeight(250);
  for (int32_t i = 0; i < kClockFormatCount; ++i) list_.AddItem(ExpandClockPattern(kSampleMoment, FormatClock(i)));
  // An index outside the table marks nothing; a marked row is scrolled into view.
  list_.SetOptionValue(settings_.clockFormatIndex);
  if (list_.ListIndex() >= 0) list_.SetListIndex(list_.ListIndex());
}

void ClockDialog::Click(CommandEx&) {
  const int32_t index = list_.OptionValue();
  ini_.Write(u"CUSTOMIZE", u"CLOCK", ToDecimal(index));
  settings_.clockFormatIndex = index;
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
