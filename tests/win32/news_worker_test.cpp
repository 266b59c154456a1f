// The news fetch against servers that misbehave as real ones do: the window thread keeps
// answering while it runs, it ends by its deadline, only 2xx answers become news, at most
// 4,095 body bytes are taken, and quitting does not wait for it.
#include "news_server.h"
// clang-format off
#include <gtest/gtest.h>
#include <wincrypt.h>
// clang-format on

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "app/tray_form.h"
#include "settings/settings_menu.h"
#include "config/settings.h"
#include "news/news_fetch.h"
#include "news/news_layout.h"
#include "news/news_ticker.h"
#include "platform/text.h"
#include "test_channels.h"
#include "test_support.h"

namespace {

using lum::TrayForm;
using lumtest::HttpHead;
using lumtest::ScriptedServer;
using lumtest::ServerConnection;

const std::u16string kConnectionFailed = u"接続に失敗しました。\r\n指定されたチャンネルは存在しません";

// A loaded tray form whose channel 1 is `address`, news off until the test asks.
class FetchForm {
 public:
  explicit FetchForm(const std::string& address, const std::string& settings = "CONNECT=1\r\nNEWS=0\r\n",
                     const std::u16string& name = u"Test") {
    CreateDirectoryW(lum::Wide(folder_.File(u"News")), nullptr);
    EXPECT_TRUE(lumtest::WriteFileBytes(folder_.File(u"News\\t.news"),
                                        lumtest::ChannelBitmap(name + lumtest::Utf16("#home#" + address))));
    EXPECT_TRUE(lumtest::WriteFileBytes(folder_.File(u"LUM.ini"),
                                        "[DEFAULT]\r\nFIRST=1\r\n" + settings + "CHANNEL=1\r\n[CUSTOMIZE]\r\n"));
    form_ = std::make_unique<TrayForm>(store_,
                                       lum::TrayFormOptions{folder_.path(), lumtest::UniqueInstanceName(), false});
    EXPECT_TRUE(form_->Form_Load());
    form_->news().SetSoundEnabled(false);
  }
  const lumtest::TempFolder& folder() const { return folder_; }
  TrayForm& operator*() { return *form_; }
  TrayForm* operator->() { return form_.get(); }
  void Destroy() { form_.reset(); }

  // Pumps the form's messages until its fetch has ended or `ms` have passed; the time taken.
  DWORD WaitForFetch(DWORD ms = 20000) {
    const DWORD start = GetTickCount();
    while (form_->newsController().newsFetchRunning() && GetTickCount() - start < ms) {
      lumtest::PumpMessages();
      Sleep(10);
    }
    lumtest::PumpMessages();
    return GetTickCount() - start;
  }

