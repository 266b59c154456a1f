// Channel files for the tests: a small bitmap carrying a channel record, as the News folder
// holds them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "imaging/bitmap_data.h"
#include "platform/text.h"

namespace lumtest {

// A 24-bit bitmap of 4 x 2 pixels carrying `record` (ANSI code page) as a channel file does.
inline std::string ChannelBitmap(const std::u16string& record) {
  std::vector<uint8_t> file(54 + 24, 0x40);
  auto put = [&](size_t offset, uint32_t value, int size) {
    for (int i = 0; i < size; ++i) file[offset + i] = static_cast<uint8_t>(value >> (8 * i));
  };
  std::fill(file.begin(), file.begin() + 54, 0);
  file[0] = 'B';
  file[1] = 'M';
  put(2, static_cast<uint32_t>(file.size()), 4);
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, 4, 4);
  put(22, 2, 4);
  put(26, 1, 2);
  put(28, 24, 2);
  put(34, 24, 4);
  const std::string bytes = lum::ToAnsi(record);
  EXPECT_EQ(
      lum::DataWrite(file, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size())),
      lum::DataWriteResult::kOk);
  return std::string(file.begin(), file.end());
}

}  // namespace lumtest
