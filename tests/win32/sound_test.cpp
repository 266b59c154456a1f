// The news chime inside lumbrel.exe: its format, and that playing it comes back even where
// there is no sound device.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <cstring>

namespace {

struct WaveFormat {
  uint16_t format, channels;
  uint32_t rate, bytesPerSecond;
  uint16_t blockAlign, bits;
};

TEST(NewsChime, IsSixteenBitStereoPcmOf55684Bytes) {
  // The program's own resources, read from the built executable beside the tests.
  HMODULE program = LoadLibraryExW(L"lumbrel.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_TRUE(program) << "lumbrel.exe must stand beside the tests";
  HRSRC resource = FindResourceW(program, MAKEINTRESOURCEW(100), L"WAVE");
  ASSERT_TRUE(resource);
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(program, resource)));
  const DWORD size = SizeofResource(program, resource);
  ASSERT_TRUE(bytes);
  ASSERT_GE(size, 44u);
  EXPECT_EQ(std::memcmp(bytes, "RIFF", 4), 0);
  EXPECT_EQ(std::memcmp(bytes + 8, "WAVEfmt ", 8), 0);
  WaveFormat format{};
  std::memcpy(&format, bytes + 20, sizeof format);
  EXPECT_EQ(format.format, 1);  // PCM
  EXPECT_EQ(format.channels, 2);
  EXPECT_EQ(format.rate, 22050u);
  EXPECT_EQ(format.bits, 16);
  EXPECT_EQ(std::memcmp(bytes + 36, "data", 4), 0);
  uint32_t dataBytes = 0;
  std::memcpy(&dataBytes, bytes + 40, 4);
  EXPECT_EQ(dataBytes, 55684u);
  EXPECT_EQ(size, 44u + dataBytes);

  // Played the way the program plays it: from memory, waiting for the end.
  const DWORD start = GetTickCount();
  sndPlaySoundA(reinterpret_cast<LPCSTR>(bytes), SND_MEMORY | SND_NODEFAULT);
  EXPECT_LT(GetTickCount() - start, 5000u);
  FreeLibrary(program);
}

}  // namespace
