// Regions shaped by pictures: built from a DIB section, applied to real windows, saved,
// loaded from files and resources, and fed thousands of broken region-data blocks.
#include "imaging/bitmap_region.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/text.h"
#include "test_support.h"

namespace {

using lum::BitmapRegion;
using lum::DibSection;
using lum::RegionResult;

constexpr COLORREF kClear = RGB(0x10, 0x20, 0x30);

// A DIB drawn top row first, '.' in the transparent colour and anything else white; the row
// padding is filled with the transparent colour's bytes, which must not count as a column.
void Draw(DibSection& dib, const std::vector<std::string>& rows) {
  const int width = static_cast<int>(rows[0].size()), height = static_cast<int>(rows.size());
  ASSERT_TRUE(dib.Create(width, height));
  const lum::DibPixels pixels = dib.Pixels();
  for (size_t i = 0; i < pixels.bytes.size(); ++i) pixels.bytes[i] = i % 3 == 0 ? 0x30 : i % 3 == 1 ? 0x20 : 0x10;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (rows[y][x] != '.') std::fill_n(pixels.Row(height - 1 - y) + 3 * x, 3, 0xFF);
}

std::string RegionBytes(HRGN region) {
  const DWORD size = region ? GetRegionData(region, 0, nullptr) : 0;
  std::string bytes(size, '\0');
  if (size) GetRegionData(region, size, reinterpret_cast<RGNDATA*>(bytes.data()));
  return bytes;
}

bool SameRegion(HRGN region, std::initializer_list<RECT> rects) {
  HRGN expected = CreateRectRgn(0, 0, 0, 0);
  for (const RECT& r : rects) {
    HRGN part = CreateRectRgn(r.left, r.top, r.right, r.bottom);
    CombineRgn(expected, expected, part, RGN_OR);
    DeleteObject(part);
  }
  const bool same = region && EqualRgn(region, expected);
  DeleteObject(expected);
  return same;
}

std::u16string ThisProgram() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return lum::FromWide(path);
}

std::u16string BesideTests(const char16_t* name) {
  const std::u16string program = ThisProgram();
  return program.substr(0, program.find_last_of(u'\\') + 1) + name;
}

void ExpectError(const RegionResult& result, int32_t number, const std::u16string& description) {
  EXPECT_EQ(result.number, number);
  EXPECT_EQ(result.description, description);
  EXPECT_EQ(result.source, u"lumbrel_win32_tests.cDIBSectionRegion");
}

