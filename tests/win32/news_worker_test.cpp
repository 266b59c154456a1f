// The news fetch against servers that misbehave as real ones do: the window thread keeps
// answering while it runs, it ends by its deadline, only 2xx answers become news, at most
// 4,095 body bytes are taken, and quitting does not wait for it.
#include "news_server.h"
// clang-format off
#include <gtest/gtest.h>
// clang-format on

#include <cstdio>
#include <memory>
#include <string>

#include "core/settings.h"
#include "core/tray_form.h"
#include "news/news_fetch.h"
#include "news/news_layout.h"
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
  explicit FetchForm(const std::string& address) {
    CreateDirectoryW(lum::Wide(folder_.File(u"News")), nullptr);
    EXPECT_TRUE(lumtest::WriteFileBytes(folder_.File(u"News\\t.news"),
                                        lumtest::ChannelBitmap(lumtest::Utf16("Test#home#" + address))));
    EXPECT_TRUE(lumtest::WriteFileBytes(folder_.File(u"LUM.ini"),
                                        "[DEFAULT]\r\nFIRST=1\r\nCONNECT=1\r\nNEWS=0\r\nCHANNEL=1\r\n[CUSTOMIZE]\r\n"));
    form_ = std::make_unique<TrayForm>(settings_,
                                       lum::TrayFormOptions{folder_.path(), lumtest::UniqueInstanceName(), false});
    EXPECT_TRUE(form_->Form_Load());
    form_->news().SetSoundEnabled(false);
  }
  TrayForm& operator*() { return *form_; }
  TrayForm* operator->() { return form_.get(); }
  void Destroy() { form_.reset(); }

  // Pumps the form's messages until its fetch has ended or `ms` have passed; the time taken.
  DWORD WaitForFetch(DWORD ms = 20000) {
    const DWORD start = GetTickCount();
    while (form_->newsFetchRunning() && GetTickCount() - start < ms) {
      lumtest::PumpMessages();
      Sleep(10);
    }
    lumtest::PumpMessages();
    return GetTickCount() - start;
  }

 private:
  lumtest::TempFolder folder_;
  lum::SharedSettings settings_;
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

long Size(const std::string& bytes) { return static_cast<long>(bytes.size()); }

// `target` serves the 200 body that the redirect to another port points at.
std::vector<ServerCase> Cases(const ScriptedServer& target) {
  const std::string toPort =
      "HTTP/1.1 302 Found\r\nLocation: http://" + target.Address("/n.txt") + "\r\nContent-Length: 5\r\n\r\nmoved";
  return {
      {"silent", [](const std::string&, ServerConnection& c) { c.HungUpWithin(60000); }, kConnectionFailed, 0, true},
      {"trickling",
       [](const std::string&, ServerConnection& c) {
         if (!c.Send(kTrickleHead)) return;
         for (int i = 0; i < 60 && c.Send("t") && c.Pause(1000); ++i) {
         }
       },
       kConnectionFailed, Size(kTrickleHead) + 16, true},
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
  for (ServerCase& c : Cases(target)) {
    SCOPED_TRACE(c.name);
    {
      ScriptedServer server(c.script);
      FetchForm form(server.Address("/n.txt"));
      lumtest::AnswerWatch watch(form->hwnd());
      form->GetNews();
      EXPECT_TRUE(form->newsFetchRunning());
      const DWORD took = form.WaitForFetch();
      const DWORD longest = watch.Stop();
      std::printf("%s: fetch ended after %lu ms, window thread unanswered for at most %lu ms, %ld bytes sent\n", c.name,
                  took, longest, server.sent());
      EXPECT_LT(longest, 200u) << "the window thread did not answer";
      EXPECT_FALSE(form->newsFetchRunning()) << "still fetching after " << took << " ms";
      if (c.bounded) {
        EXPECT_GE(took, lum::kNewsDeadlineMs - 500);
        EXPECT_LT(took, lum::kNewsDeadlineMs + 2000);
      }
      EXPECT_EQ(form->news().txtTempNews(), lum::WidenText(c.news));
      EXPECT_EQ(form->news().txtNews(), LaidOut(c.news));
      EXPECT_LE(server.sent(), c.maxSent);
    }
    // Quitting 300 ms into the fetch: the form and the program's end do not wait for it.
    ScriptedServer server(c.script);
    FetchForm form(server.Address("/n.txt"));
    form->GetNews();
    for (int i = 0; i < 30; ++i) {
      lumtest::PumpMessages();
      Sleep(10);
    }
    const DWORD start = GetTickCount();
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

}  // namespace
