#include "news/http_answer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace lum {
namespace {

TEST(HttpAnswer, HeadsAreParsedOrRefused) {
  const std::string head =
      "HTTP/1.1 302 Found\r\ncontent-length:  12 \r\nLOCATION: /next.txt\r\nTransfer-Encoding: gzip, "
      "chunked\r\n\r\nrest";
  ASSERT_EQ(HttpHeadLength(head), head.size() - 4);
  EXPECT_EQ(HttpHeadLength("HTTP/1.0 200 OK\nA: b\n\nbody"), 22u);
  EXPECT_EQ(ParseHttpHead("HTTP/1.1 200\r\n\r\n")->status, 200);
  EXPECT_EQ(HttpHeadLength("HTTP/1.1 200 OK\r\nA: b\r\n"), 0u);
  auto parsed = ParseHttpHead(head.substr(0, HttpHeadLength(head)));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->status, 302);
  EXPECT_EQ(parsed->contentLength, 12);
  EXPECT_EQ(parsed->location, "/next.txt");
  EXPECT_TRUE(parsed->chunked);
  for (const char* bad : {"<html>\r\n\r\n", "HTTP/1.1 2x0 OK\r\n\r\n", "HTTP/1.1\r\n\r\n", "HTTP/1.1 2000 OK\r\n\r\n",
                          "HTTP/1.1 200x\r\n\r\n", "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n\r\n",
                          "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nContent-Length: 6\r\n\r\n"})
    EXPECT_FALSE(ParseHttpHead(bad)) << bad;
}

// Every body fed in pieces of every size from 1 up, reading no more than Wanted() at a time:
// what is kept, whether it is whole, and that nothing past the limit was asked for.
TEST(HttpAnswer, BodiesByLengthChunksAndCloseStopAtTheLimit) {
  struct Case {
    const char* head;
    std::string wire;
    size_t limit;
    std::string kept;
    bool whole, intact;
    size_t stop = std::string::npos;  // no read may go past this byte of the wire (the limit's)
  };
  const Case cases[] = {
      {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n", "hello", 100, "hello", true, true},
      {"HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n", "hello wor", 5, "hello", false, true, 5},
      {"HTTP/1.0 200 OK\r\n\r\n", "to the end", 100, "to the end", true, true},
      {"HTTP/1.0 200 OK\r\n\r\n", "to the end", 4, "to t", false, true, 4},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
       "5;a=b\r\nhello\r\nA\r\n, chunked!\r\n0\r\nX: y\r\n\r\n", 100, "hello, chunked!", true, true},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "5\r\nhello\r\n5\r\nworld\r\n0\r\n\r\n", 7, "hellowo",
       false, true, 15},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "5\r\nhelloXX\r\n", 100, "hello", false, false},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", "zz\r\n", 100, "", false, false},
      {"HTTP/1.1 204 No Content\r\n\r\n", "", 100, "", true, true},
  };
  for (const Case& c : cases) {
    for (size_t piece = 1; piece <= c.wire.size() + 1; ++piece) {
      SCOPED_TRACE(std::string(c.head) + c.wire + " in pieces of " + std::to_string(piece));
      HttpBody body(*ParseHttpHead(c.head), c.limit);
      size_t at = 0;
      bool intact = true;
      while (intact && body.Wanted() > 0 && at < c.wire.size()) {
        const size_t take = std::min({piece, body.Wanted(), c.wire.size() - at});
        intact = body.Feed(std::string_view(c.wire).substr(at, take));
        at += take;
        ASSERT_LE(at, c.stop) << "read past the limit";
      }
      if (intact && !body.whole() && at == c.wire.size() && body.Wanted() > 0) body.EndOfConnection();
      EXPECT_EQ(intact, c.intact);
      EXPECT_EQ(body.text(), c.kept);
      EXPECT_EQ(body.whole(), c.whole);
    }
  }
  // A trailer that never ends is refused past 16 KiB, as a head is.
  HttpBody endless(*ParseHttpHead("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"), 100);
  bool intact = endless.Feed("5\r\nhello\r\n0\r\n");
  int lines = 0;
  while (intact && lines < 100000) intact = endless.Feed("X-Pad: 0123456789\r\n"), ++lines;
  EXPECT_FALSE(intact);
  EXPECT_EQ(lines, 16 * 1024 / 19 + 1);
}

}  // namespace
}  // namespace lum
