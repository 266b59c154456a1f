#include "news/channel_file.h"

#include <windows.h>

#include <cstring>

#include "config/settings_values.h"
#include "controls/sort_object.h"
#include "imaging/bitmap_data.h"
#include "news/news_layout.h"
#include "platform/scoped_win.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace lum {

namespace {
// Channel files are small pictures; anything this large is not one and is not read into memory.
constexpr size_t kFileLimit = 64 * 1024 * 1024;
}  // namespace

std::vector<std::u16string> ListChannelFiles(const std::u16string& folder, const std::u16string& pattern) {
  SortObject found;
  WIN32_FIND_DATAW match{};
  const std::u16string wanted = folder + pattern;
  HANDLE search = FindFirstFileW(Wide(wanted), &match);
  if (search != INVALID_HANDLE_VALUE) {
    int32_t count = 0;
    do {
      DoEvents();
      found.Add(ToDecimal(++count), FromWide(match.cFileName));
    } while (FindNextFileW(search, &match));
    FindClose(search);
  }
  std::vector<std::u16string> names;
  for (int32_t i = 1; i <= found.Count(); ++i) names.push_back(found.Key(i));
  return names;
}

std::optional<std::string> ReadFileHead(const std::u16string& path, size_t limit) {
  ScopedHandle file(CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes(limit, '\0');
  size_t total = 0;
  while (total < limit) {
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data() + total, static_cast<DWORD>(limit - total), &read, nullptr))
      return std::nullopt;
    if (read == 0) break;
    total += read;
  }
  bytes.resize(total);
  return bytes;
}

std::u16string ReadTextFile(const std::u16string& path) {
  auto bytes = ReadFileHead(path, kLocalNewsLimit);
  if (!bytes) return {};
  return CsvItemsToText(FromAnsi(*bytes));
}

}  // namespace lum

namespace lum {

std::optional<std::u16string> ReadChannelRecord(const std::u16string& path) {
  auto bytes = ReadWholeFile(path, kFileLimit);
  if (!bytes) return std::nullopt;
  DataReadResult result =
      DataRead(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()));
  if (result.outcome == DataReadOutcome::kUnreadable) return std::nullopt;
  std::string record(result.record.begin(), result.record.end());
  return FromAnsi(record);
}

}  // namespace lum
