// News against a loopback HTTP server in this process: the request on the wire, the cut at
// 4,095 bytes, error pages kept out, refused and silent servers, what the tray form makes of each,
// local news files, the channel entries of the tray menu and the detail window.
// clang-format off
#include "news_server.h"
#include <gtest/gtest.h>
// clang-format on

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/tray_form.h"
#include "config/settings.h"
#include "imaging/bitmap_data.h"
#include "news/news_fetch.h"
#include "news/news_layout.h"
#include "news/ticker.h"
#include "platform/text.h"
#include "settings/settings_menu.h"
#include "test_channels.h"
#include "test_support.h"

namespace {

using lum::NewsFetch;
using lum::TrayForm;
using lumtest::ChannelBitmap;
using lumtest::Utf16;

// An HTTP server on 127.0.0.1 that keeps every request. `answer` gets each raw request and
// returns the bytes to send (in one send(), then the connection is closed), or nothing to hold
// the connection open unanswered until the client hangs up or the test ends.
class LoopbackServer {
 public:
  using Answer = std::function<std::optional<std::string>(const std::string& request)>;

  explicit LoopbackServer(Answer answer)
      : server_([this, answer = std::move(answer)](const std::string& request, lumtest::ServerConnection& client) {
          {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(request);
          }
          std::optional<std::string> response = answer(request);
          if (response)
            client.Send(*response);
          else
            client.HungUpWithin(600000);
        }) {}

  std::u16string Address(const std::string& path) const { return Utf16(server_.Address(path)); }
  int port() const { return server_.port(); }
  std::vector<std::string> Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  lumtest::ScriptedServer server_;  // last: its thread ends before the requests go
};

std::string Response(const std::string& status, const std::string& body, const std::string& type = "text/plain") {
  return "HTTP/1.1 " + status + "\r\nContent-Type: " + type + "\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nConnection: close\r\n\r\n" + body;
}

LoopbackServer::Answer Always(std::string response) {
  return [response](const std::string&) { return std::optional<std::string>(response); };
}

// A port on 127.0.0.1 with nobody listening: bound once, then let go.
int RefusedPort() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof address;
  bind(s, reinterpret_cast<sockaddr*>(&address), size);
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &size);
  closesocket(s);
  WSACleanup();
  return ntohs(address.sin_port);
}

// Bytes in which a shifted or repeated window shows: byte i is a digit of i.
std::string Numbered(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('0' + (i * 7 + i / 10) % 10);
  return bytes;
}

TEST(NewsFetchRequest, IsOneGetWithHostAndAgentAndTheBodyComesBack) {
  LoopbackServer server(Always(Response("200 OK", "today's news\r\n")));
  NewsFetch fetch = lum::FetchNewsDocument(server.Address("/news/today.txt"));
  EXPECT_EQ(fetch.status, NewsFetch::kRead);
  EXPECT_EQ(fetch.body, "today's news\r\n");
  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const std::string& request = requests[0];
  EXPECT_EQ(request.rfind("GET /news/today.txt HTTP/1.1\r\n", 0), 0u) << request;
  const std::string host = "\r\nHost: 127.0.0.1";
  const size_t at = request.find(host);
  ASSERT_NE(at, std::string::npos) << request;
  const std::string rest = request.substr(at + host.size(), request.find("\r\n", at + 2) - at - host.size());
  EXPECT_TRUE(rest.empty() || rest == ":" + std::to_string(server.port())) << request;
  EXPECT_NE(request.find("\r\nUser-Agent: GetHtml\r\n"), std::string::npos) << request;
}

