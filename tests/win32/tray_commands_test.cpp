// The tray form's icon record, its popup menu read back from the real menu, what each
// settings command writes to LUM.ini, the colour command through Wine's own colour dialog,
// the background picture command with the frames it cuts, and the quit sequence.
// clang-format off
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <colordlg.h>
// clang-format on

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>
#include <memory>
#include <string>
#include <vector>

#include "app/tray_form.h"
#include "app/tray_icon.h"
#include "config/settings.h"
#include "settings/command_table.h"
#include "settings/settings_controls.h"
#include "settings/settings_dialog.h"
#include "settings/settings_menu.h"
#include "platform/text.h"
#include "test_support.h"

namespace {

using lum::TrayForm;
using lum::TrayFormOptions;
using lumtest::TempFolder;

// The record goes to the shell as raw bytes, so the bytes are what is checked.
TEST(TrayIconRecord, BytesAreTheEightyEightByteAnsiRecord) {
  const HWND window = reinterpret_cast<HWND>(0x00012345);
  const HICON icon = reinterpret_cast<HICON>(0x0BADF00D);
  const lum::TrayIconRecord record = lum::MakeTrayIconRecord(window, icon, "Lumbrel");
  // Offsets of size, window, id, flags, message, icon and tip: the 32-bit record, or the
  // 64-bit one with its 8-byte, aligned handles.
  const size_t at[] = {0, 4, 8, 12, 16, 20, 24, 88};
  const size_t at64[] = {0, 8, 16, 20, 24, 32, 40, 104};
  const size_t* offset = sizeof(void*) == 4 ? at : at64;
  unsigned char bytes[104] = {};
  ASSERT_EQ(sizeof record, offset[7]);
  std::memcpy(bytes, &record, sizeof record);
  auto dword = [&](size_t place) {
    uint32_t value;
    std::memcpy(&value, bytes + place, 4);
    return value;
  };
  EXPECT_EQ(dword(offset[0]), offset[7]);
  EXPECT_EQ(dword(offset[1]), 0x00012345u);
  EXPECT_EQ(dword(offset[2]), 1u);
  EXPECT_EQ(dword(offset[3]), 7u);
  EXPECT_EQ(dword(offset[4]), static_cast<uint32_t>(WM_APP + 1)) << "the program's own callback message";
  EXPECT_EQ(dword(offset[5]), 0x0BADF00Du);
  std::string tip(reinterpret_cast<const char*>(bytes + offset[6]), 64);
  EXPECT_EQ(tip, std::string("Lumbrel") + '\0' + std::string(56, ' '));

  // A caption longer than the field keeps its zero byte at the end.
  const std::string longCaption(70, 'x');
  const lum::TrayIconRecord cut = lum::MakeTrayIconRecord(window, icon, longCaption.c_str());
  EXPECT_EQ(std::string(cut.szTip, 64), std::string(63, 'x') + '\0');
}

// The shell as the icon meets it: while `refused` is above 0 it refuses to add (or modify) the
// icon, as it does before the taskbar is there; every call is counted.
struct FakeShell {
  static inline int refused = 0;
  static inline int adds = 0;
  static inline std::vector<std::pair<DWORD, DWORD>> versions;  // size and version asked for
  static BOOL WINAPI Notify(DWORD message, PNOTIFYICONDATAA data) {
    if (message == NIM_ADD) ++adds;
    if (message == NIM_SETVERSION) versions.emplace_back(data->cbSize, data->uVersion);
    if (message != NIM_ADD && message != NIM_MODIFY) return TRUE;
    if (refused <= 0) return TRUE;
    if (message == NIM_MODIFY) --refused;  // the end of one attempt
    return FALSE;
  }
};

TEST(TrayIconLife, ARefusedAddIsTriedAgainForAMinuteAndTaskbarCreatedAddsItAfresh) {
  lumtest::TestWindow owner(WS_OVERLAPPEDWINDOW, 0, L"tray owner");
  lum::TrayIcon icon;
  icon.Create(owner.get(), LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION)), FakeShell::Notify);
  EXPECT_NE(icon.taskbarCreatedMessage(), 0u);
  FakeShell::refused = 2;
  EXPECT_FALSE(icon.Add());
  icon.OnRetryTimer();
  EXPECT_FALSE(icon.added());
  icon.OnRetryTimer();
  EXPECT_TRUE(icon.added());
  EXPECT_EQ(FakeShell::adds, 3);
  ASSERT_EQ(FakeShell::versions.size(), 1u) << "the version is asked once the icon is there";
  EXPECT_EQ(FakeShell::versions[0], std::make_pair(DWORD{NOTIFYICONDATAA_V2_SIZE}, DWORD{NOTIFYICON_VERSION}));
  icon.OnRetryTimer();
  EXPECT_EQ(FakeShell::adds, 3) << "tried again once it was there";

  // A taskbar that stays away: one try on "TaskbarCreated" and 30 more, then no more.
  FakeShell::adds = 0;
  FakeShell::refused = 1000;
  icon.OnTaskbarCreated();
  for (int tick = 0; tick < 40; ++tick) icon.OnRetryTimer();
  EXPECT_EQ(FakeShell::adds, 1 + lum::TrayIcon::kRetries);
  EXPECT_FALSE(icon.added());
  FakeShell::refused = 0;
  icon.OnTaskbarCreated();
  EXPECT_TRUE(icon.added());
}

