// Reading an HTTP/1.1 answer as it arrives: its head, and a body framed by a stated length, by
// chunks or by the end of the connection, kept up to a limit and never read past it.
#pragma once

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lum {

struct HttpHead {
  int status = 0;
  long long contentLength = -1;  // -1 when the head states none
  bool chunked = false;
  std::string location;
};

// The length of the head at the start of `bytes` (up to and with its blank line), or 0 while
// the blank line has not come.
size_t HttpHeadLength(std::string_view bytes);

// The status line and the headers the body's framing and a redirect need; nothing for a head
// that is not an HTTP answer or states its length in a way that cannot be trusted.
std::optional<HttpHead> ParseHttpHead(std::string_view head);

// The body of one answer, taken in as the bytes come and kept up to `limit` bytes.
class HttpBody {
 public:
  HttpBody(const HttpHead& head, size_t limit);

  // Takes in received bytes (never more than Wanted() asked for); false when the chunks'
  // framing is broken. Body bytes past the limit are dropped.
  bool Feed(std::string_view bytes);
  // How many bytes the next read may ask for: enough to go on, never so many that body bytes
  // past the limit are read. 0 when nothing more is needed.
  size_t Wanted() const;
  // The body has come whole, as its framing says. A body that runs to the end of the
  // connection is whole when the connection ends; see EndOfConnection.
  bool whole() const { return state_ == kDone; }
  // The limit is reached.
  bool full() const { return text_.size() >= limit_; }
  // The server closed the connection: whole for a body that runs to that end, cut for one
  // framed otherwise. True when the body is whole.
  bool EndOfConnection();
  const std::string& text() const { return text_; }
  std::string Take() { return std::move(text_); }

 private:
  enum State { kLength, kToClose, kChunkSize, kChunkData, kChunkDataEnd, kTrailer, kDone, kBroken };
  size_t Room() const { return limit_ - std::min(limit_, text_.size()); }

  State state_;
  size_t limit_;
  unsigned long long left_ = 0;  // bytes left of the stated length or of the current chunk
  size_t trailer_ = 0;           // bytes of the trailer so far
  std::string line_;             // a chunk-size or trailer line as it comes
  std::string text_;
};

}  // namespace lum
