// The hidden tray form: start-up, the 180 ms repaint cycle and the renderer's settings.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/settings.h"
#include "news/channels.h"
#include "news/news_fetch.h"
#include "news/news_ticker.h"
#include "news/news_window.h"
#include "platform/profile.h"
#include "platform/scoped_win.h"
#include "render/caption_overlay.h"
#include "render/caption_renderer.h"
#include "settings/settings_host.h"

namespace lum {

class AboutBox;
class ClockDialog;
class SettingsDialog;

struct TrayFormOptions {
  std::u16string programDir;
  // Names the single-instance lock; tests use their own so that they never meet a real run.
  std::u16string instanceName = u"Lumbrel.Form1.SingleInstance";
  // The program ends its message loop when the form goes; tests keep theirs running.
  bool quitMessageLoopOnClose = true;
  // The process whose windows the caption overlay leaves alone: this one unless a test,
  // whose own windows are the targets, names another.
  std::optional<DWORD> overlayOwnProcess;
  // An unchanged caption is kept painted from a thread without windows while the window thread
  // sleeps (see SteadyPainter). The program's message loops must report every message through
  // LoopMessageObserver() for it; tests that call the form directly leave it off.
  bool steadyPainter = false;
};

class TrayForm : public SettingsHost {
 public:
  static constexpr UINT kTimer1Id = 1;
  static constexpr UINT kTimer1Interval = 180;
  static constexpr UINT kTimNewsId = 2;
  static constexpr UINT kTimNewsInterval = 200;

  TrayForm(SharedSettings& settings, TrayFormOptions options);
  ~TrayForm();
  TrayForm(const TrayForm&) = delete;
  TrayForm& operator=(const TrayForm&) = delete;

  // Start-up. False when another instance runs: then nothing was read or written.
  bool Form_Load();
  void Form_Unload();

  void Timer1_Timer();
  void InitialBar();
  // Cuts picBase into caption-high frames, one bitmap per band.
  void PicAni();
  void chkAni_Click();
  void cmdAnimation_Click();
  // Adds the tray icon and hides the form.
  void Taskview();

  // Tray icon and menu.
  void OnTrayMessage(UINT mouseMessage);
  void ShowTrayMenu();
  void OnMenuCommand(UINT command);
  HMENU trayMenu() const override { return trayMenu_; }
  void subQuit();
  void mnuHelp_Click() override;
  // Opens the about box topmost and modeless; asked again, brings the open one to the front.
  void cmdAbout_Click();
  // Opens the clock settings window and returns when it closes; one at a time. `owner` is the
  // settings dialog when it asks, which the clock window then keeps disabled.
  void mnuClock_Click(HWND owner = nullptr) override;
  // The settings dialog: opened (or brought to the front) by a left click on the tray icon.
  void OpenSettingsDialog();
  SettingsDialog* settingsDialog() const { return settingsDialog_.get(); }
  // Posted by the settings dialog when its window has gone, and to quit from its menu.
  static constexpr UINT kSettingsClosedMessage = WM_APP + 20;
  static constexpr UINT kQuitRequestMessage = WM_APP + 21;
  static constexpr UINT kSteadyWakeMessage = WM_APP + 22;  // the steady painter hands the caption back
  // Posted by the news fetch's worker thread when it has ended.
  static constexpr UINT kNewsFetchedMessage = WM_APP + 30;
  // The one about box of the run (made on first use); the settings dialog shows it modally.
  AboutBox& aboutBox() override;
  ClockDialog* clockDialog() const { return clockDialog_.get(); }
  bool quitting() const override { return quitting_; }

  // Settings commands: each stores its key at once and shows on the next paint.
  void optAligen_Click(int index);
  void setAligen(int16_t index) override;
  void optBold_Click(int index);
  void setBold(int16_t index) override;
  void SetChkTime(int64_t value) override;
  void chkTime_Click();
  void cmdTimer_Click();
  // The colour commands; `owner` owns the colour dialog (the tray form when null).
  void cmdColor_Click(HWND owner = nullptr) override;
  void cmdShadowColor_Click(HWND owner = nullptr) override;
  // The settings dialog's twins of the check boxes: each sets the tray form's copy, its menu
  // mark and the shared flag, and writes its key.
  void SetChkAni(int64_t value) override;
  void SetShadow(int16_t value) override;
  // The news refresh interval chosen in the settings dialog; writes TIMER.
  void SetNewsInterval(int32_t minutes) override;
  void mnuShadow_Click();
  // The picture command: the path loaded, empty when none was. The settings dialog raises a
  // picture lower than the caption buttons to their height.
  std::u16string cmdfix_Click(HWND owner = nullptr, bool raiseToCaption = false) override;
  // Loads a picture file as the caption background; false (and nothing changed) when the
  // file is not a picture.
  bool ChangePicture(const std::u16string& path, bool raiseToCaption = false) override;
  // Tells the user that a file could not be loaded as a picture.
  void ShowPictureFailure(HWND owner, const std::u16string& path) const override;
  bool timer1Enabled() const { return timer1Enabled_; }