// The mouse asks on a button's release, the keyboard by the shell's notifications; the shell's
// notification after a release is the same click and asks nothing more.
TEST(TrayIconLife, ReleasesAndKeysEachAskOnce) {
  using Request = lum::TrayIcon::Request;
  lum::TrayIcon icon;
  const std::pair<UINT, Request> events[] = {
      {WM_MOUSEMOVE, Request::kNothing},       {WM_LBUTTONDOWN, Request::kNothing},
      {WM_LBUTTONUP, Request::kSettingsWindow}, {NIN_SELECT, Request::kNothing},
      {NIN_SELECT, Request::kSettingsWindow},   {NIN_KEYSELECT, Request::kSettingsWindow},
      {WM_RBUTTONDOWN, Request::kNothing},      {WM_RBUTTONUP, Request::kMenu},
      {WM_CONTEXTMENU, Request::kNothing},      {WM_CONTEXTMENU, Request::kMenu},
  };
  int step = 0;
  for (auto [event, request] : events) EXPECT_EQ(icon.RequestOf(event), request) << "step " << step++;
}

struct MenuEntry {
  std::wstring caption;  // "-" for a separator
  UINT id = 0;
  UINT type = 0;
  UINT state = 0;
  HMENU submenu = nullptr;
};

std::vector<MenuEntry> ReadMenu(HMENU menu) {
  std::vector<MenuEntry> entries;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 127;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info)) {
      ADD_FAILURE() << "item " << i << " unreadable";
      continue;
    }
    MenuEntry entry{text, info.wID, info.fType, info.fState, info.hSubMenu};
    if (info.fType & MFT_SEPARATOR) entry.caption = L"-";
    entries.push_back(entry);
  }
  return entries;
}

std::vector<std::wstring> Captions(const std::vector<MenuEntry>& entries) {
  std::vector<std::wstring> captions;
  for (const auto& e : entries) captions.push_back(e.caption);
  return captions;
}

std::vector<std::wstring> CheckedCaptions(HMENU menu) {
  std::vector<std::wstring> checked;
  for (const auto& e : ReadMenu(menu))
    if (e.state & MFS_CHECKED) checked.push_back(e.caption);
  return checked;
}

HMENU SettingsSubmenu(const TrayForm& form) {
  auto top = ReadMenu(form.trayMenu());
  return top.empty() ? nullptr : top[0].submenu;
}

// Chooses a menu item as the user does: its command reaches the form as WM_COMMAND.
void Choose(TrayForm& form, const std::wstring& caption) {
  for (const auto& e : ReadMenu(SettingsSubmenu(form))) {
    if (e.caption != caption) continue;
    SendMessageW(form.hwnd(), WM_COMMAND, MAKEWPARAM(e.id, 0), 0);
    return;
  }
  ADD_FAILURE() << "a menu item is missing";
}

class LoadedTrayForm : public testing::Test {
 protected:
  std::u16string IniPath() const { return folder_.File(lum::kIniName); }

  // A prepared LUM.ini (FIRST=1 keeps the first-run guide shut), then a loaded form.
  TrayForm& Load(const std::string& defaultLines) {
    EXPECT_TRUE(lumtest::WriteFileBytes(IniPath(), "[DEFAULT]\r\nFIRST=1\r\n" + defaultLines + "[CUSTOMIZE]\r\n"));
    form_ = std::make_unique<TrayForm>(store_, TrayFormOptions{folder_.path(), lumtest::UniqueInstanceName(), false});
    EXPECT_TRUE(form_->Form_Load());
    return *form_;
  }