// At most 4,095 bytes: a document that long arrives whole, a longer one is cut.
TEST(NewsFetchRequest, ReadsAtMost4095Bytes) {
  std::string exact = Numbered(4095);
  std::string longer = Numbered(6000);
  longer[4095] = 'X';  // the 4,096th byte
  LoopbackServer server([&](const std::string& request) -> std::optional<std::string> {
    return Response("200 OK", request.rfind("GET /exact", 0) == 0 ? exact : longer);
  });
  NewsFetch whole = lum::FetchNewsDocument(server.Address("/exact"));
  EXPECT_EQ(whole.status, NewsFetch::kRead);
  EXPECT_EQ(whole.body, exact);
  NewsFetch cut = lum::FetchNewsDocument(server.Address("/longer"));
  EXPECT_EQ(cut.status, NewsFetch::kRead);
  EXPECT_EQ(cut.body.size(), 4095u);
  EXPECT_TRUE(cut.body == longer.substr(0, 4095)) << "the first 4,095 bytes differ";
  EXPECT_EQ(cut.body.find('X'), std::string::npos);
}

// Only a 2xx answer is news: an error page is not read, and the status is kept.
TEST(NewsFetchRequest, ErrorPageIsNoNews) {
  const std::string page = "<html><body><h1>404 Not Found</h1></body></html>";
  LoopbackServer server(Always(Response("404 Not Found", page, "text/html")));
  NewsFetch fetch = lum::FetchNewsDocument(server.Address("/missing.txt"));
  EXPECT_EQ(fetch.status, NewsFetch::kNoConnection);
  EXPECT_EQ(fetch.httpStatus, 404u);
  EXPECT_TRUE(fetch.body.empty());
}

TEST(NewsFetchFailure, RefusedPortAndEmptyAddressAreNoConnection) {
  NewsFetch refused = lum::FetchNewsDocument(Utf16("127.0.0.1:" + std::to_string(RefusedPort()) + "/x.txt"));
  EXPECT_EQ(refused.status, NewsFetch::kNoConnection);
  EXPECT_TRUE(refused.body.empty());
  EXPECT_EQ(lum::FetchNewsDocument(u"").status, NewsFetch::kNoConnection);
}

// A server that accepts and never answers is given up after the timeout, and fetching
// works again afterwards. The fetch runs on a thread of its own so that a fetch without a
// bound fails here instead of hanging the run: the server hanging up releases it.
TEST(NewsFetchFailure, SilentServerIsGivenUpAfterTheTimeout) {
  auto silent = std::make_unique<LoopbackServer>([](const std::string&) { return std::optional<std::string>(); });
  std::atomic<bool> done{false};
  NewsFetch fetch;
  const DWORD start = GetTickCount();
  std::thread fetcher([&] {
    fetch = lum::FetchNewsDocument(silent->Address("/slow.txt"), 1000);
    done = true;
  });
  while (!done && GetTickCount() - start < 5000) Sleep(10);
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_TRUE(done) << "no answer after 5 s and the fetch still waits";
  EXPECT_FALSE(silent->Requests().empty()) << "the request never reached the server";
  silent.reset();
  fetcher.join();
  EXPECT_LT(elapsed, 5000u);
  EXPECT_TRUE(fetch.status == NewsFetch::kNoConnection || fetch.body.empty()) << fetch.status;

  LoopbackServer live(Always(Response("200 OK", "after")));
  EXPECT_EQ(lum::FetchNewsDocument(live.Address("/"), 1000).body, "after");
  // By name: the name's addresses are tried in turn (::1 first, where nobody listens).
  EXPECT_EQ(lum::FetchNewsDocument(Utf16("localhost:" + std::to_string(live.port()) + "/"), 1000).body, "after");
}

