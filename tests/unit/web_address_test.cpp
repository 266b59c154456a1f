#include "news/web_address.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace lum {
namespace {

// The examples of RFC 3986 section 5.4 (a fragment is never kept, and "g:h" is no web address).
TEST(WebAddress, RedirectsResolveAsTheRfcSays) {
  const auto base = ParseWebAddress("http://a/b/c/d;p?q");
  ASSERT_TRUE(base);
  const std::pair<const char*, const char*> cases[] = {
      {"g", "http://a/b/c/g"},
      {"./g", "http://a/b/c/g"},
      {"g/", "http://a/b/c/g/"},
      {"/g", "http://a/g"},
      {"//g", "http://g/"},
      {"?y", "http://a/b/c/d;p?y"},
      {"g?y", "http://a/b/c/g?y"},
      {"#s", "http://a/b/c/d;p?q"},
      {"g?y#s", "http://a/b/c/g?y"},
      {";x", "http://a/b/c/;x"},
      {"", "http://a/b/c/d;p?q"},
      {".", "http://a/b/c/"},
      {"..", "http://a/b/"},
      {"../g", "http://a/b/g"},
      {"../..", "http://a/"},
      {"../../g", "http://a/g"},
      {"../../../g", "http://a/g"},
      {"/./g", "http://a/g"},
      {"/../g", "http://a/g"},
      {"g.", "http://a/b/c/g."},
      {"..g", "http://a/b/c/..g"},
      {"./../g", "http://a/b/g"},
      {"./g/.", "http://a/b/c/g/"},
      {"g/../h", "http://a/b/c/h"},
      {"g;x=1/../y", "http://a/b/c/y"},
      {"g?y/./x", "http://a/b/c/g?y/./x"},
      {"HTTPS://News.Example:8443/x/../t.txt", "https://News.Example:8443/t.txt"},
      {"https://[::1]:443/n", "https://[::1]/n"},
      {"http://user:pw@h:8080", "http://h:8080/"},
      {"g:h", nullptr},
      {"http:g", nullptr},
      {"ftp://a/g", nullptr},
      {"file:///etc/passwd", nullptr},
      {"http://a:65616/", nullptr},
      {"http://a:0/", nullptr},
      {"http://a:-1/", nullptr},
      {"http://:80/", nullptr},
      {"http://a b/", nullptr},
      {"http://a..b/", nullptr},
      {"http://[::1/", nullptr},
      {"http://a%00/", nullptr},
  };
  for (const auto& [reference, expected] : cases) {
    const auto resolved = ResolveWebAddress(*base, reference);
    if (!expected)
      EXPECT_FALSE(resolved) << reference << " -> " << resolved->Text();
    else
      EXPECT_EQ(resolved ? resolved->Text() : "(refused)", expected) << reference;
  }
}

// An address of 2,048 bytes or more, a host longer than DNS allows and a label of 64 are refused,
// whether they come as a channel's address or as a redirect.
TEST(WebAddress, LengthsAreBounded) {
  const auto base = ParseWebAddress("http://h/");
  ASSERT_TRUE(base);
  const std::string prefix = "http://h/";
  const std::string longest = prefix + std::string(kLongestWebAddress - prefix.size(), 'x');
  EXPECT_TRUE(ParseWebAddress(longest));
  EXPECT_FALSE(ParseWebAddress(longest + "x"));
  EXPECT_FALSE(ParseWebAddress("http://h?" + std::string(kLongestWebAddress - 9, 'q'))) << "no room for the path's /";
  EXPECT_FALSE(ResolveWebAddress(*base, longest + "x"));
  // A short reference that grows past the bound once joined to a long base.
  const auto longBase = ParseWebAddress(prefix + std::string(2000, 'd') + "/");
  ASSERT_TRUE(longBase);
  EXPECT_FALSE(ResolveWebAddress(*longBase, std::string(60, 'g')));

  std::string host;
  while (host.size() < kLongestHostName)
    host += std::string(std::min<size_t>(63, kLongestHostName - host.size()), 'a') + ".";
  host.resize(kLongestHostName);
  if (host.back() == '.') host.back() = 'a';
  EXPECT_TRUE(ParseWebAddress("http://" + host + "/"));
  EXPECT_FALSE(ParseWebAddress("http://" + host + "a/"));
  EXPECT_FALSE(ParseWebAddress("http://" + std::string(64, 'a') + ".example/"));
  EXPECT_TRUE(ParseWebAddress("http://" + std::string(63, 'a') + ".example/"));
}

// Random server text never yields an address that breaks the bounds or reads differently again.
TEST(WebAddress, AnyLocationGivesABoundedAddressOrNone) {
  const auto base = ParseWebAddress("https://news.example:8443/a/b/c?q");
  ASSERT_TRUE(base);
  std::mt19937 random(2026);
  const std::string alphabet = "htps:/.?#@[]%:0123456789abAB-_ \t\x01\x80\xff";
  int taken = 0;
  for (int run = 0; run < 20000; ++run) {
    std::string reference = run % 2 ? "http://" : "";
    const size_t length = random() % (run % 100 == 0 ? 3000 : 40);
    for (size_t i = 0; i < length; ++i) reference += alphabet[random() % alphabet.size()];
    const auto resolved = ResolveWebAddress(*base, reference);
    if (!resolved) continue;
    ++taken;
    ASSERT_LE(resolved->Text().size(), kLongestWebAddress) << reference;
    ASSERT_LE(resolved->host.size(), kLongestHostName) << reference;
    ASSERT_GE(resolved->port, 1) << reference;
    const auto again = ParseWebAddress(resolved->Text());
    ASSERT_TRUE(again) << reference;
    ASSERT_EQ(again->Text(), resolved->Text()) << reference;
  }
  EXPECT_GT(taken, 1000);  // relative references mostly resolve
}

}  // namespace
}  // namespace lum
