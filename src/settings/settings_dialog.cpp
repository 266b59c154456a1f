#include "settings/settings_dialog.h"

#include <commctrl.h>
#include <shellapi.h>

#include <array>
#include <vector>

#include "about/about_box.h"
#include "config/settings_values.h"
#include "platform/form_window.h"
#include "platform/modal_loop.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "settings/settings_menu.h"

namespace lum {

namespace {

constexpr wchar_t kWindowClass[] = L"LumbrelSettingsDialog";
// No WS_CLIPCHILDREN: the frames do not paint their own inside, so the window paints under them.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// One control of the page, its place in twips from the window's client corner.
struct ControlPlace {
  int id;
  const wchar_t* windowClass;
  const wchar_t* text;
  DWORD style;
  int left, top, width, height;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kOption = kChild | WS_TABSTOP | BS_AUTORADIOBUTTON;
constexpr DWORD kCheck = kChild | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kFrame = kChild | WS_GROUP | BS_GROUPBOX;
constexpr DWORD kLabel = kChild | SS_LEFT | SS_NOPREFIX;

// The page in reading order, which is also the tab order: top to bottom, left to right, each
// frame followed by its contents. An option group starts with WS_GROUP and ends where the next
// control carries it. The channel list and the news button (no class) are the program's own.
constexpr ControlPlace kControls[] = {
    {SettingsDialog::kFramePicture, L"BUTTON", L"ﾀｲﾄﾙﾊﾞｰの背景画像変更", kFrame, 90, 60, 4905, 585},
    {SettingsDialog::kLblPic, L"STATIC", L"", kLabel | WS_BORDER | SS_PATHELLIPSIS, 240, 270, 4335, 255},
    {SettingsDialog::kCmdfix, L"BUTTON", L"...", kButton, 4650, 270, 285, 300},
    {SettingsDialog::kFrameColour, L"BUTTON", L"ﾀｲﾄﾙﾊﾞｰの文字色変更", kFrame, 90, 720, 4905, 585},
    {SettingsDialog::kLblColor, L"STATIC", L"ｱｸﾃｨﾌﾞ時のﾀｲﾄﾙﾊﾞｰ色", kLabel, 240, 990, 1755, 180},
    {SettingsDialog::kCmdColor, L"BUTTON", L"...", kButton, 2640, 930, 285, 300},
    {SettingsDialog::kLblShadow, L"STATIC", L"ﾀｲﾄﾙﾊﾞｰの影", kLabel, 3480, 990, 1050, 180},
    {SettingsDialog::kCmdShadow, L"BUTTON", L"...", kButton, 4650, 930, 285, 300},
    {SettingsDialog::kFramePosition, L"BUTTON", L"ﾀｲﾄﾙｷｬﾌﾟｼｮﾝの表示位置", kFrame, 90, 1380, 2385, 795},
    {SettingsDialog::kOptAligen0, L"BUTTON", L"左揃え", kOption | WS_GROUP, 270, 1590, 915, 255},
    {SettingsDialog::kOptAligen0 + 2, L"BUTTON", L"中央揃え", kOption, 1230, 1590, 1125, 255},
    {SettingsDialog::kOptAligen0 + 1, L"BUTTON", L"右揃え", kOption, 270, 1890, 975, 255},
    {SettingsDialog::kOptAligen0 + 3, L"BUTTON", L"なし", kOption, 1230, 1890, 1125, 255},
    {SettingsDialog::kFrameTypeface, L"BUTTON", L"ﾀｲﾄﾙｷｬﾌﾟｼｮﾝの字体", kFrame, 2610, 1380, 2385, 795},
    {SettingsDialog::kOptBold0, L"BUTTON", L"通常表示", kOption | WS_GROUP, 2790, 1590, 1125, 255},
    {SettingsDialog::kOptBold0 + 1, L"BUTTON", L"太字", kOption, 2790, 1890, 1125, 255},
    {SettingsDialog::kChkShadow, L"BUTTON", L"強調表示", kCheck | WS_GROUP, 3870, 1890, 1080, 225},
    {SettingsDialog::kFrmNews, L"BUTTON", L"ﾆｭｰｽ設定", kFrame, 90, 2220, 2385, 1005},
    {SettingsDialog::kChkNews, L"BUTTON", L"ﾆｭｰｽ表示", kCheck, 180, 2460, 1200, 225},
    {SettingsDialog::kOptVH0, L"BUTTON", L"縦ｽｸﾛｰﾙ", kOption | WS_GROUP, 480, 2700, 1155, 225},
    {SettingsDialog::kOptVH0 + 1, L"BUTTON", L"横ｽｸﾛｰﾙ", kOption, 480, 2940, 1155, 225},
    {SettingsDialog::kChkTime, L"BUTTON", L"時計描画", kCheck | WS_GROUP, 2670, 2280, 1080, 225},
    {SettingsDialog::kChkAni, L"BUTTON", L"ｱﾆﾒｰｼｮﾝ", kCheck, 3900, 2280, 1080, 225},
    {SettingsDialog::kSpeciaList1, nullptr, nullptr, 0, 2610, 2640, 2385, 1485},
    {SettingsDialog::kLabelInterval, L"STATIC", L"News更新時間", kLabel, 150, 3330, 1155, 195},
    {SettingsDialog::kCmbNews, L"COMBOBOX", L"", kChild | WS_TABSTOP | WS_GROUP | WS_VSCROLL | CBS_DROPDOWNLIST, 1470,
     3285, 705, 1800},
    {SettingsDialog::kLabelMinutes, L"STATIC", L"分", kLabel, 2280, 3330, 255, 195},
    {SettingsDialog::kCmdNewsText, nullptr, nullptr, 0, 90, 3630, 2415, 495},
};

}  // namespace

SettingsDialog::SettingsDialog(SettingsHost& tray, SettingsStore& store)
    : tray_(tray), store_(store) {}

SettingsDialog::~SettingsDialog() {
  if (hwnd_) DestroyWindow(hwnd_);
}

int SettingsDialog::OuterHeightPixels() const {
  return dpi_.Y(newsAvailable_ ? kHeightWithNewsTwips : kHeightWithoutNewsTwips);
}

bool SettingsDialog::Load() {
  if (tray_.quitting()) return false;
  if (hwnd_) return true;
  RegisterFormClass<SettingsDialog>(kWindowClass, LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1)));
  menu_ = BuildSettingsMenuBar();
  newsAvailable_ = tray_.channelTable().size() > 1;
  RECT frame{0, 0, dpi_.X(kClientWidthTwips), 0};
  AdjustWindowRectEx(&frame, kStyle, TRUE, kExStyle);
  CreateWindowExW(kExStyle, kWindowClass, L"Lumbrel ", kStyle, 0, 0, frame.right - frame.left, OuterHeightPixels(),
                  nullptr, menu_, GetModuleHandleW(nullptr), this);
  if (!hwnd_) {
    DestroyMenu(menu_);
    menu_ = nullptr;
    return false;
  }
  CreateControls();
  Form_Load();
  TakeDialogKeys(hwnd_);
  ShowWindow(hwnd_, SW_SHOWNORMAL);
  // Activated by showing it or not (another window may keep the front), the first control has the focus.
  if (!GetFocus() || !IsChild(hwnd_, GetFocus())) SetFocus(GetNextDlgTabItem(hwnd_, nullptr, FALSE));
  return true;
}

