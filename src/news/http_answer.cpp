#include "news/http_answer.h"

#include <cctype>

namespace lum {

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

// A run of digits in `base`, at most 15 of them (no length this program cares for is longer).
std::optional<unsigned long long> Number(std::string_view digits, int base) {
  if (digits.empty() || digits.size() > 15) return std::nullopt;
  unsigned long long value = 0;
  for (char c : digits) {
    int digit = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                : base == 16 && std::isxdigit(static_cast<unsigned char>(c))
                    ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                    : -1;
    if (digit < 0) return std::nullopt;
    value = value * base + digit;
  }
  return value;
}

// Longest chunk-size or trailer line taken; a server sending more is not speaking HTTP.
constexpr size_t kLongestLine = 1024;
// Longest trailer taken, as for a head: a server that never ends it is not speaking HTTP.
constexpr size_t kLongestTrailer = 16 * 1024;

}  // namespace

size_t HttpHeadLength(std::string_view bytes) {
  const size_t crlf = bytes.find("\r\n\r\n");
  const size_t lf = bytes.find("\n\n");
  if (crlf == std::string_view::npos && lf == std::string_view::npos) return 0;
  return crlf < lf ? crlf + 4 : lf + 2;
}

std::optional<HttpHead> ParseHttpHead(std::string_view head) {
  size_t end = head.find('\n');
  std::string_view line = Trim(head.substr(0, end));
  if (line.substr(0, 5) != "HTTP/") return std::nullopt;
  const size_t space = line.find(' ');
  if (space == std::string_view::npos) return std::nullopt;
  // Three digits and then a space or the line's end: "2000" or "200x" is no status.
  std::string_view code = line.substr(space + 1, 3);
  auto status = Number(code, 10);
  const std::string_view after = line.substr(std::min(line.size(), space + 4));
  if (code.size() != 3 || !status || (!after.empty() && after[0] != ' ')) return std::nullopt;
  HttpHead result;
  result.status = static_cast<int>(*status);
  while (end != std::string_view::npos) {
    const size_t start = end + 1;
    end = head.find('\n', start);
    line = Trim(head.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view name = Trim(line.substr(0, colon)), value = Trim(line.substr(colon + 1));
    if (SameName(name, "Content-Length")) {
      auto length = Number(value, 10);
      // Two lengths that differ leave the body's end unknown.
      if (!length || (result.contentLength >= 0 && result.contentLength != static_cast<long long>(*length)))
        return std::nullopt;
      result.contentLength = static_cast<long long>(*length);
    } else if (SameName(name, "Transfer-Encoding")) {
      const size_t comma = value.rfind(',');
      result.chunked = SameName(Trim(comma == std::string_view::npos ? value : value.substr(comma + 1)), "chunked");
    } else if (SameName(name, "Location")) {
      result.location = std::string(value);
    }
  }
  return result;
}

HttpBody::HttpBody(const HttpHead& head, size_t limit) : limit_(limit) {
  if (head.status / 100 == 1 || head.status == 204 || head.status == 304) {
    state_ = kDone;
  } else if (head.chunked) {
    state_ = kChunkSize;
  } else if (head.contentLength >= 0) {
    left_ = static_cast<unsigned long long>(head.contentLength);
    state_ = left_ ? kLength : kDone;
  } else {
    state_ = kToClose;
  }
}

size_t HttpBody::Wanted() const {
  const size_t room = Room();
  switch (state_) {
    case kLength:
    case kChunkData:
      return static_cast<size_t>(std::min<unsigned long long>(left_, room));
    case kToClose:
      return room;
    case kChunkSize:
    case kChunkDataEnd:
    case kTrailer:
      // Framing lines are short; data may follow them in the same read, so never more than
      // the room left.
      return std::min<size_t>(8, room);
    default:
      return 0;
  }
}

bool HttpBody::Feed(std::string_view bytes) {
  while (!bytes.empty() && state_ != kDone && state_ != kBroken) {
    if (state_ == kLength || state_ == kChunkData || state_ == kToClose) {
      size_t n = bytes.size();
      if (state_ != kToClose) n = static_cast<size_t>(std::min<unsigned long long>(left_, n));
      text_.append(bytes.substr(0, std::min(n, Room())));
      bytes.remove_prefix(n);
      if (state_ == kToClose) continue;
      left_ -= n;
      if (left_ == 0) {
        state_ = state_ == kLength ? kDone : kChunkDataEnd;
        line_.clear();
      }
      continue;
    }
    const char c = bytes.front();
    bytes.remove_prefix(1);
    if (state_ == kTrailer && ++trailer_ > kLongestTrailer) {
      state_ = kBroken;
      break;
    }
    if (c != '\n') {
      line_ += c;
      if (line_.size() > kLongestLine) state_ = kBroken;
      continue;
    }
    const std::string_view line = Trim(line_);
    if (state_ == kChunkDataEnd) {
      state_ = line.empty() ? kChunkSize : kBroken;
    } else if (state_ == kChunkSize) {
      auto size = Number(Trim(line.substr(0, line.find(';'))), 16);
      if (!size)
        state_ = kBroken;
      else if (*size == 0)
        state_ = kTrailer;
      else
        left_ = *size, state_ = kChunkData;
    } else if (line.empty()) {
      state_ = kDone;  // the blank line after the trailer
    }
    line_.clear();
  }
  return state_ != kBroken;
}

bool HttpBody::EndOfConnection() {
  if (state_ == kToClose) state_ = kDone;
  return whole();
}

}  // namespace lum