  // [DEFAULT] key as the system's own profile reader sees it; "<absent>" when missing.
  std::wstring Key(const wchar_t* key) const {
    wchar_t value[300] = {};
    GetPrivateProfileStringW(L"DEFAULT", key, L"<absent>", value, 300, lum::Wide(IniPath()));
    return value;
  }
  void DeleteKey(const wchar_t* key) const {
    WritePrivateProfileStringW(L"DEFAULT", key, nullptr, lum::Wide(IniPath()));
    ASSERT_EQ(Key(key), L"<absent>");
  }

  TempFolder folder_;
  lum::SettingsStore store_;
  const lum::Settings& settings_ = store_.values();
  std::unique_ptr<TrayForm> form_;
};

// One row a command: a menu item and its settings-window twin find the same row at the same
// index, and what only labels or separates finds none.
TEST(CommandTable, EachCommandIdFindsItsOneRow) {
  using namespace lum;
  const std::pair<UINT, int> twins[] = {
      {kCmdBar, kCmdfix},        {kCmdC, kCmdColor},           {kCmdS, kCmdShadow},    {kNormalFont, kOptBold0},
      {kBoldFont, kOptBold0 + 1}, {kMnuShadow, kChkShadow},     {kLeftAli, kOptAligen0}, {kNoCaption, kOptAligen0 + 3},
      {kCmdTimer, kChkTime},     {kCmdAnimation, kChkAni},      {kHscroll, kOptVH0 + 1}, {kMnuNewsText, kCmdNewsText}};
  for (auto [menu, control] : twins) {
    SCOPED_TRACE(menu);
    const auto a = FindCommand(menu), b = FindCommand(static_cast<UINT>(control));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->row, b->row);
    EXPECT_EQ(a->index, b->index);
  }
  for (UINT only : {+kMnuClock, +kMnuCsetup, +kMnuHelp, +kCmdAbout, +kCmdQuit, UINT{kChkNews}, UINT{kCmbNews}})
    EXPECT_TRUE(FindCommand(only)) << only;
  EXPECT_EQ(FindCommand(kMnuNewsFirst + 3)->index, 3) << "channel entries count from 1";
  for (UINT none : {+kSepNewsItems, +kSepChannels, +kCmdNews, +kSepDialogTop, +kMnuNewsFirst, UINT{kLblPic},
                    UINT{kLblColor}, UINT{kFrmNews}, UINT{kLabelInterval}, UINT{kFramePicture}, 0u})
    EXPECT_FALSE(FindCommand(none)) << none;
  // No id is claimed by two rows.
  size_t count = 0;
  const CommandRow* rows = CommandRows(&count);
  for (size_t i = 0; i < count; ++i)
    for (size_t j = i + 1; j < count; ++j) {
      auto overlap = [](UINT a, UINT b, int n, int m) { return a && b && a < b + m && b < a + n; };
      EXPECT_FALSE(overlap(rows[i].menuId, rows[j].menuId, rows[i].count, rows[j].count)) << i << " " << j;
      EXPECT_FALSE(overlap(rows[i].controlId, rows[j].controlId, rows[i].count, rows[j].count)) << i << " " << j;
    }
}

using TrayMenu = LoadedTrayForm;

const std::string kMarkedIni = "ALIGENMENT=1\r\nFONT=1\r\nCLOCK=1\r\nANIMATION=1\r\n";