void SettingsDialog::CreateControls() {
  const ControlFont dialogFont;
  for (const ControlPlace& place : kControls) {
    const int x = dpi_.X(place.left), y = dpi_.Y(place.top), width = dpi_.X(place.width), height = dpi_.Y(place.height);
    if (place.id == kSpeciaList1) {
      channels_.Create(hwnd_, kSpeciaList1, x, y, width, height, &dialogFont);
      continue;
    }
    if (place.id == kCmdNewsText) {
      newsButton_.Create(hwnd_, kCmdNewsText, x, y, width, height, &dialogFont);
      continue;
    }
    CreateWindowExW(0, place.windowClass, place.text, place.style, x, y, width, height, hwnd_,
                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.id)), GetModuleHandleW(nullptr), nullptr);
  }
  CreateFonts();
  HWND picture = Control(kLblPic);
  SetWindowSubclass(picture, PictureFieldProc, 1, reinterpret_cast<DWORD_PTR>(this));
  DragAcceptFiles(picture, TRUE);
  newsButton_.SetCaption(u"News");
}

// The page's fonts at the window's DPI, handed to every control.
void SettingsDialog::CreateFonts() {
  ControlFont dialogFont;
  dialogFont.size = dpi_.Scale(dialogFont.size);
  ControlFont bold = dialogFont;
  bold.bold = true;
  ScopedFont normal(dialogFont.Create()), heavy(bold.Create());
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(normal.get()), FALSE);
  for (const ControlPlace& place : kControls)
    if (place.windowClass) SendMessageW(Control(place.id), WM_SETFONT, reinterpret_cast<WPARAM>(normal.get()), TRUE);
  channels_.SetFont(dialogFont);
  channels_.SetItemHeight(dpi_.Scale(static_cast<float>(SpeciaList::kDefaultItemHeight)));
  newsButton_.SetFont(dialogFont);
  // The old fonts go once no control holds them any more.
  font_ = std::move(normal);
  boldFont_ = std::move(heavy);
  UpdateLabelFonts();
}