TEST(BitmapRegion, ShapesFromPicturesAndRoundTripsThroughFiles) {
  lumtest::TempFolder temp;
  DibSection dib;
  BitmapRegion region;
  ExpectError(region.Save(temp.File(u"none.rgn")), lum::kNoRegionToSave, u"No region to save");

  // Top and bottom differ, so a flipped row order would cut other pixels; the transparent
  // colour's red and blue differ, so a swapped byte order would find none.
  Draw(dib, {"..#", ".##", "###", "#.."});
  ASSERT_TRUE(region.Create(dib, kClear));
  EXPECT_TRUE(SameRegion(region.hRgn(), {{2, 0, 3, 1}, {1, 1, 3, 2}, {0, 2, 3, 3}, {0, 3, 1, 4}}));
  ASSERT_TRUE(region.Create(dib, RGB(0x30, 0x20, 0x10)));
  EXPECT_TRUE(SameRegion(region.hRgn(), {{0, 0, 3, 4}}));
  ASSERT_TRUE(region.Create(dib, kClear));

  // Saved over an older file and loaded back: the same data byte for byte, no file left over.
  const std::u16string file = temp.File(u"shape.rgn");
  ASSERT_TRUE(lumtest::WriteFileBytes(file, std::string(5000, 'x')));
  ASSERT_TRUE(region.Save(file).ok());
  const std::string saved = RegionBytes(region.hRgn());
  EXPECT_EQ(lumtest::ReadFileBytes(file), saved);
  BitmapRegion loaded;
  ASSERT_TRUE(loaded.LoadFromFile(file).ok());
  EXPECT_EQ(RegionBytes(loaded.hRgn()), saved);
  WIN32_FIND_DATAW found{};
  EXPECT_EQ(FindFirstFileW(lum::Wide(temp.File(u"*.tmp")), &found), INVALID_HANDLE_VALUE);

  // Failures carry the system's own number or ours, and keep the region that was there.
  HRGN before = loaded.hRgn();
  const RegionResult missing = loaded.LoadFromFile(temp.File(u"missing.rgn"));
  EXPECT_EQ(missing.number, ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(missing.description.empty());
  ASSERT_TRUE(lumtest::WriteFileBytes(temp.File(u"bad.rgn"), saved.substr(0, 40)));
  ExpectError(loaded.LoadFromFile(temp.File(u"bad.rgn")), lum::kInvalidRegionData, u"Invalid region data");
  EXPECT_EQ(loaded.hRgn(), before);
  const RegionResult unsaved = region.Save(temp.File(u"no such folder\\x.rgn"));
  EXPECT_FALSE(unsaved.ok());
  EXPECT_LT(unsaved.number, 26000);
}

TEST(BitmapRegion, EveryWindowGetsItsOwnCopy) {
  {
    // The first windows of a process leave the system's own caches behind; they are made here,
    // before counting.
    lumtest::TestWindow a(WS_POPUP, 0, L"a", 3, 3), b(WS_POPUP, 0, L"b", 3, 3), c(WS_POPUP, 0, L"c", 3, 3);
    SetWindowRgn(a.get(), CreateRectRgn(0, 0, 1, 1), TRUE);
  }
  const int liveBefore = lumtest::CountLiveGdiObjects();
  {
    DibSection dib;
    Draw(dib, {"###", "#.#", "###"});
    BitmapRegion region;
    ASSERT_TRUE(region.Create(dib, kClear));
    {
      lumtest::TestWindow first(WS_POPUP, 0, L"first", 3, 3), second(WS_POPUP, 0, L"second", 3, 3);
      lumtest::TestWindow other(WS_POPUP, 0, L"other", 3, 3);
      region.Applied(first.get(), true);
      region.Applied(second.get(), true);
      region.Applied(first.get(), true);
      EXPECT_EQ(region.AppliedToCount(), 2);
      EXPECT_EQ(region.hWndForIndex(1), first.get());
      EXPECT_EQ(region.hWndForIndex(2), second.get());
      EXPECT_EQ(region.hWndForIndex(3), nullptr);
      EXPECT_TRUE(region.Applied(second.get()));
      EXPECT_FALSE(region.Applied(other.get()));
      HRGN shape = CreateRectRgn(0, 0, 0, 0);
      for (HWND window : {first.get(), second.get()}) {
        ASSERT_EQ(GetWindowRgn(window, shape), COMPLEXREGION);
        EXPECT_TRUE(EqualRgn(shape, region.hRgn()));
      }

      // Taking it off a window that never had it still clears that window's region.
      SetWindowRgn(other.get(), CreateRectRgn(0, 0, 1, 1), TRUE);
      region.Applied(other.get(), false);
      EXPECT_EQ(GetWindowRgn(other.get(), shape), ERROR);
      region.Applied(first.get(), false);
      EXPECT_EQ(GetWindowRgn(first.get(), shape), ERROR);
      EXPECT_EQ(region.AppliedToCount(), 1);
      region.Applied(first.get(), true);
      DeleteObject(shape);
    }
    // Both windows are gone and took their regions with them; ours is still whole.
    RECT box{};
    EXPECT_EQ(GetRgnBox(region.hRgn(), &box), COMPLEXREGION);
    region.Destroy();
    EXPECT_EQ(region.AppliedToCount(), 0);
    EXPECT_EQ(region.hRgn(), nullptr);

    lumtest::TestWindow third(WS_POPUP, 0, L"third", 3, 3);
    ASSERT_TRUE(region.Create(dib, kClear));
    region.Applied(third.get(), true);
    region.Destroy();
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(third.get(), shape), ERROR);
    DeleteObject(shape);
  }
  EXPECT_EQ(lumtest::CountLiveGdiObjects(), liveBefore);
}

TEST(BitmapRegion, LoadsFromOurResourcesAndFromAModuleLoadedAsData) {
  // This program's own file serves as the module loaded as data.
  const std::u16string program = ThisProgram();
  BitmapRegion own, byName, named, fromModule, fromModuleByName, fromModuleNamed;
  ASSERT_TRUE(own.LoadFromResource(101).ok());
  EXPECT_TRUE(SameRegion(own.hRgn(), {{4, 0, 8, 4}, {0, 4, 12, 8}, {4, 8, 8, 12}}));
  ASSERT_TRUE(byName.LoadFromResource(u"#101").ok());
  ASSERT_TRUE(named.LoadFromResource(u"CROSS").ok());
  ASSERT_TRUE(fromModule.LoadFromResource(101, program).ok());
  ASSERT_TRUE(fromModuleByName.LoadFromResource(u"#101", program).ok());
  ASSERT_TRUE(fromModuleNamed.LoadFromResource(u"cross", program).ok());
  for (const BitmapRegion* other : {&byName, &named, &fromModule, &fromModuleByName, &fromModuleNamed})
    EXPECT_EQ(RegionBytes(other->hRgn()), RegionBytes(own.hRgn()));

  HRGN before = own.hRgn();
  ExpectError(own.LoadFromResource(102), lum::kResourceUnavailable, u"Resource with ID 102 could not be found");
  ExpectError(own.LoadFromResource(70000), lum::kResourceUnavailable, u"Resource with ID 70000 could not be found");
  ExpectError(own.LoadFromResource(u"#102", program), lum::kResourceUnavailable,
              u"Resource with ID #102 could not be found");
  ExpectError(own.LoadFromResource(102, program), lum::kResourceUnavailable,
              u"Resource with ID 102 could not be found");
  ExpectError(own.LoadFromResource(101, BesideTests(u"no-such-module.dll")), lum::kResourceModuleUnavailable,
              u"Can't open DLL for Resource Access");
  EXPECT_EQ(own.hRgn(), before);
}