TEST_F(TrayMenu, TreeCaptionsAndMarksFollowTheFile) {
  TrayForm& form = Load(kMarkedIni);
  ASSERT_NE(form.trayMenu(), nullptr);
  auto top = ReadMenu(form.trayMenu());
  // No channels: the news items and the separators around the channel list are absent.
  EXPECT_EQ(Captions(top), (std::vector<std::wstring>{L"設定(&S)", L"-", L"ﾁｬﾝﾈﾙｾｯﾄｱｯﾌﾟ(&C)", L"ﾍﾙﾌﾟ(&H)",
                                                      L"ﾊﾞｰｼﾞｮﾝ情報(&V)", L"-", L"終了(&Q)"}));
  ASSERT_FALSE(top.empty());
  HMENU settings = top[0].submenu;
  ASSERT_NE(settings, nullptr);

  auto items = ReadMenu(settings);
  EXPECT_EQ(Captions(items),
            (std::vector<std::wstring>{L"ﾀｲﾄﾙﾊﾞｰ背景画像変更(&P)", L"ﾀｲﾄﾙﾊﾞｰ文字色変更(&F)",
                                       L"ﾀｲﾄﾙｷｬﾌﾟｼｮﾝの影色変更(&S)", L"-", L"通常ﾌｫﾝﾄ(&E)", L"太字ﾌｫﾝﾄ(&B)",
                                       L"強調表示(&K)", L"-", L"左揃え(&L)", L"右揃え(&R)", L"中央揃え(&C)",
                                       L"なし(&N)", L"-", L"時計描画(&T)", L"時計ｶｽﾀﾏｲｽﾞ(&D)", L"ｱﾆﾒｰｼｮﾝ(&A)"}));
  // The two groups draw a dot; the toggles a tick.
  const std::vector<std::wstring> radio = {L"通常ﾌｫﾝﾄ(&E)", L"太字ﾌｫﾝﾄ(&B)", L"左揃え(&L)",
                                           L"右揃え(&R)",   L"中央揃え(&C)", L"なし(&N)"};
  for (const auto& e : items) {
    if (e.caption == L"-") continue;
    const bool isRadio = std::find(radio.begin(), radio.end(), e.caption) != radio.end();
    EXPECT_EQ((e.type & MFT_RADIOCHECK) != 0, isRadio) << e.id;
    EXPECT_FALSE(e.state & MFS_DISABLED) << e.id;
  }
  // SHADOW is absent: 強調表示 stays unmarked.
  EXPECT_EQ(CheckedCaptions(settings),
            (std::vector<std::wstring>{L"太字ﾌｫﾝﾄ(&B)", L"右揃え(&R)", L"時計描画(&T)", L"ｱﾆﾒｰｼｮﾝ(&A)"}));

  // Exactly one mark per group moves.
  form.RunMenuCommand(lum::kNoCaption);
  EXPECT_EQ(CheckedCaptions(settings),
            (std::vector<std::wstring>{L"太字ﾌｫﾝﾄ(&B)", L"なし(&N)", L"時計描画(&T)", L"ｱﾆﾒｰｼｮﾝ(&A)"}));
  form.RunMenuCommand(lum::kLeftAli + 0);
  form.RunMenuCommand(lum::kNormalFont + 0);
  EXPECT_EQ(CheckedCaptions(settings),
            (std::vector<std::wstring>{L"通常ﾌｫﾝﾄ(&E)", L"左揃え(&L)", L"時計描画(&T)", L"ｱﾆﾒｰｼｮﾝ(&A)"}));
}

using CommandWrites = LoadedTrayForm;

TEST_F(CommandWrites, NoCaptionWritesTheLastOtherAlignmentEveryTime) {
  TrayForm& form = Load(kMarkedIni);
  form.RunMenuCommand(lum::kLeftAli + 2);
  form.RunMenuCommand(lum::kLeftAli + 1);
  EXPECT_EQ(Key(L"ALIGENMENT"), L"1");
  EXPECT_EQ(Key(L"CLOCKALIGENMENT"), L"<absent>") << "only なし writes the clock placement";
  form.RunMenuCommand(lum::kLeftAli + 3);
  EXPECT_EQ(Key(L"ALIGENMENT"), L"3");
  EXPECT_EQ(Key(L"CLOCKALIGENMENT"), L"1");
  EXPECT_EQ(settings_.alignment, 3);

  // なし again: the same placement is written a second time.
  DeleteKey(L"CLOCKALIGENMENT");
  Choose(form, L"なし(&N)");
  EXPECT_EQ(Key(L"CLOCKALIGENMENT"), L"1");
  EXPECT_TRUE(form.caption().timer1Enabled());
}