// WM_DPICHANGED: the suggested rectangle, every control at its twips for the new DPI, fonts anew.
void SettingsDialog::OnDpiChanged(WPARAM wParam, LPARAM lParam) {
  dpi_.OnDpiChanged(hwnd_, wParam, lParam);
  for (const ControlPlace& place : kControls) {
    HWND control = place.id == kSpeciaList1 ? channels_.hwnd() : Control(place.id);
    MoveWindow(control, dpi_.X(place.left), dpi_.Y(place.top), dpi_.X(place.width), dpi_.Y(place.height), FALSE);
  }
  CreateFonts();
  // The fixed outer height follows the DPI.
  RECT window{};
  GetWindowRect(hwnd_, &window);
  SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left, OuterHeightPixels(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// --- load and unload ---------------------------------------------------------------------------

void SettingsDialog::Form_Load() {
  // The saved place, in twips; a place at or beyond the screen's edge opens at 0.
  const Settings& s = store_.values();
  const int screenHeight = TwipsOfY(GetSystemMetrics(SM_CYSCREEN));
  const int screenWidth = TwipsOfX(GetSystemMetrics(SM_CXSCREEN));
  const int top = s.top >= screenHeight ? 0 : s.top, left = s.left >= screenWidth ? 0 : s.left;
  SetWindowPos(hwnd_, nullptr, PixelsX(left), PixelsY(top), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  if (!newsAvailable_) {
    for (int id : {+kCmdNewsText, +kLabelInterval, +kLabelMinutes, +kCmbNews, +kFrmNews, +kChkNews, +kOptVH0,
                   kOptVH0 + 1, +kSpeciaList1})
      HideControl(id);
    for (UINT command : {static_cast<UINT>(kCmdNews), static_cast<UINT>(kMnuNewsFirst),
                         static_cast<UINT>(kSepChannels), static_cast<UINT>(kMnuNewsText)})
      DeleteMenu(menu_, command, MF_BYCOMMAND);
  } else {
    SetNews();
  }
  // What the tray menu does not show, the dialog's menu does not show either.
  for (UINT command : {static_cast<UINT>(kVscroll), static_cast<UINT>(kHscroll), static_cast<UINT>(kSepNewsItems)})
    if (!tray_.trayMenu() || GetMenuState(tray_.trayMenu(), command, MF_BYCOMMAND) == static_cast<UINT>(-1))
      DeleteMenu(menu_, command, MF_BYCOMMAND);
  ShowSettings();
  DrawMenuBar(hwnd_);
}

void SettingsDialog::SetNews() {
  channels_.SetStyle(1);
  channels_.SetBoxStyle(SpeciaList::kOptionMarks);
  HMENU popup = SettingsMenuPopup(menu_);
  const auto& table = tray_.channelTable();
  for (size_t i = 1; i < table.size(); ++i) {
    const std::u16string caption = table[i].Name + u"(&" + ToDecimal(static_cast<int64_t>(i)) + u")";
    InsertChannelItem(popup, static_cast<int>(i), Wide(caption));
    channels_.AddItem(table[i].Name);
  }
  channels_.Refresh();
  DeleteMenu(menu_, kMnuNewsFirst, MF_BYCOMMAND);  // the template "【News】"
  HWND intervals = Control(kCmbNews);
  for (const auto& minutes : kNewsIntervals)
    SendMessageW(intervals, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(std::u16string(minutes))));
}

void SettingsDialog::ShowSettings() {
  if (!hwnd_) return;
  showing_ = true;
  const Settings& s = store_.values();
  SelectOption(kOptAligen0, 4, s.alignmentOption());
  const UINT alignments[] = {kLeftAli, kRightAli, kCenterAli, kNoCaption};
  for (int i = 0; i < 4; ++i) SetMark(alignments[i], i == s.alignmentOption());
  SelectOption(kOptBold0, 2, s.fontOption());
  SetMark(kNormalFont, s.fontOption() == 0);
  SetMark(kBoldFont, s.fontOption() == 1);
  SetCheck(kChkTime, s.clock != 0);
  SetMark(kCmdTimer, s.clock != 0);
  SetCheck(kChkShadow, s.outline());
  SetMark(kMnuShadow, s.outline());
  SetCheck(kChkAni, s.animation != 0);
  SetMark(kCmdAnimation, s.animation != 0);
  SelectOption(kOptVH0, 2, s.scrollOption());
  SetMark(kVscroll, s.scrollOption() == 0);
  SetMark(kHscroll, s.scrollOption() == 1);
  if (newsAvailable_) {
    const auto& table = tray_.channelTable();
    SetCheck(kChkNews, s.news == 1);
    // The stored channel carries the mark.
    const int row = s.channel >= 1 && static_cast<size_t>(s.channel) < table.size() ? s.channel - 1 : -1;
    if (row >= 0 && row != channelRow_) {
      channels_.SetOptionValue(row);
      channels_.SetListIndex(row);
    }
    if (row >= 0) channelRow_ = row;
    for (size_t f = 1; f < table.size(); ++f)
      SetMark(kMnuNewsFirst + static_cast<UINT>(f), static_cast<int>(f) == s.channel && row >= 0);
    SendMessageW(Control(kCmbNews), CB_SETCURSEL, static_cast<WPARAM>(NewsIntervalIndex(s.newsInterval)), 0);
  }
  std::u16string shown;
  if (!s.picture.empty() && FileExists(s.picture)) shown = s.picture;
  wchar_t current[1024] = {};
  GetWindowTextW(Control(kLblPic), current, 1024);
  if (FromWide(current) != shown && !shown.empty()) SetWindowTextW(Control(kLblPic), Wide(shown));
  UpdateLabelFonts();
  showing_ = false;
}

void SettingsDialog::Form_Unload() {
  RECT window{};
  GetWindowRect(hwnd_, &window);
  // Measured in pixels, so that no twip rounded up takes a window at the screen's edge beyond it.
  const int top = window.bottom > GetSystemMetrics(SM_CYSCREEN) || window.top < 0 ? 0 : TwipsOfY(window.top);
  const int left = window.right > GetSystemMetrics(SM_CXSCREEN) || window.left < 0 ? 0 : TwipsOfX(window.left);
  store_.SetPosition(top, left);
}

// --- controls and marks ------------------------------------------------------------------------

void SettingsDialog::SetMark(UINT command, bool checked) { SetMenuCheck(menu_, command, checked); }

void SettingsDialog::SetCheck(int id, bool checked) {
  SendMessageW(Control(id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool SettingsDialog::Checked(int id) const { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void SettingsDialog::SelectOption(int first, int count, int index) {
  for (int i = 0; i < count; ++i) SetCheck(first + i, i == index);
}

void SettingsDialog::HideControl(int id) { ShowWindow(Control(id), SW_HIDE); }

void SettingsDialog::UpdateLabelFonts() {
  SendMessageW(Control(kLblColor), WM_SETFONT,
               reinterpret_cast<WPARAM>(store_.values().fontWeight == 1 ? boldFont_.get() : font_.get()), TRUE);
  InvalidateRect(Control(kLblColor), nullptr, TRUE);
  InvalidateRect(Control(kLblShadow), nullptr, TRUE);
}

// --- commands ----------------------------------------------------------------------------------

void SettingsDialog::Run(UINT id, std::optional<int> value) {
  const auto call = FindCommand(id);
  if (!call || !hwnd_) return;
  tray_.RunCommand(*call, CommandSource{hwnd_, true, value});
}

bool SettingsDialog::DropFiles(HDROP drop) {
  std::u16string path;
  if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) > 0) {
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    if (DragQueryFileW(drop, 0, buffer.data(), length + 1) > 0) path = FromWide(buffer.data());
  }
  DragFinish(drop);
  return !path.empty() && AcceptDroppedPicture(path);
}

bool SettingsDialog::AcceptDroppedPicture(const std::u16string& path) {
  if (path.size() < 3) return false;
  std::u16string ending = path.substr(path.size() - 3);
  for (char16_t& c : ending)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  if (ending != u"BMP" && ending != u"JPG" && ending != u"PEG" && ending != u"GIF" && ending != u"WMF") return false;
  if (!tray_.DropPicture(hwnd_, path)) return false;
  SetWindowTextW(Control(kLblPic), Wide(path));
  return true;
}

void SettingsDialog::ChooseChannel(int row) {
  const int channel = row + 1;
  if (row < 0 || static_cast<size_t>(channel) >= tray_.channelTable().size()) return;
  channelRow_ = row;
  // Stores the channel and starts its news afresh.
  Run(kMnuNewsFirst + static_cast<UINT>(channel));
}

void SettingsDialog::Click(CommandEx&) { Run(kCmdNewsText); }

void SettingsDialog::OptionChange(SpeciaList& list) {
  if (showing_) return;
  // Space moves the mark without a Click; the choice is stored whenever the mark moves.
  const int row = list.OptionValue();
  if (row != channelRow_) ChooseChannel(row);
}

void SettingsDialog::Click(SpeciaList& list) {
  if (showing_) return;
  // Only a moved mark is a choice: clicks on blank rows and arrow keys also raise Click.
  const int row = list.OptionValue();
  if (row != channelRow_ && list.ItemChecked(row)) ChooseChannel(row);
}

void SettingsDialog::OnCommand(UINT id, UINT code) {
  if (showing_) return;
  if (id > kMnuNewsFirst && id < kMnuNewsFirst + 100u) {
    const int row = static_cast<int>(id - kMnuNewsFirst) - 1;
    if (row != channelRow_) {
      channels_.SetOptionValue(row);
      ChooseChannel(row);
    }
    return;
  }
  switch (id) {
    case kChkShadow:
    case kChkTime:
    case kChkAni:
    case kChkNews:
      // The box has changed its state already: that is the new value.
      return Run(id, Checked(static_cast<int>(id)) ? 1 : 0);
    case kCmbNews:
      if (code == CBN_SELCHANGE) Run(id, static_cast<int>(SendMessageW(Control(kCmbNews), CB_GETCURSEL, 0, 0)));
      return;
    default:
      return Run(id);
  }
}

LRESULT CALLBACK SettingsDialog::PictureFieldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                  UINT_PTR, DWORD_PTR self) {
  if (message == WM_DROPFILES) {
    reinterpret_cast<SettingsDialog*>(self)->DropFiles(reinterpret_cast<HDROP>(wParam));
    return 0;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, PictureFieldProc, 1);
  return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT SettingsDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = hwnd_;
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_WINDOWPOSCHANGING: {
      // The height is the dialog's own: with or without the news page.
      auto* place = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!(place->flags & SWP_NOSIZE)) place->cy = OuterHeightPixels();
      return 0;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (id == kLblPic) {
        SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
      }
      if (id == kLblColor) SetTextColor(dc, static_cast<COLORREF>(store_.values().textColor));
      if (id == kLblShadow) SetTextColor(dc, static_cast<COLORREF>(store_.values().shadowColor));
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case kDpiChangedMessage:
      OnDpiChanged(wParam, lParam);
      return 0;
    case WM_ACTIVATE:
      return focus_.OnActivate(window, wParam) ? 0 : DefWindowProcW(window, message, wParam, lParam);
    case WM_MOUSEWHEEL:
      // A notch over the channel list scrolls it wherever the focus is.
      return ForwardWheelTo(channels_.hwnd(), wParam, lParam) ? 0 : DefWindowProcW(window, message, wParam, lParam);
    case WM_DESTROY:
      Form_Unload();
      return 0;
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      menu_ = nullptr;  // destroyed with the window
      tray_.SettingsClosed();
      return DefWindowProcW(window, message, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace lum
