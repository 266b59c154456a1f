#include "app/news_controller.h"

#include <shellapi.h>

#include "config/settings_values.h"
#include "imaging/picture_file.h"
#include "news/channel_file.h"
#include "news/news_fetch.h"
#include "news/news_layout.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace lum {

namespace {

constexpr wchar_t kInfoTitle[] = L"Lumbrelｲﾝﾌｫﾒｰｼｮﾝ";

int64_t MinuteNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return MinuteNumber(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute);
}

// Text up to its first NUL, as the text holders keep it.
std::u16string UpToNul(std::u16string text) {
  size_t nul = text.find(u'\0');
  if (nul != std::u16string::npos) text.resize(nul);
  return text;
}

}  // namespace

NewsController::NewsController(SettingsStore& store, const FormState& state, std::u16string programDir)
    : store_(store),
      state_(state),
      programDir_(std::move(programDir)),
      lastFetchMinute_(MinuteNumber(1899, 12, 30, 0, 0)),
      lastAttemptMinute_(lastFetchMinute_) {
  news_.SetTxtNews(InitialNewsNotice());
  news_.SetTxtTempNews(InitialNewsNotice());
}

void NewsController::Attach(HWND form, TrayIcon* icon) {
  form_ = form;
  icon_ = icon;
  channelTable_.assign(1, ChannelRec{});
  picIcon_.resize(1);
  timNewsInterval_ = kTimNewsInterval;
}

void NewsController::LoadChannels(const std::u16string& folder, const std::u16string& pattern) {
  DoEvents();
  // Found names in ordinal order of their UTF-16 code units (upper case before lower).
  std::vector<std::u16string> names = ListChannelFiles(folder, pattern);
  if (names.empty()) {
    if (icon_) icon_->HideNews();
    timNewsInterval_ = 0;
    return;
  }
  // Fills the vertical ticker's lines with the notice (and plays the news sound).
  std::u16string notice = news_.txtNews();
  news_.Layout(notice);
  picIcon_.resize(1);
  for (size_t i = 1; i <= names.size(); ++i) {
    const std::u16string path = folder + names[i - 1];
    channelTable_.emplace_back();
    picIcon_.emplace_back();
    auto record = ReadChannelRecord(path);
    auto channel = record ? SplitChannelRecord(*record) : std::nullopt;
    if (!channel) continue;  // unreadable: an option button only, no tray entry
    channelTable_[i] = *channel;
    picIcon_[i].reset(LoadPictureFile(path));
    if (icon_) icon_->AddChannel(static_cast<int>(i), picIcon_[i].get());
  }
  if (icon_) icon_->DropChannelTemplate();
}

void NewsController::Start() {
  const Settings& s = store_.values();
  switch (s.connectMode) {
    case 0:
      timNewsInterval_ = 0;
      break;
    case 1:
      news_.SetTxtNews(u"現在、ニュース購読が選択されていません");
      break;
    case 2:
      news_.SetTxtNews(u"現在、ニュース購読はローカルモードに設定されています");
      break;
    default:
      break;
  }
  if (channelCount() < 1) {
    // Without channels there is no news, whatever NEWS says.
    if (icon_) icon_->DropChannelTemplate();
    timNewsInterval_ = 0;
  } else {
    optNews_Click(s.channel);
  }
}

void NewsController::StartTimer() { UpdateTimer(); }

void NewsController::UpdateTimer() {
  if (!form_) return;
  // The timer only asks whether a fetch is due: without online news on there is nothing to ask.
  const Settings& s = store_.values();
  const bool wanted = timNewsInterval_ > 0 && !state_.startingUp && !state_.quitting && s.connectMode == 1 &&
                      s.newsCheck() == 1 && channelCount() >= 1;
  if (wanted == timNewsRunning_) return;
  if (wanted) {
    timNewsRunning_ = SetTimer(form_, kTimNewsId, timNewsInterval_, nullptr) != 0;
  } else {
    KillTimer(form_, kTimNewsId);
    timNewsRunning_ = false;
  }
}