// The chosen alignment or weight is written even when it is already the current one, and
// the caption timer runs again afterwards; each menu item reaches its own index.
TEST_F(CommandWrites, AlignmentAndWeightAreWrittenEvenWhenUnchanged) {
  TrayForm& form = Load(kMarkedIni);
  DeleteKey(L"ALIGENMENT");
  form.RunMenuCommand(lum::kLeftAli + 1);
  EXPECT_EQ(Key(L"ALIGENMENT"), L"1");
  EXPECT_TRUE(form.caption().timer1Enabled());
  DeleteKey(L"FONT");
  form.RunMenuCommand(lum::kNormalFont + 1);
  EXPECT_EQ(Key(L"FONT"), L"1");
  EXPECT_TRUE(form.caption().timer1Enabled());

  const wchar_t* alignments[] = {L"左揃え(&L)", L"右揃え(&R)", L"中央揃え(&C)", L"なし(&N)"};
  for (int i : {2, 0, 3, 1}) {
    Choose(form, alignments[i]);
    EXPECT_EQ(Key(L"ALIGENMENT"), std::to_wstring(i));
    EXPECT_EQ(settings_.alignment, i);
    EXPECT_TRUE(form.caption().timer1Enabled());
  }
  Choose(form, L"通常ﾌｫﾝﾄ(&E)");
  EXPECT_EQ(Key(L"FONT"), L"0");
  EXPECT_EQ(settings_.fontWeight, 0);
  Choose(form, L"太字ﾌｫﾝﾄ(&B)");
  EXPECT_EQ(Key(L"FONT"), L"1");
  EXPECT_EQ(settings_.fontWeight, 1);
  EXPECT_TRUE(form.caption().timer1Enabled());
}

bool Marked(const TrayForm& form, const std::wstring& caption) {
  auto checked = CheckedCaptions(SettingsSubmenu(form));
  return std::find(checked.begin(), checked.end(), caption) != checked.end();
}

// Clock, emphasis and animation: each choice flips the key, the in-memory state and the mark.
TEST_F(CommandWrites, TogglesFlipKeyStateAndMark) {
  TrayForm& form = Load(kMarkedIni);
  ASSERT_FALSE(form_->startingUp());
  for (int round = 0; round < 2; ++round) {
    const bool on = round == 1;
    SCOPED_TRACE(on ? "switched back on" : "switched off");
    form.RunMenuCommand(lum::kCmdTimer);
    EXPECT_EQ(Key(L"CLOCK"), on ? L"1" : L"0");
    EXPECT_EQ(settings_.clockFlag, on ? -1 : 0);
    EXPECT_EQ(Marked(form, L"時計描画(&T)"), on);

    form.RunMenuCommand(lum::kCmdAnimation);
    EXPECT_EQ(Key(L"ANIMATION"), on ? L"1" : L"0");
    EXPECT_EQ(form.caption().frameCounter() != 0, on);
    EXPECT_EQ(Marked(form, L"ｱﾆﾒｰｼｮﾝ(&A)"), on);
  }
  for (int round = 0; round < 2; ++round) {
    const bool on = round == 0;  // SHADOW was absent, so the first choice switches it on
    form.RunMenuCommand(lum::kMnuShadow);
    EXPECT_EQ(Key(L"SHADOW"), on ? L"1" : L"0");
    EXPECT_EQ(settings_.outline(), on);
    EXPECT_EQ(Marked(form, L"強調表示(&K)"), on);
  }
  // The menu items reach the same commands.
  Choose(form, L"時計描画(&T)");
  EXPECT_EQ(Key(L"CLOCK"), L"0");
  Choose(form, L"ｱﾆﾒｰｼｮﾝ(&A)");
  EXPECT_EQ(Key(L"ANIMATION"), L"0");
  Choose(form, L"強調表示(&K)");
  EXPECT_EQ(Key(L"SHADOW"), L"1");
}

// Drives Wine's colour dialog from a thread timer in the test thread: the dialog's modal
// loop dispatches the ticks. The script runs once the dialog shows; a dialog still open
// after 5 s is cancelled so that a failing test cannot hang.
struct ColorDialogDriver {
  std::function<void(HWND)> script;
  DWORD started = 0;
  bool ran = false;
  bool timedOut = false;
};
ColorDialogDriver* activeDriver = nullptr;

BOOL CALLBACK FindColorDialog(HWND window, LPARAM result) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (std::wcscmp(name, L"#32770") != 0 || !GetDlgItem(window, COLOR_RED)) return TRUE;
  *reinterpret_cast<HWND*>(result) = window;
  return FALSE;
}