  // News channels, fetching and the tickers.
  void LoadChannels(const std::u16string& folder, const std::u16string& pattern);
  // Starts fetching the selected channel on a worker thread and returns; the news arrives
  // with kNewsFetchedMessage.
  void GetNews();
  bool newsFetchRunning() const { return newsFetcher_.running(); }
  void timNews_Timer();
  void optNews_Click(int index);
  // Selects channel `index` (1-based) as its option button would, running its click.
  void SelectChannel(int index) override;
  void mnuNews_Click(int index);
  void SetChkNews(int64_t value) override;
  void chkNews_Click();
  void optVH_Click(int index);
  void setVH(int index) override;
  void ShowNews() override;
  // Channel set-up; its file dialog and messages are owned by `owner` (the tray form when null).
  void mnuCsetup_Click(HWND owner = nullptr) override;
  NewsTicker& news() { return news_; }
  const std::vector<ChannelRec>& channelTable() const override { return channelTable_; }
  NewsWindow& detailWindow() { return newsWindow_; }
  bool timNewsEnabled() const { return timNewsRunning_; }
  // The minute of the last successful fetch (MinuteNumber); the zero date before any.
  void SetLastFetchMinute(int64_t minute) { lastFetchMinute_ = minute; }
  int64_t lastFetchMinute() const { return lastFetchMinute_; }
  // The minute the last fetch began, successful or not.
  void SetLastAttemptMinute(int64_t minute) { lastAttemptMinute_ = minute; }

  HWND hwnd() const { return hwnd_; }
  void SettingsClosed() override { PostMessageW(hwnd_, kSettingsClosedMessage, 0, 0); }
  void RequestQuit() override { PostMessageW(hwnd_, kQuitRequestMessage, 0, 0); }
  const TrayFormControls& controls() const { return controls_; }
  CaptionRenderer& renderer() { return renderer_; }
  // The overlay that shows the caption where title bars cannot be painted; null in the
  // title-bar mode.
  CaptionOverlay* overlay() const { return overlay_.get(); }
  const ProfileFile& ini() const { return ini_; }
  int32_t frameCounter() const { return frameCounter_; }
  int32_t frameCount() const { return frameCount_; }
  void SetFrameCounter(int32_t counter) { frameCounter_ = counter; }
  // Frame k of the caption picture strip, 1..frameCount(); element 0 is the empty template.
  HBITMAP picActive(int index) const;
  // Replaces the frames; for the animation, which cuts the picture into bands.
  void SetFrames(std::vector<ScopedBitmap> frames);
  bool phase() const { return phase_; }

 private:
  template <typename Form>
  friend LRESULT CALLBACK RouteToForm(HWND, UINT, WPARAM, LPARAM);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool CreateFormWindow();
  void CreateDefaultIni() const;
  void LoadStartupPicture();
  void RegisterAsService() const;
  void EnableTimer1(bool enabled);
  // After a title-bar tick: the caption goes to the steady painter while nothing changes.
  void HandOverSteadyCaption();
  // Any message for the window thread: the caption comes back to its ticks.
  void TakeBackSteadyCaption();
  void UpdateMenuMarks();
  void SetAligenMarks(int index);
  void SetBoldMarks(int index);
  // Runs the colour dialog; the chosen colour, or nothing when cancelled.
  std::optional<COLORREF> PickColor(HWND owner);
  int SelectedChannel() const;
  void ReadLocalNews(int index);
  void OnNewsFetched(WPARAM fetchId);
  void ShowFetchedNews(const NewsFetch& fetch);
  void StartNewsTimer();
  // [DEFAULT] OVERLAY and the desktop decide how captions reach the screen.
  void ChooseCaptionMode();

  SharedSettings& settings_;
  TrayFormOptions options_;
  ProfileFile ini_;
  TrayFormControls controls_;
  CaptionRenderer renderer_;
  std::unique_ptr<CaptionOverlay> overlay_;
  HWND classCheckedWindow_ = nullptr;  // the last foreground window whose class was asked
  bool paintableClass_ = false;
  HWND hwnd_ = nullptr;
  HICON icon_ = nullptr;
  ScopedHandle instanceLock_;
  ScopedBitmap picBase_;
  std::vector<ScopedBitmap> picActive_;
  int32_t frameCounter_ = 0;
  int32_t frameCount_ = 0;
  bool phase_ = false;
  NewsTicker news_;
  std::unique_ptr<SteadyPainter> steady_;
  std::vector<ChannelRec> channelTable_{1};
  std::vector<ScopedBitmap> picIcon_{1};
  int64_t lastFetchMinute_;
  int64_t lastAttemptMinute_;  // successful or not: a failed fetch waits for the next interval
  NewsFetcher newsFetcher_{kNewsFetchedMessage};
  bool refetchAfterFetch_ = false;  // asked for while a fetch ran: the running one's news is stale
  NewsWindow newsWindow_;
  std::unique_ptr<ClockDialog> clockDialog_;
  std::unique_ptr<SettingsDialog> settingsDialog_;
  std::unique_ptr<AboutBox> aboutBox_;
  bool timNewsRunning_ = false;
  bool trayAdded_ = false;
  bool quitting_ = false;
  HMENU trayMenu_ = nullptr;
  bool timer1Enabled_ = false;
};

}  // namespace lum