void NewsController::Stop() {
  if (form_) KillTimer(form_, kTimNewsId);
  timNewsRunning_ = false;
  timNewsInterval_ = 0;
  newsFetcher_.Abandon();
  newsWindow_.Unload();
}

int NewsController::SelectedChannel() const { return store_.values().channel; }

void NewsController::optNews_Click(int index) {
  store_.SetChannel(index);
  news_.ResetVerticalLine();
  const Settings& s = store_.values();
  if (s.newsCheck() != 1 || state_.startingUp) return;
  if (s.connectMode == 1) {
    news_.SetTxtNews(u"");
    GetNews();
  } else if (s.connectMode == 2) {
    ReadLocalNews(index);
  }
}

void NewsController::SelectChannel(int index) {
  if (index >= 0 && static_cast<size_t>(index) <= channelCount()) optNews_Click(index);
}

void NewsController::ReadLocalNews(int index) {
  // The caption of the option button: the channel's name, or the template's "ﾆｭｰｽ".
  std::u16string caption = index > 0 && static_cast<size_t>(index) < channelTable_.size() &&
                                   !channelTable_[static_cast<size_t>(index)].Name.empty()
                               ? channelTable_[static_cast<size_t>(index)].Name
                               : u"ﾆｭｰｽ";
  // The name comes from an untrusted channel file: anything but a plain file name (a path
  // such as "..\..\x") reads as a missing file.
  std::u16string text = IsPlainFileName(caption) ? ReadTextFile(programDir_ + u"\\" + caption + u".txt") : u"";
  news_.SetTxtTempNews(WidenText(text));
  news_.SetTxtNews(news_.Layout(text));
}

void NewsController::mnuNews_Click(int index) {
  news_.ResetVerticalLine();
  if (index >= 1 && static_cast<size_t>(index) <= channelCount()) {
    if (store_.values().channel != index) optNews_Click(index);
    SetChkNews(1);
  }
  if (store_.values().connectMode == 1 && index > 0 && static_cast<size_t>(index) < channelTable_.size()) {
    const std::u16string& home = channelTable_[static_cast<size_t>(index)].HomePage;
    // Only web addresses: anything else from an untrusted file could start a program.
    if (IsWebAddress(home)) ShellExecuteW(GetDesktopWindow(), L"open", Wide(home), nullptr, L"", SW_SHOWNORMAL);
  }
}

void NewsController::SetChkNews(int64_t value) {
  if (value < 0 || value > 2 || value == store_.values().newsCheck()) return;
  if (state_.startingUp || state_.quitting) return;
  store_.SetNews(value);
  UpdateTimer();
  chkNews_Click();
}

void NewsController::chkNews_Click() {
  const Settings& s = store_.values();
  if (state_.startingUp || state_.quitting || s.newsCheck() != 1) return;
  if (s.connectMode == 1) {
    news_.SetTxtNews(u"");
    GetNews();
  } else if (s.connectMode == 2) {
    ReadLocalNews(SelectedChannel());
  }
}

void NewsController::GetNews() {
  if (store_.values().connectMode == 0 || !form_) return;
  // One fetch at a time: a choice made meanwhile is fetched once the running one has ended.
  if (newsFetcher_.running()) {
    refetchAfterFetch_ = true;
    return;
  }
  const int index = SelectedChannel();
  std::u16string address =
      static_cast<size_t>(index) < channelTable_.size() ? channelTable_[static_cast<size_t>(index)].Address : u"";
  lastAttemptMinute_ = MinuteNow();
  // Without a worker thread there is no fetch; the user sees the connection failure.
  if (!newsFetcher_.Start(form_, address)) ShowFetchedNews(NewsFetch{});
}

void NewsController::OnNewsFetched(WPARAM fetchId) {
  std::optional<NewsFetch> fetch = newsFetcher_.TakeResult(fetchId);
  if (!fetch || state_.quitting) return;
  if (refetchAfterFetch_) {
    refetchAfterFetch_ = false;
    GetNews();
    return;
  }
  ShowFetchedNews(*fetch);
}

