// The news side of the tray form: channels, fetching, the news timer and the tickers.
#include "app/tray_form.h"

#include <shellapi.h>

#include "config/settings_values.h"
#include "imaging/picture_file.h"
#include "news/channel_file.h"
#include "news/news_fetch.h"
#include "news/news_layout.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "settings/settings_menu.h"

namespace lum {

namespace {

constexpr std::u16string_view kDefault = u"DEFAULT";
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

void TrayForm::LoadChannels(const std::u16string& folder, const std::u16string& pattern) {
  DoEvents();
  // Found names in ordinal order of their UTF-16 code units (upper case before lower).
  std::vector<std::u16string> names = ListChannelFiles(folder, pattern);
  if (names.empty()) {
    if (trayMenu_) HideNewsItems(trayMenu_);
    controls_.timNewsInterval = 0;
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
    controls_.optNews.count = static_cast<int>(i) + 1;
    auto record = ReadChannelRecord(path);
    auto channel = record ? SplitChannelRecord(*record) : std::nullopt;
    if (!channel) continue;  // unreadable: an option button only, no tray entry
    channelTable_[i] = *channel;
    picIcon_[i].reset(LoadPictureFile(path));
    if (trayMenu_) {
      InsertChannelItem(trayMenu_, static_cast<int>(i));
      SetMenuItemPicture(trayMenu_, static_cast<int>(i), picIcon_[i].get(), hwnd_);
    }
  }
  if (trayMenu_) DeleteMenu(trayMenu_, kMnuNewsFirst, MF_BYCOMMAND);  // the template entry
}

int TrayForm::SelectedChannel() const { return controls_.optNews.selected < 0 ? 0 : controls_.optNews.selected; }

void TrayForm::optNews_Click(int index) {
  ini_.Write(kDefault, u"CHANNEL", ToDecimal(index));
  news_.ResetVerticalLine();
  if (trayMenu_)
    for (size_t a = 1; a < channelTable_.size(); ++a)
      SetMenuCheck(trayMenu_, kMnuNewsFirst + static_cast<UINT>(a), static_cast<int>(a) == index);
  if (controls_.chkNews.value != 1 || settings_.startingUp) return;
  if (settings_.connectMode == 1) {
    news_.SetTxtNews(u"");
    GetNews();
  } else if (settings_.connectMode == 2) {
    ReadLocalNews(index);
  }
}

void TrayForm::SelectChannel(int index) {
  if (controls_.optNews.Select(index)) optNews_Click(index);
}

void TrayForm::ReadLocalNews(int index) {
  // The caption of the option button: the channel's name, or the template's "ﾆｭｰｽ".
  std::u16string caption = index > 0 && static_cast<size_t>(index) < channelTable_.size() &&
                                   !channelTable_[static_cast<size_t>(index)].Name.empty()
                               ? channelTable_[static_cast<size_t>(index)].Name
                               : u"ﾆｭｰｽ";
  // The name comes from an untrusted channel file: anything but a plain file name (a path
  // such as "..\..\x") reads as a missing file.
  std::u16string text = IsPlainFileName(caption) ? ReadTextFile(options_.programDir + u"\\" + caption + u".txt") : u"";
  news_.SetTxtTempNews(WidenText(text));
  news_.SetTxtNews(news_.Layout(text));
}

void TrayForm::mnuNews_Click(int index) {
  news_.ResetVerticalLine();
  for (size_t a = 1; a < channelTable_.size(); ++a) {
    if (static_cast<int>(a) == index) {
      if (controls_.optNews.selected != index && controls_.optNews.Select(index)) optNews_Click(index);
      SetChkNews(1);
    } else if (trayMenu_) {
      SetMenuCheck(trayMenu_, kMnuNewsFirst + static_cast<UINT>(a), false);
    }
  }
  if (settings_.connectMode == 1 && index > 0 && static_cast<size_t>(index) < channelTable_.size()) {
    const std::u16string& home = channelTable_[static_cast<size_t>(index)].HomePage;
    // Only web addresses: anything else from an untrusted file could start a program.
    if (IsWebAddress(home)) ShellExecuteW(GetDesktopWindow(), L"open", Wide(home), nullptr, L"", SW_SHOWNORMAL);
  }
}

void TrayForm::SetChkNews(int64_t value) {
  int16_t before = controls_.chkNews.value;
  if (controls_.chkNews.Set(value) && controls_.chkNews.value != before) chkNews_Click();
}

void TrayForm::chkNews_Click() {
  if (settings_.startingUp || quitting_) return;
  ini_.Write(kDefault, u"NEWS", ToDecimal(controls_.chkNews.value));
  if (controls_.chkNews.value != 1) return;
  if (settings_.connectMode == 1) {
    news_.SetTxtNews(u"");
    GetNews();
  } else if (settings_.connectMode == 2) {
    ReadLocalNews(SelectedChannel());
  }
}

void TrayForm::GetNews() {
  if (settings_.connectMode == 0 || !hwnd_) return;
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
  if (!newsFetcher_.Start(hwnd_, address)) ShowFetchedNews(NewsFetch{});
}

void TrayForm::OnNewsFetched(WPARAM fetchId) {
  std::optional<NewsFetch> fetch = newsFetcher_.TakeResult(fetchId);
  if (!fetch || quitting_) return;
  if (refetchAfterFetch_) {
    refetchAfterFetch_ = false;
    GetNews();
    return;
  }
  ShowFetchedNews(*fetch);
}

void TrayForm::ShowFetchedNews(const NewsFetch& fetch) {
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

void TrayForm::StartNewsTimer() {
  if (!hwnd_) return;
  timNewsRunning_ = controls_.timNewsEnabled && controls_.timNewsInterval > 0 &&
                    SetTimer(hwnd_, kTimNewsId, static_cast<UINT>(controls_.timNewsInterval), nullptr) != 0;
}

void TrayForm::timNews_Timer() {
  if (controls_.chkNews.value != 1 || settings_.noChannels || settings_.connectMode != 1) return;
  // A fetch still running when the interval comes round is not doubled, and a failed one is
  // tried again at the next interval, not on the next tick.
  if (newsFetcher_.running()) return;
  const int64_t now = MinuteNow();
  if (RefetchDue(lastFetchMinute_, now, settings_.newsInterval) &&
      RefetchDue(lastAttemptMinute_, now, settings_.newsInterval))
    GetNews();
}

void TrayForm::optVH_Click(int index) {
  if (trayMenu_) {
    SetMenuCheck(trayMenu_, kVscroll, index == 0);
    SetMenuCheck(trayMenu_, kHscroll, index == 1);
  }
  setVH(index);
}

void TrayForm::setVH(int index) {
  news_.ResetVerticalLine();
  settings_.scrollMode = index;
  if (trayMenu_) {
    SetMenuCheck(trayMenu_, kVscroll, index == 0);
    SetMenuCheck(trayMenu_, kHscroll, index == 1);
  }
  if (settings_.startingUp) return;
  if (index < 0 || index > 1) return;
  EnableTimer1(false);
  if (controls_.optVH.selected == index) {
    InitialBar();
    ini_.Write(kDefault, u"SCROLL", ToDecimal(index));
    renderer_.RepaintCaption(hwnd_);
    EnableTimer1(true);
  } else {
    controls_.optVH.Select(index);
    optVH_Click(index);
  }
}

void TrayForm::ShowNews() {
  if (settings_.connectMode != 1 && settings_.connectMode != 2) return;
  std::u16string channelName;
  if (controls_.chkNews.value == 1) {
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

void TrayForm::mnuCsetup_Click(HWND owner) {
  if (!owner) owner = hwnd_;
  std::u16string filter = u"ﾁｬﾝﾈﾙﾌｧｲﾙ(*.news)";
  filter += u'\0';
  filter += u"*.news";
  filter += u'\0';
  std::u16string chosen = ShowOpenDialog(owner, filter, CurrentDirectory());
  if (TrimBlanks(chosen).empty()) return;
  std::u16string folder = options_.programDir + u"\\News";
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