class NewsForm : public testing::Test {
 protected:
  void AddChannelFile(const std::u16string& fileName, const std::string& bytes) {
    CreateDirectoryW(lum::Wide(folder_.File(u"News")), nullptr);
    ASSERT_TRUE(lumtest::WriteFileBytes(folder_.File(u"News\\" + fileName), bytes));
  }
  void AddChannel(const std::u16string& fileName, const std::u16string& record) {
    AddChannelFile(fileName, ChannelBitmap(record));
  }
  // LUM.ini with FIRST=1 (no first-run guide), then a loaded form without the news sound.
  TrayForm& Load(const std::string& defaultLines) {
    EXPECT_TRUE(lumtest::WriteFileBytes(folder_.File(u"LUM.ini"),
                                        "[DEFAULT]\r\nFIRST=1\r\n" + defaultLines + "[CUSTOMIZE]\r\n"));
    form_ = std::make_unique<TrayForm>(store_,
                                       lum::TrayFormOptions{folder_.path(), lumtest::UniqueInstanceName(), false});
    EXPECT_TRUE(form_->Form_Load());
    form_->news().SetSoundEnabled(false);
    return *form_;
  }
  static std::u16string LaidOut(std::u16string text) { return lum::LayoutNewsText(text).text; }
  // The fetch runs on a worker thread; its news arrives through the form's messages.
  static void WaitForFetch(TrayForm& form) {
    const DWORD start = GetTickCount();
    while (form.newsController().newsFetchRunning() && GetTickCount() - start < 20000) {
      lumtest::PumpMessages();
      Sleep(10);
    }
    lumtest::PumpMessages();
    EXPECT_FALSE(form.newsController().newsFetchRunning());
  }

  lumtest::TempFolder folder_;
  lum::SettingsStore store_;
  const lum::Settings& settings_ = store_.values();
  std::unique_ptr<TrayForm> form_;
};

const int64_t kZeroDate = lum::MinuteNumber(1899, 12, 30, 0, 0);

int64_t MinuteNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return lum::MinuteNumber(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute);
}

using NewsFormFetch = NewsForm;

TEST_F(NewsFormFetch, RefusedChannelShowsTheFailureAndKeepsTheLastFetchTime) {
  AddChannel(u"test.news", Utf16("Test#home#127.0.0.1:" + std::to_string(RefusedPort()) + "/x.txt"));
  TrayForm& form = Load("CONNECT=1\r\nNEWS=1\r\nCHANNEL=1\r\n");
  ASSERT_EQ(form.channelTable().size(), 2u);
  form.newsController().GetNews();
  WaitForFetch(form);
  const std::u16string message = u"接続に失敗しました。\r\n指定されたチャンネルは存在しません";
  EXPECT_EQ(form.news().txtTempNews(), message);
  EXPECT_EQ(form.news().txtNews(), LaidOut(message));
  EXPECT_EQ(form.newsController().lastFetchMinute(), kZeroDate);
}

// Shift-JIS bytes from the server come out decoded and widened; the fetch time moves to now.
TEST_F(NewsFormFetch, AnsweredChannelShowsTheWidenedNewsAndSetsTheFetchTime) {
  // "News ニュース ソ" in CP932; ソ ends in 0x5C, the backslash byte.
  const std::string body = "News \x83\x6A\x83\x85\x81\x5B\x83\x58 \x83\x5C\r\n";
  LoopbackServer server(Always(Response("200 OK", body)));
  AddChannel(u"test.news", u"Test#home#" + server.Address("/x.txt"));
  TrayForm& form = Load("CONNECT=1\r\nNEWS=0\r\nCHANNEL=1\r\n");
  ASSERT_EQ(form.newsController().lastFetchMinute(), kZeroDate);
  const int64_t before = MinuteNow();
  form.newsController().GetNews();
  WaitForFetch(form);
  const int64_t after = MinuteNow();
  const std::u16string widened = u"Ｎｅｗｓ　ニュース　ソ\r\n";
  EXPECT_EQ(form.news().txtTempNews(), widened);
  EXPECT_EQ(form.news().txtNews(), LaidOut(widened));
  EXPECT_GE(form.newsController().lastFetchMinute(), before);
  EXPECT_LE(form.newsController().lastFetchMinute(), after);
  ASSERT_FALSE(server.Requests().empty());
  EXPECT_EQ(server.Requests()[0].rfind("GET /x.txt HTTP/1.1\r\n", 0), 0u);
}

