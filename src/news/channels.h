// News channels: the record a channel file carries, and the notice shown before any news.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lum {

struct ChannelRec {
  std::u16string Name;
  std::u16string HomePage;
  std::u16string Address;  // host and path, without "http://"
};

// "Name#HomePage#Address": the address keeps any further "#". A record with fewer than two
// "#" cannot be split and gives nothing, like an unreadable file.
std::optional<ChannelRec> SplitChannelRecord(std::u16string_view record);

// Only web addresses are handed to the shell: a channel file is untrusted, and any other
// text (a program path, a command) would let it start a program.
bool IsWebAddress(std::u16string_view address);

// A channel's name names its local news file (program folder, name, ".txt"); it is used only
// when it is a plain file name: no folder separators, drive colon, "..", control characters
// or characters a file name cannot hold.
bool IsPlainFileName(std::u16string_view name);

// The notice the news holders carry until news arrives: nine lines, each ended by CR LF.
std::u16string InitialNewsNotice();

}  // namespace lum
