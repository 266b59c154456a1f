// The news side of the tray form: the channel files, fetching on a worker thread, the news
// timer, the ticker's texts and the news window.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/form_state.h"
#include "app/tray_icon.h"
#include "config/settings.h"
#include "news/channels.h"
#include "news/news_fetch.h"
#include "news/news_ticker.h"
#include "news/news_window.h"
#include "platform/scoped_win.h"

namespace lum {

class NewsController {
 public:
  static constexpr UINT kTimNewsId = 2;
  static constexpr UINT kTimNewsInterval = 200;
  // Posted by the news fetch's worker thread when it has ended.
  static constexpr UINT kNewsFetchedMessage = WM_APP + 30;

  NewsController(SettingsStore& store, const FormState& state, std::u16string programDir);
  NewsController(const NewsController&) = delete;
  NewsController& operator=(const NewsController&) = delete;

  // The form that receives the timer and the fetch's message, and the icon whose menu lists
  // the channels.
  void Attach(HWND form, TrayIcon* icon);
  // Found channel files become channels 1..n and their menu entries.
  void LoadChannels(const std::u16string& folder, const std::u16string& pattern);
  size_t channelCount() const { return channelTable_.size() - 1; }
  const std::vector<ChannelRec>& channelTable() const { return channelTable_; }
  // Once the settings are read: the notice of the news mode, the stored channel, the timer.
  void Start();
  // Once start-up is over: the news timer runs while online news is on.
  void StartTimer();
  // The timer stops and a running fetch is cut off, not waited for.
  void Stop();

  // Starts fetching the selected channel on a worker thread and returns; the news arrives
  // with kNewsFetchedMessage.
  void GetNews();
  void OnNewsFetched(WPARAM fetchId);
  bool newsFetchRunning() const { return newsFetcher_.running(); }
  void timNews_Timer();
  bool timNewsEnabled() const { return timNewsRunning_; }
  // The channel option `index` chosen: CHANNEL stored, its news afresh when news is on.
  void optNews_Click(int index);
  // Selects channel `index` (0 none, 1.. the channels) as its option button would.
  void SelectChannel(int index);
  // The channel's menu entry: selects it, turns news on and, online, opens its home page.
  void mnuNews_Click(int index);
  void SetChkNews(int64_t value);
  void chkNews_Click();
  void ShowNews();
  // Channel set-up; its file dialog and messages are owned by `owner`.
  void mnuCsetup_Click(HWND owner);

  NewsTicker& news() { return news_; }
  NewsWindow& detailWindow() { return newsWindow_; }
  // The minute of the last successful fetch (MinuteNumber); the zero date before any.
  void SetLastFetchMinute(int64_t minute) { lastFetchMinute_ = minute; }
  int64_t lastFetchMinute() const { return lastFetchMinute_; }
  // The minute the last fetch began, successful or not.
  void SetLastAttemptMinute(int64_t minute) { lastAttemptMinute_ = minute; }

 private:
  void UpdateTimer();
  int SelectedChannel() const;
  void ReadLocalNews(int index);
  void ShowFetchedNews(const NewsFetch& fetch);

  SettingsStore& store_;
  const FormState& state_;
  std::u16string programDir_;
  HWND form_ = nullptr;
  TrayIcon* icon_ = nullptr;
  NewsTicker news_;
  std::vector<ChannelRec> channelTable_{1};
  std::vector<ScopedBitmap> picIcon_{1};
  int64_t lastFetchMinute_;
  int64_t lastAttemptMinute_;  // successful or not: a failed fetch waits for the next interval
  NewsFetcher newsFetcher_{kNewsFetchedMessage};
  bool refetchAfterFetch_ = false;  // asked for while a fetch ran: the running one's news is stale
  NewsWindow newsWindow_;
  UINT timNewsInterval_ = kTimNewsInterval;  // 0: no news timer
  bool timNewsRunning_ = false;
};

}  // namespace lum