// Local mode reads "<program folder>\<channel name>.txt" as comma-separated items.
TEST_F(NewsForm, LocalModeReadsTheChannelsTextFile) {
  AddChannel(u"test.news", u"Test#home#unused/x.txt");
  ASSERT_TRUE(lumtest::WriteFileBytes(folder_.File(u"Test.txt"), "Hello,\"a, b\"\r\nWorld"));
  TrayForm& form = Load("CONNECT=2\r\nNEWS=0\r\nCHANNEL=1\r\n");
  form.newsController().SetChkNews(1);
  const std::u16string widened = u"Ｈｅｌｌｏ\r\nａ，　ｂ\r\nＷｏｒｌｄ\r\n";
  EXPECT_EQ(form.news().txtTempNews(), widened);
  EXPECT_EQ(form.news().txtNews(), LaidOut(widened));
  EXPECT_EQ(form.ini().GetIniString(u"DEFAULT", u"NEWS"), u"1");

  // Selecting the channel again reads the file again: half-width katakana in CP932 widen.
  ASSERT_TRUE(lumtest::WriteFileBytes(folder_.File(u"Test.txt"), "\xC6\xAD\xB0\xBD"));  // ﾆｭｰｽ
  form.newsController().optNews_Click(1);
  EXPECT_EQ(form.news().txtTempNews(), u"ニュース\r\n");
  EXPECT_EQ(form.news().txtNews(), LaidOut(u"ニュース\r\n"));
}

struct MenuItemFacts {
  UINT id = 0;
  UINT type = 0;
  std::wstring text;
};

std::vector<MenuItemFacts> ReadItems(HMENU menu) {
  std::vector<MenuItemFacts> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_TYPE;
    info.dwTypeData = text;
    info.cch = 127;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    items.push_back({info.wID, info.fType, (info.fType & (MFT_BITMAP | MFT_SEPARATOR)) ? L"" : text});
  }
  return items;
}

// Channel files in ordinal name order: "A" (0x41) < "_" (0x5F) < "b" (0x62), an order that
// neither a case-blind nor a locale comparison gives. (Wine's file names are case-blind, so
// "A.news" and "a.news" cannot both exist; "_" takes the place of "a".)
TEST_F(NewsForm, ChannelsInOrdinalOrderAndOnlyReadableOnesInTheTrayMenu) {
  AddChannel(u"b.news", u"Bee#home-b#b.example.test/n.txt");
  AddChannel(u"A.news", u"Ay#home-a#a.example.test/n.txt#part");
  AddChannelFile(u"_.news", "not a bitmap\r\n");
  TrayForm& form = Load("CONNECT=1\r\nNEWS=0\r\nCHANNEL=1\r\n");
  const auto& table = form.channelTable();
  ASSERT_EQ(table.size(), 4u);
  EXPECT_EQ(table[1].Name, u"Ay");
  EXPECT_EQ(table[1].HomePage, u"home-a");
  EXPECT_EQ(table[1].Address, u"a.example.test/n.txt#part");
  EXPECT_TRUE(table[2].Name.empty() && table[2].Address.empty());
  EXPECT_EQ(table[3].Name, u"Bee");

  // The channel entries stand together between the separator after 設定 and the one
  // before the channel set-up: pictures for 1 and 3, nothing for 2, no template left.
  auto top = ReadItems(form.trayMenu());
  std::vector<UINT> between;
  size_t i = 2;
  for (; i < top.size() && top[i].id != lum::kSepChannels; ++i) {
    between.push_back(top[i].id);
    EXPECT_TRUE(top[i].type & MFT_BITMAP) << top[i].id;
  }
  std::string ids;
  for (const auto& item : top) ids += std::to_string(item.id) + (item.type & MFT_BITMAP ? "(bitmap) " : " ");
  EXPECT_EQ(between, (std::vector<UINT>{lum::kMnuNewsFirst + 1, lum::kMnuNewsFirst + 3})) << ids;
  ASSERT_LT(i + 1, top.size());
  EXPECT_EQ(top[i + 1].text, L"ﾁｬﾝﾈﾙｾｯﾄｱｯﾌﾟ(&C)");

  auto settings = ReadItems(GetSubMenu(form.trayMenu(), 0));
  std::vector<std::wstring> tail;
  for (size_t k = settings.size() >= 4 ? settings.size() - 4 : 0; k < settings.size(); ++k)
    tail.push_back(settings[k].type & MFT_SEPARATOR ? L"-" : settings[k].text);
  EXPECT_EQ(tail, (std::vector<std::wstring>{L"-", L"ﾆｭｰｽ表示(&N)", L"縦ｽｸﾛｰﾙ(&V)", L"横ｽｸﾛｰﾙ(&H)"}));
}

