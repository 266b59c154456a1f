// Channel files and local news files on disk.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace lum {

// The names matching folder + pattern (files and folders alike), in ordinal order of their
// UTF-16 code units, so "A.news" comes before "a.news" and "b.news".
std::vector<std::u16string> ListChannelFiles(const std::u16string& folder, const std::u16string& pattern);

// The text record a channel file carries; nothing when the file is no readable bitmap.
std::optional<std::u16string> ReadChannelRecord(const std::u16string& path);

// Local news files are read up to here: the layout holds a hundred times a text's size, so a
// large file in the program folder must not reach it whole.
inline constexpr size_t kLocalNewsLimit = 64 * 1024;

// The first 64 KiB of a local news file read as comma-separated items, each followed by
// CR LF; empty text when the file does not exist or cannot be read.
std::u16string ReadTextFile(const std::u16string& path);

// At most the first `limit` bytes of a file; nothing when it cannot be opened or read.
std::optional<std::string> ReadFileHead(const std::u16string& path, size_t limit);

}  // namespace lum