 private:
  lumtest::TempFolder folder_;
  lum::SettingsStore store_;
  const lum::Settings& settings_ = store_.values();
  std::unique_ptr<TrayForm> form_;
};

std::u16string LaidOut(std::u16string text) { return lum::LayoutNewsText(text).text; }

struct ServerCase {
  const char* name;
  ScriptedServer::Script script;
  std::u16string news;  // what the ticker's text holder gets (before layout)
  long maxSent;         // the most bytes the server may hand out, headers included
  bool bounded;         // ends by the deadline, not by the server
};

std::string Body(size_t size) {
  std::string body(size, 'n');
  for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>('a' + i % 26);
  return body;
}

const std::string kTrickleHead = HttpHead("200 OK", 60);
const std::string kBigHead = HttpHead("200 OK", 1 << 20);
const std::string kResetHead = HttpHead("200 OK", 8000);
const std::string kNotFound = HttpHead("404 Not Found", 25) + "<h1>404 Not Found</h1>\r\n";
const std::string kToFile =
    "HTTP/1.1 302 Found\r\nLocation: file:///C:/windows/win.ini\r\nContent-Length: 5\r\n\r\nmoved";

const std::string kToBadPort =
    "HTTP/1.1 302 Found\r\nLocation: http://127.0.0.1:65616/n.txt\r\nContent-Length: 5\r\n\r\nmoved";
const std::string kStatus2000 = "HTTP/1.1 2000 OK\r\nContent-Length: 4\r\n\r\nnews";

long Size(const std::string& bytes) { return static_cast<long>(bytes.size()); }

// `target` serves the 200 body that the redirect to another port points at.
std::vector<ServerCase> Cases(const ScriptedServer& target) {
  const std::string toPort =
      "HTTP/1.1 302 Found\r\nLocation: http://" + target.Address("/n.txt") + "\r\nContent-Length: 5\r\n\r\nmoved";
  const std::string longTo = "HTTP/1.1 302 Found\r\nLocation: http://" + target.Address("/" + std::string(2100, 'x')) +
                             "\r\nContent-Length: 5\r\n\r\nmoved";
  return {
      {"silent", [](const std::string&, ServerConnection& c) { c.HungUpWithin(60000); }, kConnectionFailed, 0, true},
      {"trickling",
       [](const std::string&, ServerConnection& c) {
         if (!c.Send(kTrickleHead)) return;
         for (int i = 0; i < 60 && c.Send("t") && c.Pause(1000); ++i) {
         }
       },
       kConnectionFailed, Size(kTrickleHead) + 16, true},
      {"trickling headers",
       [](const std::string&, ServerConnection& c) {
         for (char byte : kTrickleHead)
           if (!c.Send(std::string(1, byte)) || !c.Pause(1000)) return;
       },
       kConnectionFailed, 17, true},
      {"404 with a body", [](const std::string&, ServerConnection& c) { c.Send(kNotFound); }, kConnectionFailed,
       Size(kNotFound), false},
      {"302 to a file address", [](const std::string&, ServerConnection& c) { c.Send(kToFile); }, kConnectionFailed,
       Size(kToFile), false},
      {"302 to another port", [toPort](const std::string&, ServerConnection& c) { c.Send(toPort); },
       u"moved news\r\nok", Size(toPort), false},
      // The first 4,095 body bytes go out at once; the rest only if the client still listens
      // after 3 s, so every byte past them that reaches the client shows in the count.
      {"1 MB body",
       [](const std::string&, ServerConnection& c) {
         const std::string body = Body(1 << 20);
         if (!c.Send(kBigHead + body.substr(0, 4095)) || c.HungUpWithin(3000)) return;
         c.Send(body.substr(4095));
       },
       lum::FromAnsi(Body(4095)), Size(kBigHead) + 4095, false},
      // 50 MB as fast as the connection takes them: the client's reset stops the server after
      // what the two sockets' buffers hold.
      {"50 MB at full speed",
       [](const std::string&, ServerConnection& c) {
         // Pieces small enough that the one a reset cuts off hardly changes the count.
         const std::string piece = Body(4096);
         if (!c.Send(HttpHead("200 OK", 12800 * piece.size()) + piece)) return;
         for (int i = 1; i < 12800 && c.Send(piece); ++i) {
         }
       },
       lum::FromAnsi(Body(4095)), 48 * 1024, false},
      // A relative redirect on the same server to a body sent in chunks (one split mid-line).
      {"302 to a chunked body",
       [](const std::string& request, ServerConnection& c) {
         if (request.rfind("GET /n.txt ", 0) == 0) {
           c.Send("HTTP/1.1 302 Found\r\nLocation: chunked.txt\r\nContent-Length: 0\r\n\r\n");
           return;
         }
         c.Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n6;x=y\r\nchunke\r\n");
         c.Pause(200);
         c.Send("2\r\nd \r\n4\r\nnews\r\n0\r\n\r\n");
       },
       u"chunked news", 1024, false},
      // What the server sends never reaches a fixed-size interface: a Location too long for any,
      // a port past 65535 (which once wrapped round to 80), a status of four digits.
      {"302 with a 2,100-byte Location", [longTo](const std::string&, ServerConnection& c) { c.Send(longTo); },
       kConnectionFailed, Size(longTo), false},
      {"302 to port 65616", [](const std::string&, ServerConnection& c) { c.Send(kToBadPort); }, kConnectionFailed,
       Size(kToBadPort), false},
      {"status 2000", [](const std::string&, ServerConnection& c) { c.Send(kStatus2000); }, kConnectionFailed,
       Size(kStatus2000), false},
      // Answers that never end, with bytes always ready: refused after a few interim heads, or a
      // trailer as long as the longest head; the reset stops the server.
      {"endless 100 Continue",
       [](const std::string&, ServerConnection& c) {
         while (c.Send("HTTP/1.1 100 Continue\r\n\r\n")) {
         }
       },
       kConnectionFailed, 64 * 1024, false},
      {"endless trailer",
       [](const std::string&, ServerConnection& c) {
         if (!c.Send("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n0\r\n")) return;
         while (c.Send("X-Pad: 0123456789\r\n")) {
         }
       },
       kConnectionFailed, 64 * 1024, false},
      {"reset mid-body",
       [](const std::string&, ServerConnection& c) {
         if (c.Send(kResetHead + Body(2000))) c.Pause(300);
         c.Reset();
       },
       kConnectionFailed, Size(kResetHead) + 2000, false},
  };
}

// For each server: what the ticker gets, how long the window thread went unanswered while the
// fetch ran, how many bytes the server handed out, and a quit in the middle of the fetch.
TEST(NewsFetchWorker, MisbehavingServers) {
  ScriptedServer target(
      [](const std::string&, ServerConnection& c) { c.Send(HttpHead("200 OK", 14) + "moved news\r\nok"); });
  bool endSession = false;
  for (ServerCase& c : Cases(target)) {
    endSession = !endSession;
    SCOPED_TRACE(c.name);
    {
      ScriptedServer server(c.script);
      FetchForm form(server.Address("/n.txt"));
      lumtest::AnswerWatch watch(form->hwnd());
      form->newsController().GetNews();
      EXPECT_TRUE(form->newsController().newsFetchRunning());
      const DWORD took = form.WaitForFetch();
      const DWORD longest = watch.Stop();
      // Whatever the client still takes after the answer (closing a connection may read on)
      // counts too: the count is read once the server is done with it.
      for (int i = 0; i < 500 && !server.idle(); ++i) Sleep(20);
      std::printf("%s: fetch ended after %lu ms, window thread unanswered for at most %lu ms, %ld bytes sent\n", c.name,
                  took, longest, server.sent());
      EXPECT_LT(longest, 200u) << "the window thread did not answer";
      EXPECT_FALSE(form->newsController().newsFetchRunning()) << "still fetching after " << took << " ms";
      if (c.bounded) {
        EXPECT_GE(took, lum::kNewsDeadlineMs - 500);
        EXPECT_LT(took, lum::kNewsDeadlineMs + 2000);
      }
      EXPECT_EQ(form->news().txtTempNews(), lum::WidenText(c.news));
      EXPECT_EQ(form->news().txtNews(), LaidOut(c.news));
      EXPECT_LE(server.sent(), c.maxSent);
    }
    // Quitting 300 ms into the fetch (by the menu's way, or as the session ends, in turns): the
    // form and the program's end do not wait for it.
    ScriptedServer server(c.script);
    FetchForm form(server.Address("/n.txt"));
    form->newsController().GetNews();
    for (int i = 0; i < 30; ++i) {
      lumtest::PumpMessages();
      Sleep(10);
    }
    const DWORD start = GetTickCount();
    if (endSession)
      SendMessageW(form->hwnd(), WM_ENDSESSION, TRUE, 0);
    else
      PostMessageW(form->hwnd(), WM_CLOSE, 0, 0);
    lumtest::PumpMessages();
    EXPECT_EQ(form->hwnd(), nullptr);
    form.Destroy();
    EXPECT_LT(GetTickCount() - start, 2000u);
    // A late answer finds no window and harms nothing.
    for (int i = 0; i < 30; ++i) {
      lumtest::PumpMessages();
      Sleep(10);
    }
  }
}

// The https server of scripts/test.sh (tests/win32/tls_server.py): its folder as this side
// names it, its two ports (a certificate from the test CA, one that nothing trusts), and the
// test CA added to this prefix's trusted roots.
struct TlsServer {
  std::string folder;
  int trusted = 0, untrusted = 0;

