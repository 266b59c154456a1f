#include "imaging/bitmap_data.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lum {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes B(std::string_view text) { return Bytes(text.begin(), text.end()); }

uint32_t U32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

void PutU32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A 24-bit bottom-up BMP with the usual 54-byte headers; its byte 53 (the high byte of the
// important-colours count) is 0, so it carries no record.
Bytes PlainBitmap(int width = 5, int height = 3) {
  const uint32_t stride = (width * 3 + 3) & ~3u;
  Bytes b(54 + stride * height);
  b[0] = 'B';
  b[1] = 'M';
  PutU32(b, 2, static_cast<uint32_t>(b.size()));
  PutU32(b, 6, 0xCAFEF00Du);  // reserved: must survive a write
  PutU32(b, 10, 54);
  PutU32(b, 14, 40);
  PutU32(b, 18, width);
  PutU32(b, 22, height);
  b[26] = 1;
  b[28] = 24;
  PutU32(b, 34, stride * height);
  for (size_t i = 54; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i * 7 + 1);
  return b;
}

// `good` with the pixel-data offset D set to `d` and, when given, the old offset at D - 5 set to
// `h`. The copy's storage is exactly the file's length, so ASan sees any read past it.
Bytes WithOffsets(const Bytes& good, uint32_t d, std::optional<uint32_t> h) {
  Bytes file = good;
  PutU32(file, 10, d);
  if (h) PutU32(file, d - 5, *h);
  file.shrink_to_fit();
  return file;
}

Bytes Pixels(const Bytes& file) { return Bytes(file.begin() + U32(file, 10), file.end()); }

TEST(DataRead, PlainBitmapCarriesNoRecord) {
  const Bytes plain = PlainBitmap();
  const DataReadResult r = DataRead(plain);
  EXPECT_EQ(r.outcome, DataReadOutcome::kNoRecord);
  EXPECT_TRUE(r.record.empty());
  EXPECT_EQ(DataReadText(r.outcome), u"");
}

TEST(DataWrite, AbcGoesBetweenHeadersAndPixels) {
  const Bytes plain = PlainBitmap();
  Bytes file = plain;
  ASSERT_EQ(DataWrite(file, B("abc")), DataWriteResult::kOk);

  ASSERT_EQ(file.size(), plain.size() + 8);
  EXPECT_EQ(U32(file, 2), file.size());
  EXPECT_EQ(U32(file, 6), 0xCAFEF00Du);
  EXPECT_EQ(U32(file, 10), 62u);
  EXPECT_EQ(Bytes(file.begin() + 14, file.begin() + 54), Bytes(plain.begin() + 14, plain.begin() + 54));
  EXPECT_EQ(Bytes(file.begin() + 54, file.begin() + 57), B("abc"));
  EXPECT_EQ(U32(file, 57), 54u);
  EXPECT_EQ(file[61], 0x4D);
  EXPECT_EQ(Pixels(file), Pixels(plain));

  const DataReadResult r = DataRead(file);
  EXPECT_EQ(r.outcome, DataReadOutcome::kRecord);
  EXPECT_EQ(r.record, B("abc"));
}

TEST(DataWrite, SecondWriteReplacesTheFirst) {
  const Bytes plain = PlainBitmap(7, 4);
  Bytes file = plain;
  ASSERT_EQ(DataWrite(file, B("a much longer first record")), DataWriteResult::kOk);
  ASSERT_EQ(DataWrite(file, B("hello")), DataWriteResult::kOk);
  EXPECT_EQ(U32(file, 10), 54u + 5 + 5);
  EXPECT_EQ(U32(file, 59), 54u);  // the original offset, not the first record's
  EXPECT_EQ(file.size(), plain.size() + 10);
  EXPECT_EQ(U32(file, 2), file.size());
  EXPECT_EQ(Pixels(file), Pixels(plain));
  EXPECT_EQ(DataRead(file).record, B("hello"));

  // Writing the same record again is idempotent.
  const Bytes once = file;
  ASSERT_EQ(DataWrite(file, B("hello")), DataWriteResult::kOk);
  EXPECT_EQ(file, once);
}

TEST(DataWrite, TrimsSpacesAndRefusesEmptyRecords) {
  const Bytes plain = PlainBitmap();
  Bytes file = plain;
  ASSERT_EQ(DataWrite(file, B("  News#http://a/#a/b.txt  ")), DataWriteResult::kOk);
  EXPECT_EQ(DataRead(file).record, B("News#http://a/#a/b.txt"));
  EXPECT_EQ(U32(file, 10), 54u + 22 + 5);

  // Only spaces are trimmed; inner spaces and other blanks stay.
  file = plain;
  ASSERT_EQ(DataWrite(file, B(" \ta b\t ")), DataWriteResult::kOk);
  EXPECT_EQ(DataRead(file).record, B("\ta b\t"));

  file = plain;
  EXPECT_EQ(DataWrite(file, B("")), DataWriteResult::kEmptyText);
  EXPECT_EQ(DataWrite(file, B("    ")), DataWriteResult::kEmptyText);
  EXPECT_EQ(file, plain);
}

TEST(DataWrite, ShiftJisBytesReadBackUnchanged) {
  // "ニュース#ソ" in code page 932: trail bytes 0x5C and 0x5B are ASCII punctuation.
  const Bytes record = {0x83, 0x6A, 0x83, 0x85, 0x81, 0x5B, 0x83, 0x58, '#', 0x83, 0x5C};
  Bytes padded = {' '};
  padded.insert(padded.end(), record.begin(), record.end());
  padded.push_back(' ');
  Bytes file = PlainBitmap();
  ASSERT_EQ(DataWrite(file, padded), DataWriteResult::kOk);
  EXPECT_EQ(DataRead(file).record, record);
}

TEST(DataWrite, FixesAWrongSizeFieldAndKeepsPixellessFiles) {
  Bytes file = PlainBitmap();
  PutU32(file, 2, 0);
  ASSERT_EQ(DataWrite(file, B("x")), DataWriteResult::kOk);
  EXPECT_EQ(U32(file, 2), file.size());

  // Headers only: the pixel part is empty.
  Bytes bare = PlainBitmap();
  bare.resize(54);
  ASSERT_EQ(DataWrite(bare, B("x")), DataWriteResult::kOk);
  EXPECT_EQ(bare.size(), 54u + 1 + 5);
  EXPECT_EQ(DataRead(bare).record, B("x"));
}

TEST(DataWrite, LargerColourTableHeader) {
  // An 8-bit bitmap: 54 bytes of headers plus a 1024-byte palette, D = 1078.
  Bytes file = PlainBitmap();
  file.insert(file.begin() + 54, 1024, 0x11);
  PutU32(file, 10, 1078);
  ASSERT_EQ(DataWrite(file, B("pal")), DataWriteResult::kOk);
  EXPECT_EQ(U32(file, 10), 1078u + 3 + 5);
  EXPECT_EQ(U32(file, 1081), 1078u);
  EXPECT_EQ(file[1077], 0x11);  // the palette is kept whole
  EXPECT_EQ(DataRead(file).record, B("pal"));
}

TEST(BitmapData, NonBitmapsAreRefused) {
  Bytes text = B("This is a text file that someone named picture.bmp\r\n");
  EXPECT_EQ(DataRead(text).outcome, DataReadOutcome::kUnreadable);
  EXPECT_EQ(DataReadText(DataRead(text).outcome), u"???");
  EXPECT_EQ(DataReadText(DataReadOutcome::kNoFile), u"ERR");  // the caller's missing file
  const Bytes before = text;
  EXPECT_EQ(DataWrite(text, B("abc")), DataWriteResult::kFailed);
  EXPECT_EQ(text, before);

  // The last is one byte short of the offset field.
  const Bytes thirteen = {'B', 'M', 0x40, 0, 0, 0, 0, 0, 0, 0, 0x0d, 0, 0};
  for (const Bytes& tiny : {Bytes{}, B("B"), B("BM"), B("bm"), thirteen}) {
    EXPECT_EQ(DataRead(tiny).outcome, DataReadOutcome::kUnreadable) << tiny.size();
    Bytes copy = tiny;
    EXPECT_EQ(DataWrite(copy, B("abc")), DataWriteResult::kFailed) << tiny.size();
    EXPECT_EQ(copy, tiny);
  }
}

// A plain bitmap whose byte before the pixel data happens to be 0x4D is taken as carrying a
// record: the old offset then comes from whatever bytes precede it.
TEST(DataRead, StrayMarkerByte) {
  Bytes file = PlainBitmap();
  file[53] = 0x4D;
  PutU32(file, 49, 0);  // H = 0: a "record" of bytes 0..48
  DataReadResult r = DataRead(file);
  EXPECT_EQ(r.outcome, DataReadOutcome::kRecord);
  EXPECT_EQ(r.record, Bytes(file.begin(), file.begin() + 49));

  PutU32(file, 49, 0x00FFFFFF);
  file[53] = 0x4D;
  EXPECT_EQ(DataRead(file).outcome, DataReadOutcome::kUnreadable);
}

// Each header names the offsets (D at 10, H at D - 5) and the expected read.
TEST(DataRead, HostileHeadersGiveQuestionMarksWithoutReadingPastTheFile) {
  const Bytes plain = PlainBitmap();
  Bytes good = plain;
  ASSERT_EQ(DataWrite(good, B("abc")), DataWriteResult::kOk);  // D = 62, H = 54, L = 110
  const uint32_t length = static_cast<uint32_t>(good.size());

  struct Case {
    const char* what;
    uint32_t d;
    std::optional<uint32_t> h;
    DataReadOutcome expected;
  };
  const Case cases[] = {
      {"D zero", 0, {}, DataReadOutcome::kUnreadable},
      {"D one", 1, {}, DataReadOutcome::kUnreadable},
      {"D two: byte 1 is the M of BM", 2, {}, DataReadOutcome::kUnreadable},
      {"D four", 4, {}, DataReadOutcome::kUnreadable},
      {"D one past the end", length + 1, {}, DataReadOutcome::kUnreadable},
      {"D max", 0xFFFFFFFFu, {}, DataReadOutcome::kUnreadable},
      {"D sign bit", 0x80000000u, {}, DataReadOutcome::kUnreadable},
      {"H past the file", 62, length + 10, DataReadOutcome::kUnreadable},
      {"H max", 62, 0xFFFFFFFFu, DataReadOutcome::kUnreadable},
      {"H sign bit", 62, 0x80000000u, DataReadOutcome::kUnreadable},
      {"N zero", 62, 57, DataReadOutcome::kUnreadable},
      {"N negative", 62, 58, DataReadOutcome::kUnreadable},
      {"N whole prefix", 62, 0, DataReadOutcome::kRecord},
      {"N one", 62, 56, DataReadOutcome::kRecord},
  };
  for (const Case& c : cases) {
    const Bytes file = WithOffsets(good, c.d, c.h);
    const DataReadResult r = DataRead(file);
    EXPECT_EQ(r.outcome, c.expected) << c.what;
    if (c.expected == DataReadOutcome::kRecord) {
      EXPECT_EQ(r.record, Bytes(file.begin() + *c.h, file.begin() + 57)) << c.what;
    } else {
      EXPECT_TRUE(r.record.empty()) << c.what;
    }
  }

  // D exactly the file length: the last byte is the marker and there are no pixels.
  Bytes headersOnly(good.begin(), good.begin() + 62);
  PutU32(headersOnly, 10, 62);
  EXPECT_EQ(DataRead(headersOnly).record, B("abc"));

  // A truncated file whose D now lies past its end.
  Bytes cut(good.begin(), good.begin() + 60);
  EXPECT_EQ(DataRead(cut).outcome, DataReadOutcome::kUnreadable);
}

TEST(DataWrite, HostileHeadersLeaveTheFileAlone) {
  Bytes good = PlainBitmap();
  ASSERT_EQ(DataWrite(good, B("abc")), DataWriteResult::kOk);
  const uint32_t length = static_cast<uint32_t>(good.size());

  struct Case {
    const char* what;
    uint32_t d;
    std::optional<uint32_t> h;
  };
  const Case cases[] = {
      {"D zero", 0, {}},
      {"D two", 2, {}},
      {"D inside the file header, no marker", 9, {}},
      {"D past the end", length + 1, {}},
      {"D max", 0xFFFFFFFFu, {}},
      {"H past D", 62, 60},
      {"H past the file", 62, length + 1},
      {"H max", 62, 0xFFFFFFFFu},
      {"H inside the file header", 62, 13},
  };
  for (const Case& c : cases) {
    Bytes file = WithOffsets(good, c.d, c.h);
    const Bytes before = file;
    EXPECT_EQ(DataWrite(file, B("new")), DataWriteResult::kFailed) << c.what;
    EXPECT_EQ(file, before) << c.what;
  }

  // H = D - 5 is an empty earlier record: unreadable, but a write may replace it.
  Bytes empty = good;
  PutU32(empty, 57, 57);
  ASSERT_EQ(DataRead(empty).outcome, DataReadOutcome::kUnreadable);
  ASSERT_EQ(DataWrite(empty, B("new")), DataWriteResult::kOk);
  EXPECT_EQ(U32(empty, 10), 57u + 3 + 5);
  EXPECT_EQ(DataRead(empty).record, B("new"));
}

}  // namespace
}  // namespace lum
