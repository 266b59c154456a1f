#include "news/web_address.h"

#include <cctype>
#include <utility>

namespace lum {

namespace {

constexpr size_t npos = std::string_view::npos;

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

bool IsAlpha(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHex(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// An address split as RFC 3986 appendix B does; the fragment is dropped.
struct Parts {
  std::optional<std::string_view> scheme, authority, query;
  std::string_view path;
};

bool IsScheme(std::string_view text) {
  if (text.empty() || !IsAlpha(text[0])) return false;
  for (char c : text)
    if (!IsAlpha(c) && !IsDigit(c) && c != '+' && c != '-' && c != '.') return false;
  return true;
}

Parts Split(std::string_view text) {
  Parts parts;
  const size_t colon = text.find_first_of(":/?#");
  if (colon != npos && text[colon] == ':' && IsScheme(text.substr(0, colon))) {
    parts.scheme = text.substr(0, colon);
    text.remove_prefix(colon + 1);
  }
  if (text.substr(0, 2) == "//") {
    text.remove_prefix(2);
    const size_t end = text.find_first_of("/?#");
    parts.authority = text.substr(0, end);
    text = end == npos ? std::string_view() : text.substr(end);
  }
  const size_t end = text.find_first_of("?#");
  parts.path = text.substr(0, end);
  text = end == npos ? std::string_view() : text.substr(end);
  if (!text.empty() && text[0] == '?') parts.query = text.substr(1, text.find('#') == npos ? npos : text.find('#') - 1);
  return parts;
}

// RFC 3986 section 5.2.4.
std::string RemoveDotSegments(std::string_view in) {
  std::string out;
  std::string buffer;  // holds the input once a step has to put a "/" back in front of it
  auto dropLastSegment = [&out] {
    const size_t slash = out.rfind('/');
    out.erase(slash == std::string::npos ? 0 : slash);
  };
  auto replaceWithSlash = [&](size_t length) {
    std::string next(1, '/');
    next.append(in.substr(length));
    buffer = std::move(next);
    in = buffer;
  };
  while (!in.empty()) {
    if (in.substr(0, 3) == "../") {
      in.remove_prefix(3);
    } else if (in.substr(0, 2) == "./") {
      in.remove_prefix(2);
    } else if (in.substr(0, 3) == "/./") {
      replaceWithSlash(3);
    } else if (in == "/.") {
      replaceWithSlash(2);
    } else if (in.substr(0, 4) == "/../") {
      replaceWithSlash(4);
      dropLastSegment();
    } else if (in == "/..") {
      replaceWithSlash(3);
      dropLastSegment();
    } else if (in == "." || in == "..") {
      in = {};
    } else {
      const size_t next = in.find('/', 1);
      out.append(in.substr(0, next));
      in = next == npos ? std::string_view() : in.substr(next);
    }
  }
  return out;
}

bool IsHostName(std::string_view host) {
  if (host.empty() || host.size() > kLongestHostName) return false;
  size_t label = 0;
  for (size_t i = 0; i < host.size(); ++i) {
    const char c = host[i];
    if (c == '.') {
      if (label == 0) return false;
      label = 0;
    } else if (IsAlpha(c) || IsDigit(c) || c == '-' || c == '_') {
      if (++label > 63) return false;
    } else {
      return false;
    }
  }
  return true;
}

bool IsIpv6(std::string_view host) {
  if (host.size() < 2 || host.size() > 45) return false;
  for (char c : host)
    if (!IsHex(c) && c != ':' && c != '.') return false;
  return true;
}

// The host and port of an authority ("user@host:port"); the user part is not used.
bool ReadAuthority(std::string_view authority, WebAddress& address) {
  const size_t at = authority.rfind('@');
  if (at != npos) authority.remove_prefix(at + 1);
  std::string_view host, port;
  if (!authority.empty() && authority[0] == '[') {
    const size_t close = authority.find(']');
    if (close == npos) return false;
    host = authority.substr(1, close - 1);
    if (!IsIpv6(host)) return false;
    authority.remove_prefix(close + 1);
    if (!authority.empty() && authority[0] != ':') return false;
    port = authority.substr(std::min<size_t>(1, authority.size()));
  } else {
    const size_t colon = authority.find(':');
    host = authority.substr(0, colon);
    if (!IsHostName(host)) return false;
    if (colon != npos) port = authority.substr(colon + 1);
  }
  if (!port.empty()) {
    if (port.size() > 5) return false;
    unsigned value = 0;
    for (char c : port) {
      if (!IsDigit(c)) return false;
      value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value < 1 || value > 65535) return false;
    address.port = static_cast<unsigned short>(value);
  }
  address.host = std::string(host);
  return true;
}

std::string Join(std::string_view path, std::optional<std::string_view> query) {
  std::string joined = path.empty() ? std::string("/") : std::string(path);
  if (query) {
    joined += '?';
    joined += *query;
  }
  return joined;
}

}  // namespace

std::string WebAddress::Authority() const {
  std::string text;
  if (host.find(':') == std::string::npos) {
    text = host;
  } else {
    text.append(1, '[').append(host).append(1, ']');
  }
  if (port != (secure ? 443 : 80)) text.append(1, ':').append(std::to_string(port));
  return text;
}

std::string WebAddress::Text() const {
  std::string text(secure ? "https://" : "http://");
  return text.append(Authority()).append(path);
}

std::optional<WebAddress> ParseWebAddress(std::string_view text) {
  if (text.size() > kLongestWebAddress) return std::nullopt;
  const Parts parts = Split(text);
  if (!parts.scheme || !parts.authority) return std::nullopt;
  WebAddress address;
  if (SameText(*parts.scheme, "https")) {
    address.secure = true;
    address.port = 443;
  } else if (!SameText(*parts.scheme, "http")) {
    return std::nullopt;
  }
  if (!ReadAuthority(*parts.authority, address)) return std::nullopt;
  address.path = Join(parts.path, parts.query);
  // Written out whole it may gain a "/"; it stays within the bound all the same.
  if (address.Text().size() > kLongestWebAddress) return std::nullopt;
  return address;
}

std::optional<WebAddress> ResolveWebAddress(const WebAddress& base, std::string_view reference) {
  if (reference.size() > kLongestWebAddress) return std::nullopt;
  const Parts ref = Split(reference);
  std::string scheme, authority, path;
  std::optional<std::string_view> query = ref.query;
  if (ref.scheme) {
    scheme = std::string(*ref.scheme);
    if (!ref.authority) return std::nullopt;  // "http:next.txt" and the like
    authority = std::string(*ref.authority);
    path = RemoveDotSegments(ref.path);
  } else {
    scheme = base.secure ? "https" : "http";
    if (ref.authority) {
      authority = std::string(*ref.authority);
      path = RemoveDotSegments(ref.path);
    } else {
      authority = base.Authority();
      const size_t mark = base.path.find('?');
      const std::string_view basePath = std::string_view(base.path).substr(0, mark);
      if (ref.path.empty()) {
        path = std::string(basePath);
        if (!query && mark != std::string::npos) query = std::string_view(base.path).substr(mark + 1);
      } else if (ref.path[0] == '/') {
        path = RemoveDotSegments(ref.path);
      } else {
        // The base always has an authority, so its path is never empty here.
        const size_t slash = basePath.rfind('/');
        path =
            RemoveDotSegments(std::string(basePath.substr(0, slash == npos ? 0 : slash + 1)) + std::string(ref.path));
      }
    }
  }
  return ParseWebAddress(scheme + "://" + authority + Join(path, query));
}

}  // namespace lum
