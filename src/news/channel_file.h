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

// A local news file read as comma-separated items, each followed by CR LF; empty text when
// the file does not exist or cannot be read.
std::u16string ReadTextFile(const std::u16string& path);

// The whole file, or nothing when it cannot be read (at most `limit` bytes are accepted).
std::optional<std::string> ReadWholeFile(const std::u16string& path, size_t limit);

}  // namespace lum