std::wstring WindowText(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 255);
  return text;
}

int TwipsToPixels(int twips, int axis) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, axis);
  ReleaseDC(nullptr, screen);
  return twips * dpi / 1440;  // the fraction cut off, as the forms cut it
}

TEST_F(NewsForm, DetailWindowCaptionTextAndMinimumSize) {
  AddChannel(u"test.news", Utf16("Test#home#127.0.0.1:" + std::to_string(RefusedPort()) + "/x.txt"));
  TrayForm& form = Load("CONNECT=1\r\nNEWS=0\r\nCHANNEL=1\r\n");
  form.news().SetTxtTempNews(u"ニュース本文\r\n二行目");
  form.newsController().ShowNews();
  HWND window = form.newsController().detailWindow().hwnd();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(WindowText(window), L"ﾆｭｰｽ詳細画面");
  EXPECT_EQ(form.newsController().detailWindow().Text(), u"ニュース本文\r\n二行目");

  const int minWidth = TwipsToPixels(5895, LOGPIXELSX), minHeight = TwipsToPixels(6150, LOGPIXELSY);
  SetWindowPos(window, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_EQ(r.right - r.left, minWidth);
  EXPECT_EQ(r.bottom - r.top, minHeight);
  SetWindowPos(window, nullptr, 0, 0, minWidth + 60, minHeight + 40, SWP_NOMOVE | SWP_NOZORDER);
  GetWindowRect(window, &r);
  EXPECT_EQ(r.right - r.left, minWidth + 60);
  EXPECT_EQ(r.bottom - r.top, minHeight + 40);
  // The text box fills the client area.
  RECT client{}, box{};
  GetClientRect(window, &client);
  GetWindowRect(GetWindow(window, GW_CHILD), &box);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
  EXPECT_EQ(box.left, 0);
  EXPECT_EQ(box.top, 0);
  EXPECT_EQ(box.right, client.right);
  EXPECT_EQ(box.bottom, client.bottom);

  // With news on (which fetches and fails) the caption names the channel and the window
  // shows the failure text.
  form.newsController().detailWindow().Unload();
  form.newsController().SetChkNews(1);
  WaitForFetch(form);
  form.newsController().ShowNews();
  ASSERT_NE(form.newsController().detailWindow().hwnd(), nullptr);
  EXPECT_EQ(WindowText(form.newsController().detailWindow().hwnd()), L"Testﾆｭｰｽ詳細画面    ");
  EXPECT_EQ(form.newsController().detailWindow().Text(), form.news().txtTempNews());
  EXPECT_EQ(form.news().txtTempNews(), u"接続に失敗しました。\r\n指定されたチャンネルは存在しません");

  // Without news (the mode is read once at start-up; this form's settings stand in for it).
  form.newsController().detailWindow().Unload();
  lumtest::LoadStore(store_, form.ini(), {{u"DEFAULT/CONNECT", u"0"}});
  form.newsController().ShowNews();
  EXPECT_EQ(form.newsController().detailWindow().hwnd(), nullptr);
}

}  // namespace