void CALLBACK DriveColorDialog(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindColorDialog, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog || !activeDriver) return;
  if (GetTickCount() - activeDriver->started > 5000) {
    activeDriver->timedOut = true;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return;
  }
  if (activeDriver->ran || !IsWindowVisible(dialog)) return;
  activeDriver->ran = true;
  activeDriver->script(dialog);
}

// Runs the text-colour command; false when the script never ran or the dialog had to be
// cancelled by the deadline.
bool RunColorCommand(TrayForm& form, std::function<void(HWND)> script) {
  ColorDialogDriver driver{std::move(script), GetTickCount()};
  activeDriver = &driver;
  UINT_PTR timer = SetTimer(nullptr, 0, 30, DriveColorDialog);
  form.RunMenuCommand(lum::kCmdC);
  KillTimer(nullptr, timer);
  activeDriver = nullptr;
  return driver.ran && !driver.timedOut;
}

void Press(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Types the three components; each edit tells the dialog through EN_UPDATE.
void TypeColor(HWND dialog, int red, int green, int blue) {
  SetDlgItemTextA(dialog, COLOR_RED, std::to_string(red).c_str());
  SetDlgItemTextA(dialog, COLOR_GREEN, std::to_string(green).c_str());
  SetDlgItemTextA(dialog, COLOR_BLUE, std::to_string(blue).c_str());
}

void Finish(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// Clicks custom-colour cell `slot` (2 rows of 8) of the dialog.
void ClickCustomCell(HWND dialog, size_t slot) {
  RECT box{};
  GetWindowRect(GetDlgItem(dialog, COLOR_CUSTOM1), &box);
  const int dx = (box.right - box.left) / 8, dy = (box.bottom - box.top) / 2;
  POINT at{box.left + static_cast<int>(slot % 8) * dx + dx / 3, box.top + static_cast<int>(slot / 8) * dy + dy / 3};
  SetCursorPos(at.x, at.y);
  ScreenToClient(dialog, &at);
  SendMessageW(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
  SendMessageW(dialog, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

using ColorCommand = LoadedTrayForm;

TEST_F(ColorCommand, ConfirmedColourIsWrittenCancelKeepsAllCustomColoursCarryOver) {
  TrayForm& form = Load("COLOR=16777215\r\n");
  const COLORREF custom = RGB(10, 20, 30), chosen = RGB(40, 50, 60);

  // 1. Adds one custom colour, then confirms another.
  ASSERT_TRUE(RunColorCommand(form, [&](HWND dialog) {
    TypeColor(dialog, 10, 20, 30);
    Press(dialog, COLOR_ADD);
    TypeColor(dialog, 40, 50, 60);
    Finish(dialog, IDOK);
  }));
  EXPECT_EQ(Key(L"COLOR"), std::to_wstring(chosen));
  EXPECT_EQ(settings_.textColor, static_cast<int32_t>(chosen));
  auto slot = std::find(form.customColors().begin(), form.customColors().end(), custom);
  ASSERT_NE(slot, form.customColors().end()) << "the added colour is kept for the run";
  EXPECT_EQ(std::count(form.customColors().begin(), form.customColors().end(), 0u), 15);
  const auto customAfterFirst = form.customColors();

  // 2. A cancelled dialog changes nothing, not even the custom colour it added.
  ASSERT_TRUE(RunColorCommand(form, [&](HWND dialog) {
    TypeColor(dialog, 1, 2, 3);
    Press(dialog, COLOR_ADD);
    Finish(dialog, IDCANCEL);
  }));
  EXPECT_EQ(Key(L"COLOR"), std::to_wstring(chosen));
  EXPECT_EQ(settings_.textColor, static_cast<int32_t>(chosen));
  EXPECT_EQ(form.customColors(), customAfterFirst);

  // 3. The next dialog offers the kept custom colour: picking its cell and confirming
  //    writes it.
  const size_t index = static_cast<size_t>(slot - form.customColors().begin());
  ASSERT_TRUE(RunColorCommand(form, [&](HWND dialog) {
    ClickCustomCell(dialog, index);
    Finish(dialog, IDOK);
  }));
  EXPECT_EQ(Key(L"COLOR"), std::to_wstring(custom));
  EXPECT_EQ(settings_.textColor, static_cast<int32_t>(custom));
  EXPECT_EQ(form.customColors(), customAfterFirst);
}

// Picture rows with colours of their own: row r is 0x00RRGGBB with R the low byte of r and
// G counting its high byte, so a frame cut from the wrong rows shows.
uint32_t RowColour(int row) {
  return static_cast<uint32_t>(row & 0xFF) << 16 | (0x20u + (row >> 8) * 0x10u) << 8 | 0x5Au;
}

// A 24-bit bottom-up BMP file whose rows have RowColour.
std::string RowBmp(int width, int height) {
  const int stride = (width * 3 + 3) & ~3;
  const uint32_t imageSize = static_cast<uint32_t>(stride * height);
  std::string bytes(54 + imageSize, '\0');
  auto put = [&](size_t offset, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i));
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put(2, 54 + imageSize, 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<uint32_t>(width), 4);
  put(22, static_cast<uint32_t>(height), 4);
  put(26, 1, 2);
  put(28, 24, 2);
  put(34, imageSize, 4);
  for (int row = 0; row < height; ++row) {
    const size_t line = 54 + static_cast<size_t>(height - 1 - row) * stride;
    for (int x = 0; x < width; ++x) put(line + x * 3, RowColour(row), 3);  // B, G, R
  }
  return bytes;
}

struct Pixels {
  int width = 0, height = 0;
  std::vector<uint32_t> data;  // 0x00RRGGBB, top row first
};

Pixels ReadBitmap(HBITMAP bitmap) {
  Pixels p;
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return p;
  BITMAPINFO header{};
  header.bmiHeader.biSize = sizeof header.bmiHeader;
  header.bmiHeader.biWidth = info.bmWidth;
  header.bmiHeader.biHeight = -info.bmHeight;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  header.bmiHeader.biCompression = BI_RGB;
  p.data.resize(static_cast<size_t>(info.bmWidth) * info.bmHeight);
  HDC screen = GetDC(nullptr);
  if (GetDIBits(screen, bitmap, 0, info.bmHeight, p.data.data(), &header, DIB_RGB_COLORS) == info.bmHeight) {
    p.width = info.bmWidth;
    p.height = info.bmHeight;
    for (uint32_t& v : p.data) v &= 0x00FFFFFF;
  }
  ReleaseDC(nullptr, screen);
  return p;
}

using PictureCommand = LoadedTrayForm;

TEST_F(PictureCommand, UnreadableFileChangesNothingAPictureIsStoredAsChosen) {
  TrayForm& form = Load(kMarkedIni);
  const int frameHeight = GetSystemMetrics(SM_CYSIZE);
  ASSERT_GT(frameHeight, 0);
  // A Japanese name with a blank: the path is stored in the ANSI code page, exactly.
  const std::u16string picture = folder_.File(u"背景 画像.bmp");
  ASSERT_TRUE(lumtest::WriteFileBytes(picture, RowBmp(40, 90)));
  ASSERT_TRUE(form.ChangePicture(picture));
  EXPECT_EQ(Key(L"PICTURE"), std::wstring(lum::Wide(picture)));
  EXPECT_EQ(form.caption().frameCount(), 90 / frameHeight);
  const HBITMAP firstFrame = form.caption().picActive(1);
  ASSERT_NE(firstFrame, nullptr);

  const std::u16string text = folder_.File(u"x.bmp");
  ASSERT_TRUE(lumtest::WriteFileBytes(text, "not a picture at all\r\n"));
  for (const std::u16string& bad : {text, folder_.File(u"missing.bmp")}) {
    EXPECT_FALSE(form.ChangePicture(bad));
    EXPECT_EQ(Key(L"PICTURE"), std::wstring(lum::Wide(picture)));
    EXPECT_EQ(form.caption().picActive(1), firstFrame);
    EXPECT_EQ(form.caption().frameCount(), 90 / frameHeight);
  }
}

using AnimationFrames = LoadedTrayForm;

// Each frame is one button-high band of the picture, in order; 1 to 100 of them.
TEST_F(AnimationFrames, PictureIsCutIntoButtonHighBands) {
  TrayForm& form = Load(kMarkedIni);
  const int h = GetSystemMetrics(SM_CYSIZE);
  ASSERT_GT(h, 1);
  EXPECT_EQ(h, 18) << "Wine's default; the heights below are 90, 95, 17 and 2000 then";
  struct Case {
    int height, frames;
  };
  const Case cases[] = {{5 * h, 5}, {5 * h + 5, 5}, {h - 1, 1}, {2000, std::min(2000 / h, 100)}};
  for (const Case& c : cases) {
    SCOPED_TRACE("picture height " + std::to_string(c.height));
    const std::u16string path = folder_.File(lumtest::Utf16("p" + std::to_string(c.height) + ".bmp"));
    ASSERT_TRUE(lumtest::WriteFileBytes(path, RowBmp(40, c.height)));
    ASSERT_TRUE(form.ChangePicture(path));
    ASSERT_EQ(form.caption().frameCount(), c.frames);
    int firstWrong = 0;  // the first frame that is not its band, 0 when all are
    for (int k = 1; k <= c.frames && !firstWrong; ++k) {
      Pixels frame = ReadBitmap(form.caption().picActive(k));
      ASSERT_EQ(frame.width, 40) << "frame " << k;
      ASSERT_EQ(frame.height, h) << "frame " << k;
      for (int y = 0; y < h && !firstWrong; ++y) {
        const int row = (k - 1) * h + y;
        if (row >= c.height) break;  // below a picture lower than a band: left open
        for (int x = 0; x < 40; ++x)
          if (frame.data[static_cast<size_t>(y) * 40 + x] != RowColour(row)) firstWrong = k;
      }
    }
    EXPECT_EQ(firstWrong, 0);
  }
}

using TrayQuit = LoadedTrayForm;

bool IconPresent(HWND window) {
  // Modifying an icon succeeds only while the shell holds it.
  lum::TrayIconRecord record = lum::MakeTrayIconRecord(window, nullptr, "Lumbrel");
  record.uFlags = NIF_TIP;
  return Shell_NotifyIconA(NIM_MODIFY, reinterpret_cast<PNOTIFYICONDATAA>(&record)) != FALSE;
}

TEST_F(TrayQuit, QuitStopsTheTimerAndDestroysTheWindow) {
  TrayForm& form = Load(kMarkedIni);
  const HWND window = form.hwnd();
  ASSERT_TRUE(IsWindow(window));
  ASSERT_TRUE(form.caption().timer1Enabled());
  EXPECT_TRUE(IconPresent(window)) << "start-up adds the icon";

  form.subQuit();
  EXPECT_TRUE(form.quitting());
  EXPECT_FALSE(form.caption().timer1Enabled());
  EXPECT_EQ(form.hwnd(), nullptr);
  EXPECT_FALSE(IsWindow(window));
  MSG quit;
  EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "tests keep their message loop";
}

// The icon lost as a restarting taskbar loses it comes back on "TaskbarCreated"; the keyboard's
// notification opens the settings window, and a mouse move over the form is no tray event.
TEST_F(TrayQuit, TaskbarCreatedBringsTheIconBackAndTheKeyboardReachesIt) {
  TrayForm& form = Load(kMarkedIni);
  ASSERT_TRUE(IconPresent(form.hwnd()));
  lum::TrayIconRecord record = lum::MakeTrayIconRecord(form.hwnd(), nullptr, "Lumbrel");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, reinterpret_cast<PNOTIFYICONDATAA>(&record)));
  ASSERT_FALSE(IconPresent(form.hwnd()));
  SendMessageW(form.hwnd(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(IconPresent(form.hwnd()));

  SendMessageW(form.hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(WM_LBUTTONUP, 0));
  EXPECT_EQ(form.settingsDialog(), nullptr) << "a mouse move counted as a click on the icon";
  SendMessageW(form.hwnd(), lum::kTrayCallbackMessage, 1, NIN_KEYSELECT);
  ASSERT_NE(form.settingsDialog(), nullptr) << "Enter on the icon opened no settings window";
  EXPECT_NE(form.settingsDialog()->hwnd(), nullptr);
}

// The shell forgets the icon of a destroyed window by itself, so the removal is seen on
// the unload step alone, while the window still exists.
TEST_F(TrayQuit, UnloadRemovesTheIcon) {
  TrayForm& form = Load(kMarkedIni);
  ASSERT_TRUE(IconPresent(form.hwnd()));
  form.Form_Unload();
  EXPECT_TRUE(form.quitting());
  EXPECT_FALSE(form.caption().timer1Enabled());
  ASSERT_TRUE(IsWindow(form.hwnd()));
  EXPECT_FALSE(IconPresent(form.hwnd()));
}

}  // namespace