// One of several kinds of damage to a region-data block.
std::string Mutate(std::string block, std::mt19937& random) {
  auto put = [&](size_t at, int32_t value) {
    if (at + 4 <= block.size()) std::memcpy(block.data() + at, &value, 4);
  };
  static const int32_t kEdges[] = {0, 1, -1, 16, 31, 32, 33, INT_MAX, INT_MIN, 0x10000000, 0x0FFFFFFF, 1 << 20};
  switch (random() % 6) {
    case 0:
      for (int n = 1 + random() % 4; n > 0; --n) block[random() % block.size()] = static_cast<char>(random());
      break;
    case 1:
      put(4 * (random() % 4), kEdges[random() % std::size(kEdges)]);
      break;
    case 2:
      block.resize(random() % block.size());
      break;
    case 3:
      block.append(random() % 64, static_cast<char>(random()));
      break;
    case 4:  // a rectangle turned inside out or stretched to the ends of the coordinates
      put(32 + 4 * (random() % ((block.size() - 32) / 4)), kEdges[random() % std::size(kEdges)]);
      break;
    default:
      put(8, static_cast<int32_t>((block.size() - 32) / 16 + random() % 3));
      put(12, static_cast<int32_t>(random() % 2 ? 0 : block.size() - 32 + random() % 3));
      break;
  }
  return block;
}

// A load either makes a region or fails with "Invalid region data" and keeps the old one.
void ExpectSoundLoad(BitmapRegion& region, const RegionResult& result, HRGN before) {
  if (result.ok()) {
    ASSERT_TRUE(region.hRgn());
    RECT box{};
    EXPECT_NE(GetRgnBox(region.hRgn(), &box), ERROR);
  } else {
    EXPECT_EQ(result.number, lum::kInvalidRegionData);
    EXPECT_EQ(region.hRgn(), before);
  }
}

TEST(BitmapRegion, BrokenRegionFilesAndResourcesNeverCrashOrLeak) {
  lumtest::TempFolder temp;
  DibSection dib;
  Draw(dib, {"#.#.#", ".#.#.", "##..#", "#...#"});
  BitmapRegion region;
  ASSERT_TRUE(region.Create(dib, kClear));
  const std::string good = RegionBytes(region.hRgn());
  std::mt19937 random(2026);
  const int liveBefore = lumtest::CountLiveGdiObjects();

  const std::u16string file = temp.File(u"mutant.rgn");
  int made = 0;
  for (int run = 0; run < 3000; ++run) {
    ASSERT_TRUE(lumtest::WriteFileBytes(file, Mutate(good, random)));
    HRGN before = region.hRgn();
    const RegionResult result = region.LoadFromFile(file);
    made += result.ok();
    ExpectSoundLoad(region, result, before);
  }

  // The same damage carried as raw-data resources 1000..2999 of a copy of this program.
  const std::u16string module = temp.File(u"mutants.exe");
  ASSERT_TRUE(CopyFileW(lum::Wide(ThisProgram()), lum::Wide(module), FALSE));
  HANDLE update = BeginUpdateResourceW(lum::Wide(module), FALSE);
  ASSERT_TRUE(update);
  std::vector<std::string> mutants;
  for (int id = 1000; id < 3000; ++id) {
    mutants.push_back(Mutate(good, random));
    if (mutants.back().empty()) mutants.back() = "x";  // an empty resource can't be added
    ASSERT_TRUE(UpdateResourceW(update, MAKEINTRESOURCEW(10), MAKEINTRESOURCEW(id), 0, mutants.back().data(),
                                static_cast<DWORD>(mutants.back().size())))
        << id;
  }
  ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
  for (int id = 1000; id < 3000; ++id) {
    HRGN before = region.hRgn();
    const RegionResult result = region.LoadFromResource(id, module);
    made += result.ok();
    ExpectSoundLoad(region, result, before);
  }
  // Every module loaded for a resource was freed, so the file can go.
  EXPECT_TRUE(DeleteFileW(lum::Wide(module)));
  EXPECT_GT(made, 100);
  EXPECT_LT(made, 4500);

  region.Destroy();
  ASSERT_TRUE(region.Create(dib, kClear));
  EXPECT_EQ(lumtest::CountLiveGdiObjects(), liveBefore);
}

}  // namespace
