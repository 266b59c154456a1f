// Channel files are untrusted input: mutate valid bitmaps at random (bit flips, truncation,
// appended junk, header fields overwritten with extreme values) and hand each result to
// `DataRead` and `DataWrite` under the sanitizers. Fixed seed, bounded iterations.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <memory>
#include <random>
#include <span>
#include <string_view>
#include <vector>

#include "imaging/bitmap_data.h"

namespace lum {
namespace {

using Bytes = std::vector<uint8_t>;

uint32_t U32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

void PutU32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

Bytes Bitmap(uint32_t headerSize, uint32_t pixelBytes) {
  Bytes b(headerSize + pixelBytes, 0);
  b[0] = 'B';
  b[1] = 'M';
  PutU32(b, 2, static_cast<uint32_t>(b.size()));
  PutU32(b, 10, headerSize);
  PutU32(b, 14, 40);
  for (size_t i = 54; i < headerSize; ++i) b[i] = static_cast<uint8_t>(i);  // palette
  if (headerSize > 0) b[headerSize - 1] = 0;
  for (size_t i = headerSize; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i * 13);
  return b;
}

std::vector<Bytes> Seeds() {
  std::vector<Bytes> seeds = {Bitmap(54, 48), Bitmap(54, 0), Bitmap(118, 64), Bitmap(54, 300)};
  const size_t plain = seeds.size();
  for (size_t i = 0; i < plain; ++i) {
    for (const char* text : {"a", "News#http://example.test/#example.test/news.txt", "x#y#z#w"}) {
      Bytes withRecord = seeds[i];
      const std::string_view t(text);
      if (DataWrite(withRecord, Bytes(t.begin(), t.end())) == DataWriteResult::kOk) seeds.push_back(withRecord);
    }
  }
  return seeds;
}

// What the file's header says it should give, worked out independently of the reader.
DataReadOutcome Expected(const Bytes& f) {
  if (f.size() < 14 || f[0] != 'B' || f[1] != 'M') return DataReadOutcome::kUnreadable;
  const uint64_t d = U32(f, 10);
  if (d < 5 || d > f.size()) return DataReadOutcome::kUnreadable;
  if (f[d - 1] != 0x4D) return DataReadOutcome::kNoRecord;
  const uint64_t h = U32(f, d - 5);
  return h + 5 < d ? DataReadOutcome::kRecord : DataReadOutcome::kUnreadable;
}

class Mutator {
 public:
  explicit Mutator(uint32_t seed) : rng_(seed) {}

  uint32_t Below(uint64_t n) { return n == 0 ? 0 : static_cast<uint32_t>(rng_() % n); }

  void Mutate(Bytes& f) {
    const uint32_t d = f.size() >= 14 ? U32(f, 10) : 0;
    switch (Below(8)) {
      case 0:  // bit flip
        if (!f.empty()) f[Below(f.size())] ^= static_cast<uint8_t>(1u << Below(8));
        break;
      case 1:  // random byte
        if (!f.empty()) f[Below(f.size())] = static_cast<uint8_t>(rng_());
        break;
      case 2:  // truncation, often just around the headers
        f.resize(Below(2) ? Below(f.size() + 1) : std::min<size_t>(f.size(), Below(70)));
        break;
      case 3:  // appended junk
        for (uint32_t n = Below(16); n > 0; --n) f.push_back(static_cast<uint8_t>(rng_()));
        break;
      case 4:  // the pixel-data offset
        if (f.size() >= 14) PutU32(f, 10, Extreme(f, d));
        break;
      case 5:  // the old offset H just below the pixel data
        if (d >= 5 && d <= f.size()) PutU32(f, d - 5, Extreme(f, d));
        break;
      case 6:  // a marker where the pixel data starts, real or stray
        if (d >= 1 && d <= f.size()) f[d - 1] = 0x4D;
        break;
      case 7:  // the size field or the signature
        if (f.size() >= 6) PutU32(f, 2, Extreme(f, d));
        if (Below(4) == 0 && !f.empty()) f[0] = 'b';
        break;
    }
  }

 private:
  uint32_t Extreme(const Bytes& f, uint32_t d) {
    const uint32_t l = static_cast<uint32_t>(f.size());
    const uint32_t values[] = {
        0,     1,     4, 5,     13,          14,          d - 6,       d - 5,
        d - 4, l - 1, l, l + 1, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, static_cast<uint32_t>(rng_())};
    return values[Below(std::size(values))];
  }

  std::mt19937 rng_;
};

TEST(DataReadFuzz, MutatedBitmapsNeverReadOutsideTheFile) {
  const std::vector<Bytes> seeds = Seeds();
  ASSERT_GE(seeds.size(), 12u);
  Mutator m(20240601);
  int outcomes[3] = {0, 0, 0};
  int written = 0;
  constexpr int kIterations = 200000;
  for (int i = 0; i < kIterations; ++i) {
    Bytes file = seeds[m.Below(seeds.size())];
    for (uint32_t n = 1 + m.Below(4); n > 0; --n) m.Mutate(file);

    // An exactly sized heap block, so that any read past the file is outside the allocation.
    std::unique_ptr<uint8_t[]> exact(new uint8_t[file.size()]);
    std::copy(file.begin(), file.end(), exact.get());
    const DataReadResult r = DataRead(std::span<const uint8_t>(exact.get(), file.size()));
    const DataReadOutcome expected = Expected(file);
    ASSERT_EQ(r.outcome, expected) << "iteration " << i;
    ++outcomes[static_cast<int>(r.outcome)];
    if (r.outcome == DataReadOutcome::kRecord) {
      const uint32_t d = U32(file, 10);
      const uint32_t h = U32(file, d - 5);
      ASSERT_EQ(r.record, Bytes(file.begin() + h, file.begin() + (d - 5))) << "iteration " << i;
    } else {
      ASSERT_TRUE(r.record.empty());
    }

    // A write either leaves the file alone or gives a file that reads back the record.
    if (i % 4 == 0) {
      const Bytes before = file;
      const Bytes record(1 + m.Below(20), static_cast<uint8_t>('A' + m.Below(26)));
      if (DataWrite(file, record) != DataWriteResult::kOk) {
        ASSERT_EQ(file, before) << "iteration " << i;
        continue;
      }
      ++written;
      ASSERT_EQ(U32(file, 2), file.size());
      const DataReadResult back = DataRead(file);
      ASSERT_EQ(back.outcome, DataReadOutcome::kRecord) << "iteration " << i;
      ASSERT_EQ(back.record, record) << "iteration " << i;
      const uint32_t oldPixels = U32(before, 10);
      ASSERT_TRUE(std::equal(file.begin() + U32(file, 10), file.end(), before.begin() + oldPixels, before.end()));
    }
  }
  // The mutations must reach every branch often, or this test proves little.
  EXPECT_GT(outcomes[static_cast<int>(DataReadOutcome::kRecord)], kIterations / 20);
  EXPECT_GT(outcomes[static_cast<int>(DataReadOutcome::kNoRecord)], kIterations / 20);
  EXPECT_GT(outcomes[static_cast<int>(DataReadOutcome::kUnreadable)], kIterations / 20);
  EXPECT_GT(written, kIterations / 40);
}

}  // namespace
}  // namespace lum