  static std::optional<TlsServer> Find() {
    const char* unix = std::getenv("LUM_TLS_DIR");
    if (!unix) return std::nullopt;
    TlsServer server{"Z:" + std::string(unix)};
    for (char& c : server.folder)
      if (c == '/') c = '\\';
    const std::string ports = lumtest::ReadFileBytes(lum::FromAnsi(server.folder + "\\ports"));
    const std::string ca = lumtest::ReadFileBytes(lum::FromAnsi(server.folder + "\\ca.der"));
    if (std::sscanf(ports.c_str(), "%d %d", &server.trusted, &server.untrusted) != 2 || ca.empty()) return std::nullopt;
    HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
    const bool added = root && CertAddEncodedCertificateToStore(
                                   root, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(ca.data()),
                                   static_cast<DWORD>(ca.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    if (root) CertCloseStore(root, 0);
    if (!added) return std::nullopt;
    return server;
  }
  // What the server's last connection for `path` handed out, once it has ended; -1 until then.
  long Sent(const std::string& path, size_t connectionsBefore) const {
    const std::string log = lumtest::ReadFileBytes(lum::FromAnsi(folder + "\\sent.log"));
    size_t seen = 0;
    long sent = -1;
    for (size_t at = 0; at < log.size();) {
      const size_t end = log.find('\n', at);
      const std::string line = log.substr(at, end - at);
      at = end == std::string::npos ? log.size() : end + 1;
      if (++seen > connectionsBefore && line.rfind(path + " ", 0) == 0) sent = std::atol(line.c_str() + path.size());
    }
    return sent;
  }
  size_t Connections() const {
    const std::string log = lumtest::ReadFileBytes(lum::FromAnsi(folder + "\\sent.log"));
    return static_cast<size_t>(std::count(log.begin(), log.end(), '\n'));
  }
};

// A channel's http address redirected to https, as today's servers do, holds the bounds of
// http: the window thread keeps answering, the 15 s deadline ends the fetch and its worker (a
// second fetch may start at once), a 1 MiB answer is cut and the server stopped, only a 2xx
// answer is news, and a certificate nothing trusts is no news.
TEST(NewsFetchWorker, HttpsHoldsTheBoundsOfHttp) {
  const std::optional<TlsServer> tls = TlsServer::Find();
  ASSERT_TRUE(tls) << "no https server: run the Win32 tests through scripts/test.sh (LUM_TLS_DIR)";
  struct Case {
    const char* name;
    const char* path;
    bool trusted;
    std::u16string news;
    bool bounded;
    long maxSent;  // what the server may hand out on the last connection, -1: not counted
  };
  const Case cases[] = {
      {"https news", "/news.txt", true, u"secure news", false, -1},
      {"https 302 to a relative path", "/moved.txt", true, u"secure news", false, -1},
      {"https 404", "/missing.txt", true, kConnectionFailed, false, -1},
      {"https untrusted certificate", "/news.txt", false, kConnectionFailed, false, 0},
      {"https trickling body", "/trickle.txt", true, kConnectionFailed, true, -1},
      {"https silent after the handshake", "/silent.txt", true, kConnectionFailed, true, 0},
      // The body's first 4,095 bytes, the record they end in and what the two sockets hold.
      {"https 1 MiB", "/big.txt", true, lum::FromAnsi(Body(4095)), false, 64 * 1024},
      {"https 50 MiB", "/huge.txt", true, lum::FromAnsi(Body(4095)), false, 64 * 1024},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string to = "HTTP/1.1 302 Found\r\nLocation: https://localhost:" +
                           std::to_string(c.trusted ? tls->trusted : tls->untrusted) + c.path +
                           "\r\nContent-Length: 0\r\n\r\n";
    ScriptedServer server([to](const std::string&, ServerConnection& connection) { connection.Send(to); });
    const size_t before = tls->Connections();
    FetchForm form(server.Address("/n.txt"));
    lumtest::AnswerWatch watch(form->hwnd());
    form->newsController().GetNews();
    const DWORD took = form.WaitForFetch();
    const DWORD longest = watch.Stop();
    // The worker has ended too: a fetch started at once is not refused.
    form->newsController().GetNews();
    const bool again = form->newsController().newsFetchRunning();
    form.WaitForFetch();
    long sent = -1;
    // A server whose certificate is refused never gets the request: its connection logs no path.
    const std::string logged = c.trusted ? c.path : "?";
    for (int i = 0; i < 250 && sent < 0 && c.maxSent >= 0; ++i, Sleep(20)) sent = tls->Sent(logged, before);
    std::printf("%s: fetch ended after %lu ms, window thread unanswered for at most %lu ms, server sent %ld\n", c.name,
                took, longest, sent);
    EXPECT_LT(longest, 200u) << "the window thread did not answer";
    EXPECT_TRUE(again) << "a second fetch was refused: the first one's worker still ran";
    if (c.bounded) {
      EXPECT_GE(took, lum::kNewsDeadlineMs - 500);
      EXPECT_LT(took, lum::kNewsDeadlineMs + 1000);
    }
    EXPECT_EQ(form->news().txtTempNews(), lum::WidenText(c.news));
    if (c.maxSent >= 0) {
      EXPECT_GE(sent, 0) << "the server never ended the connection";
      EXPECT_LE(sent, c.maxSent);
    }
  }
}

// The news timer: a fetch running when it ticks is not doubled, a failed fetch waits for the
// next interval (also with a TIMER below 1), and a channel chosen while a fetch runs is fetched
// once it has ended, its news replacing the stale answer.
TEST(NewsFetchWorker, OneFetchAtATimeAndRetryAtTheNextInterval) {
  {
    std::atomic<int> answered{0};
    ScriptedServer server([&](const std::string&, ServerConnection& c) {
      c.Pause(400);
      const std::string body = "answer " + std::to_string(++answered);
      c.Send(HttpHead("200 OK", body.size()) + body);
    });
    FetchForm form(server.Address("/n.txt"), "CONNECT=1\r\nNEWS=1\r\nTIMER=-1\r\n");
    ASSERT_EQ(form->store().values().newsCheck(), 1);
    form->newsController().timNews_Timer();
    ASSERT_TRUE(form->newsController().newsFetchRunning());
    form->newsController().timNews_Timer();  // a tick while it runs
    form->newsController().GetNews();        // a channel chosen while it runs
    form.WaitForFetch();    // the first fetch, then the one it leaves behind
    EXPECT_EQ(server.connections(), 2) << "the choice made meanwhile was not fetched, or a tick doubled a fetch";
    EXPECT_EQ(form->news().txtTempNews(), lum::WidenText(u"answer 2"));
  }
  // One form at a time: they share the test's single-instance name.
  ScriptedServer failing([](const std::string&, ServerConnection& c) { c.Send(kNotFound); });
  FetchForm failed(failing.Address("/n.txt"), "CONNECT=1\r\nNEWS=1\r\nTIMER=-1\r\n");
  failed->newsController().timNews_Timer();
  failed.WaitForFetch();
  EXPECT_EQ(failed->news().txtTempNews(), kConnectionFailed);
  for (int tick = 0; tick < 5; ++tick) failed->newsController().timNews_Timer();
  EXPECT_FALSE(failed->newsController().newsFetchRunning());
  EXPECT_EQ(failing.connections(), 1);
  // Three minutes on, the next interval has come.
  failed->newsController().SetLastAttemptMinute(failed->newsController().lastFetchMinute());
  failed->newsController().timNews_Timer();
  failed.WaitForFetch();
  EXPECT_EQ(failing.connections(), 2);
}

// Local mode reads the first 64 KiB of "<program folder>\<name>.txt", and only for a name that
// is a plain file name: "x\..\Test" names the same file by a path and reads as a missing file.
TEST(NewsFetchWorker, LocalNewsFileIsCutAndNamesArePlainFileNames) {
  {
    FetchForm form("unused/x.txt", "CONNECT=2\r\nNEWS=0\r\n");
    // 70,000 bytes on one line: the item read is the first 65,536 of them.
    ASSERT_TRUE(
        lumtest::WriteFileBytes(form.folder().File(u"Test.txt"), std::string(65536, 'A') + std::string(4464, 'B')));
    form->newsController().SetChkNews(1);
    EXPECT_EQ(form->news().txtTempNews(), std::u16string(65536, u'\uFF21') + u"\r\n");
  }
  for (const std::u16string name : {u"x\\..\\Test", u"News\\..\\Test"}) {
    FetchForm form("unused/x.txt", "CONNECT=2\r\nNEWS=0\r\n", name);
    ASSERT_TRUE(lumtest::WriteFileBytes(form.folder().File(u"Test.txt"), "secret"));
    ASSERT_TRUE(lumtest::FileIsThere(form.folder().File(name + u".txt"))) << "the path does not reach the file";
    form->newsController().SetChkNews(1);
    EXPECT_EQ(form->news().txtTempNews(), u"") << "a path in the channel's name was read";
  }
}

// The ticker draws no glyph for control characters: a text of nothing else leaves the caption
// as it was, in both directions, where drawing it as it stands shows boxes.
TEST(NewsFetchWorker, TickerDrawsNoGlyphForControlCharacters) {
  lum::NewsTicker ticker;
  lum::CaptionStyle style;
  style.newsOn = true;
  ticker.SetStyle(style);
  ticker.SetSoundEnabled(false);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 640, 24);
  ReleaseDC(nullptr, screen);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  auto inked = [&] {
    int count = 0;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 640; ++x) count += (GetPixel(dc, x, y) & 0xFFFFFF) != 0xFFFFFF;
    PatBlt(dc, 0, 0, 640, 24, WHITENESS);
    return count;
  };
  const lum::CaptionRect area{0, 2, 600, 22};
  const std::u16string controls = u"\r\n\t\x01\x1B\r\n\r\r\n\t";
  PatBlt(dc, 0, 0, 640, 24, WHITENESS);
  RECT whole{0, 2, 600, 22};
  DrawTextW(dc, L"\r\n\r\n\x01\x1B", 6, &whole, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
  const int boxes = inked();

  ticker.SetTxtNews(controls + controls + controls + controls + controls);
  int horizontal = 0;
  for (int paint = 0; paint < 60; ++paint) {
    ticker.HorizontalStep(dc, area);
    horizontal += inked();
  }
  std::u16string text = controls + controls;
  ticker.SetTxtNews(ticker.Layout(text));
  int vertical = 0;
  for (int paint = 0; paint < 120; ++paint) {
    ticker.VerticalStep(dc, area);
    vertical += inked();
  }
  ticker.SetTxtNews(u"ＡＢＣ");
  int letters = 0;
  for (int paint = 0; paint < 5; ++paint) {
    ticker.HorizontalStep(dc, area);
    letters += inked();
  }
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteObject(bitmap);
  DeleteDC(dc);
  EXPECT_GT(boxes, 0) << "the system draws these characters as they stand";
  EXPECT_GT(letters, 0) << "the ticker draws nothing at all";
  EXPECT_EQ(horizontal, 0);
  EXPECT_EQ(vertical, 0);
}

}  // namespace