void NewsController::ShowFetchedNews(const NewsFetch& fetch) {
  if (fetch.status == NewsFetch::kNoInternet) {
    std::u16string failure = u"接続失敗.";
    news_.SetTxtNews(news_.Layout(failure));
    news_.SetTxtTempNews(u"接続失敗.");
    return;
  }
  if (fetch.status == NewsFetch::kNoConnection) {
    std::u16string message = u"接続に失敗しました。\r\n指定されたチャンネルは存在しません";
    std::u16string shown = message;
    news_.SetTxtNews(news_.Layout(shown));
    news_.SetTxtTempNews(message);
    return;
  }
  news_.SetTxtNews(u"HTML読み込み中...");
  news_.SetTxtTempNews(u"HTML読み込み中...");
  std::u16string text = FromAnsi(fetch.body);
  news_.SetTxtNews(u"HTML読み込み完了.");
  news_.SetTxtTempNews(u"HTML読み込み完了.");
  std::u16string laidOut = news_.Layout(text);
  news_.SetTxtNews(UpToNul(laidOut));
  news_.SetTxtTempNews(UpToNul(text));
  lastFetchMinute_ = MinuteNow();
}

void NewsController::timNews_Timer() {
  const Settings& s = store_.values();
  if (s.newsCheck() != 1 || channelCount() < 1 || s.connectMode != 1) return;
  // A fetch still running when the interval comes round is not doubled, and a failed one is
  // tried again at the next interval, not on the next tick.
  if (newsFetcher_.running()) return;
  const int64_t now = MinuteNow();
  if (RefetchDue(lastFetchMinute_, now, s.newsInterval) && RefetchDue(lastAttemptMinute_, now, s.newsInterval))
    GetNews();
}

void NewsController::ShowNews() {
  const Settings& s = store_.values();
  if (s.connectMode != 1 && s.connectMode != 2) return;
  std::u16string channelName;
  if (s.newsCheck() == 1) {
    int index = SelectedChannel();
    channelName = index > 0 && static_cast<size_t>(index) < channelTable_.size()
                      ? channelTable_[static_cast<size_t>(index)].Name
                      : u"ﾆｭｰｽ";
  }
  HWND window = newsWindow_.Load(channelName);
  if (!window) return;
  ForceForeground(window);
  newsWindow_.SetText(news_.txtTempNews());
}

void NewsController::mnuCsetup_Click(HWND owner) {
  if (!owner) owner = form_;
  std::u16string filter = u"ﾁｬﾝﾈﾙﾌｧｲﾙ(*.news)";
  filter += u'\0';
  filter += u"*.news";
  filter += u'\0';
  std::u16string chosen = ShowOpenDialog(owner, filter, CurrentDirectory());
  if (TrimBlanks(chosen).empty()) return;
  std::u16string folder = programDir_ + u"\\News";
  if (!DirectoryExists(folder)) CreateDirectoryW(Wide(folder), nullptr);
  size_t slash = chosen.find_last_of(u'\\');
  std::u16string target = folder + (slash == std::u16string::npos ? u"\\" + chosen : chosen.substr(slash));
  if (SamePath(chosen, target)) {
    MessageBoxW(owner, L"選択されたﾌｧｲﾙはすでにｾｯﾄｱｯﾌﾟ済みです。", L"Lumbrel", MB_OK);
    return;
  }
  if (FileExists(target)) {
    int answer = MessageBoxW(owner,
                             L"すでに選択されたﾁｬﾝﾈﾙは登録されています。\r\n"
                             L"現在のﾁｬﾝﾈﾙに置き換えない場合は、キャンセルしてください。",
                             kInfoTitle, MB_OKCANCEL);
    if (answer != IDOK) return;
    if (!ShellDeleteFile(owner, target))
      MessageBoxW(owner, L"ﾁｬﾝﾈﾙのｾｯﾄｱｯﾌﾟに失敗しました。", kInfoTitle, MB_ICONERROR);
  }
  ShellMoveFile(owner, chosen, folder);
  MessageBoxW(owner, L"ﾁｬﾝﾈﾙのｾｯﾄｱｯﾌﾟを完了しました。\r\n設定を有効にするにはLumbrelを再起動してください。", kInfoTitle,
              MB_ICONINFORMATION);
}

}  // namespace lum
