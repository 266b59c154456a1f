// The channel set-up command end to end: Wine's own open dialog picks the file, the real
// message boxes are answered, and the files on disk are checked afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/tray_form.h"
#include "settings/settings_menu.h"
#include "config/settings.h"
#include "platform/text.h"
#include "test_support.h"

namespace {

using lumtest::ReadFileBytes;

struct Box {
  std::wstring title, text;  // text without CR, so that CR LF reads as LF
};

// Answers the dialogs of this thread from a thread timer, which their modal loops dispatch:
// the open dialog gets `file` (Cancel when empty), message box k gets answers[k] (OK when
// none is left). After 5 s every dialog still open is cancelled so that nothing hangs.
struct Driver {
  std::u16string file;
  std::vector<int> answers;
  std::vector<Box> boxes;
  int openDialogs = 0;
  bool timedOut = false;
  DWORD started = GetTickCount();
  std::set<HWND> handled;
};
Driver* active = nullptr;

BOOL CALLBACK CollectDialog(HWND window, LPARAM list) {
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (std::wstring(name) == L"#32770" && IsWindowVisible(window))
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

void Finish(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

void CALLBACK Drive(HWND, UINT, UINT_PTR, DWORD) {
  if (!active) return;
  std::vector<HWND> dialogs;
  EnumThreadWindows(GetCurrentThreadId(), CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
  for (HWND dialog : dialogs) {
    if (GetTickCount() - active->started > 5000) {
      active->timedOut = true;
      Finish(dialog, IDCANCEL);
      continue;
    }
    if (!active->handled.insert(dialog).second) continue;
    HWND name = GetDlgItem(dialog, 0x47C);  // cmb13, or edt1 in the older layout
    if (!name) name = GetDlgItem(dialog, 0x480);
    if (name) {
      ++active->openDialogs;
      if (active->file.empty()) {
        Finish(dialog, IDCANCEL);
        continue;
      }
      SetWindowTextW(name, lum::Wide(active->file));
      Finish(dialog, IDOK);
      continue;
    }
    wchar_t title[256] = {}, text[1024] = {};
    GetWindowTextW(dialog, title, 256);
    GetDlgItemTextW(dialog, 0xFFFF, text, 1024);
    std::wstring plain;
    for (const wchar_t* c = text; *c; ++c)
      if (*c != L'\r') plain += *c;
    const size_t k = active->boxes.size();
    active->boxes.push_back({title, plain});
    Finish(dialog, k < active->answers.size() ? active->answers[k] : IDOK);
  }
}

const std::wstring kTitle = L"Lumbrelｲﾝﾌｫﾒｰｼｮﾝ";
const std::wstring kDone = L"ﾁｬﾝﾈﾙのｾｯﾄｱｯﾌﾟを完了しました。\n設定を有効にするにはLumbrelを再起動してください。";
const std::wstring kReplace =
    L"すでに選択されたﾁｬﾝﾈﾙは登録されています。\n現在のﾁｬﾝﾈﾙに置き換えない場合は、キャンセルしてください。";

class ChannelSetup : public testing::Test {
 protected:
  void SetUp() override {
    GetCurrentDirectoryW(MAX_PATH, savedDirectory_);
    ASSERT_TRUE(lumtest::WriteFileBytes(prog_.File(lum::kIniName), "[DEFAULT]\r\nFIRST=1\r\n[CUSTOMIZE]\r\n"));
    form_ =
        std::make_unique<lum::TrayForm>(store_, lum::TrayFormOptions{prog_.path(), lumtest::UniqueInstanceName(), false});
    ASSERT_TRUE(form_->Form_Load());
  }
  // The open dialog makes the chosen file's folder current; the temp folders must go.
  void TearDown() override {
    form_.reset();
    SetCurrentDirectoryW(savedDirectory_);
  }

  // Runs the command once with the given choice and answers.
  Driver Run(const std::u16string& file, std::vector<int> answers = {}) {
    Driver driver{file, std::move(answers)};
    active = &driver;
    UINT_PTR timer = SetTimer(nullptr, 0, 30, Drive);
    form_->RunMenuCommand(lum::kMnuCsetup);
    KillTimer(nullptr, timer);
    active = nullptr;
    EXPECT_EQ(driver.openDialogs, 1);
    EXPECT_FALSE(driver.timedOut);
    return driver;
  }

  std::u16string News() const { return prog_.File(u"News"); }
  std::u16string Installed() const { return News() + u"\\Chan.news"; }

  lumtest::TempFolder prog_, source_;
  lum::SettingsStore store_;
  const lum::Settings& settings_ = store_.values();
  std::unique_ptr<lum::TrayForm> form_;
  wchar_t savedDirectory_[MAX_PATH + 1] = {};
};

TEST_F(ChannelSetup, CancelChangesNothingThenAFreshInstallCreatesNewsAndMovesTheFile) {
  const std::u16string chosen = source_.File(u"Chan.news");
  ASSERT_TRUE(lumtest::WriteFileBytes(chosen, "BM-channel-1"));

  Driver cancelled = Run(u"");
  EXPECT_TRUE(cancelled.boxes.empty());
  EXPECT_FALSE(lumtest::FileIsThere(News()));
  EXPECT_EQ(ReadFileBytes(chosen), "BM-channel-1");

  Driver installed = Run(chosen);
  ASSERT_EQ(installed.boxes.size(), 1u);
  EXPECT_EQ(installed.boxes[0].text, kDone);
  EXPECT_EQ(installed.boxes[0].title, kTitle);
  EXPECT_FALSE(lumtest::FileIsThere(chosen));
  EXPECT_EQ(ReadFileBytes(Installed()), "BM-channel-1");
}

TEST_F(ChannelSetup, InstalledChannelIsReplacedOnlyAfterOkAndTheInstalledFileIsRefused) {
  ASSERT_TRUE(CreateDirectoryW(lum::Wide(News()), nullptr));
  ASSERT_TRUE(lumtest::WriteFileBytes(Installed(), "BM-old"));
  const std::u16string chosen = source_.File(u"Chan.news");
  ASSERT_TRUE(lumtest::WriteFileBytes(chosen, "BM-new-bytes"));

  Driver kept = Run(chosen, {IDCANCEL});
  ASSERT_EQ(kept.boxes.size(), 1u);
  EXPECT_EQ(kept.boxes[0].text, kReplace);
  EXPECT_EQ(kept.boxes[0].title, kTitle);
  EXPECT_EQ(ReadFileBytes(Installed()), "BM-old");
  EXPECT_EQ(ReadFileBytes(chosen), "BM-new-bytes");

  Driver replaced = Run(chosen, {IDOK, IDOK});
  ASSERT_EQ(replaced.boxes.size(), 2u);
  EXPECT_EQ(replaced.boxes[0].text, kReplace);
  EXPECT_EQ(replaced.boxes[1].text, kDone);
  EXPECT_EQ(replaced.boxes[1].title, kTitle);
  EXPECT_FALSE(lumtest::FileIsThere(chosen));
  EXPECT_EQ(ReadFileBytes(Installed()), "BM-new-bytes");
  EXPECT_FALSE(lumtest::FileIsThere(News() + u"\\Chan (2).news")) << "nothing renamed on collision";

  Driver same = Run(Installed());
  ASSERT_EQ(same.boxes.size(), 1u);
  EXPECT_EQ(same.boxes[0].text, L"選択されたﾌｧｲﾙはすでにｾｯﾄｱｯﾌﾟ済みです。");
  EXPECT_EQ(ReadFileBytes(Installed()), "BM-new-bytes");
}

}  // namespace
