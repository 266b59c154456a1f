// The web addresses the news fetch follows: a channel's own and those a server's redirects
// name. They are checked and resolved here, in portable code, so that nothing a server sends
// reaches a fixed-size interface of the system unchecked.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace lum {

// An address of 2,048 bytes or more is no news (the system's URL interfaces stop near there).
inline constexpr size_t kLongestWebAddress = 2047;
// What DNS allows: 253 characters in all, 63 to a label.
inline constexpr size_t kLongestHostName = 253;

struct WebAddress {
  bool secure = false;  // https
  std::string host;     // a name or an IPv4 address, or an IPv6 address without its brackets
  unsigned short port = 80;
  std::string path = "/";  // with its query; never the fragment

  // The address written out whole ("http://host:port/path", the port only when not the scheme's).
  std::string Text() const;
  // The Host header's value: the host, and the port when not the scheme's.
  std::string Authority() const;
};

// An absolute http or https address; nothing for any other scheme, a missing, malformed or
// over-long host, a port outside 1-65535 or an address of 2,048 bytes or more.
std::optional<WebAddress> ParseWebAddress(std::string_view text);

// Where `reference` (a redirect's Location, whole or relative) leads from `base`, resolved as
// RFC 3986 section 5 says; nothing when that is no address ParseWebAddress takes.
std::optional<WebAddress> ResolveWebAddress(const WebAddress& base, std::string_view reference);

}  // namespace lum
