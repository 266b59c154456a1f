// Helpers shared by the Win32 tests: a private temp folder, file bytes, names no other test
// or running program uses, message pumping, a plain test window and reading its pixels back.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "config/settings.h"
#include "platform/profile.h"
#include "platform/text.h"

namespace lumtest {

inline std::u16string Utf16(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

// The store as a LUM.ini holding `keys` ("SECTION/KEY" to its text) reads, writing its changes
// to `ini`.
inline void LoadStore(lum::SettingsStore& store, const lum::ProfileFile& ini,
                      std::map<std::u16string, std::u16string> keys = {}) {
  store.Load(
      [keys](std::u16string_view section, std::u16string_view key) {
        auto it = keys.find(std::u16string(section) + u"/" + std::u16string(key));
        return it == keys.end() ? std::u16string() : it->second;
      },
      ini.Writer(), {});
}

// Removes a folder and everything below it; read-only files are made writable first.
inline void RemoveTree(const std::u16string& folder) {
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(lum::Wide(folder + u"\\*"), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::u16string name = lum::FromWide(found.cFileName);
      if (name == u"." || name == u"..") continue;
      std::u16string path = folder + u"\\" + name;
      SetFileAttributesW(lum::Wide(path), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path);
      else
        DeleteFileW(lum::Wide(path));
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(lum::Wide(folder));
}

// A fresh, empty folder under the temp path, removed with its contents at the end of the scope.
class TempFolder {
 public:
  TempFolder() {
    wchar_t base[MAX_PATH + 1] = {};
    DWORD length = GetTempPathW(MAX_PATH, base);
    std::u16string root = length > 0 ? lum::FromWide(base) : u".\\";
    if (root.back() == u'\\') root.pop_back();
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
      std::string name = "lumtest-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) +
                         "-" + std::to_string(attempt);
      std::u16string candidate = root + u"\\" + Utf16(name);
      if (CreateDirectoryW(lum::Wide(candidate), nullptr)) {
        path_ = candidate;
        return;
      }
    }
    ADD_FAILURE() << "no temp folder could be created";
  }
  ~TempFolder() {
    if (!path_.empty()) RemoveTree(path_);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::u16string& path() const { return path_; }
  std::u16string File(std::u16string_view name) const { return path_ + u"\\" + std::u16string(name); }

 private:
  std::u16string path_;
};

inline bool WriteFileBytes(const std::u16string& path, std::string_view bytes) {
  HANDLE file = CreateFileW(lum::Wide(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

// The whole file, or an empty string when it cannot be opened.
inline std::string ReadFileBytes(const std::u16string& path) {
  HANDLE file = CreateFileW(lum::Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

inline bool FileIsThere(const std::u16string& path) {
  return GetFileAttributesW(lum::Wide(path)) != INVALID_FILE_ATTRIBUTES;
}

// A single-instance name of the running test alone: test name plus process id, so that
// tests never meet each other or a real Lumbrel.
inline std::u16string UniqueInstanceName() {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string name = "LumbrelTest.";
  name += info ? std::string(info->test_suite_name()) + "." + info->name() : "outside";
  name += "." + std::to_string(GetCurrentProcessId());
  for (char& c : name)
    if (c == '/' || c == '\\') c = '.';
  return Utf16(name);
}

inline void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// A top-level window of a class without an icon, shown and fully painted by the system.
class TestWindow {
 public:
  TestWindow(DWORD style, DWORD exStyle, const wchar_t* title, int width = 640, int height = 200) {
    static const ATOM windowClass = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof wc;
      wc.lpfnWndProc = DefWindowProcW;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
      wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
      wc.lpszClassName = L"LumbrelTestWindow";
      return RegisterClassExW(&wc);
    }();
    (void)windowClass;
    hwnd_ = CreateWindowExW(exStyle, L"LumbrelTestWindow", title, style, 40, 40, width, height, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (!hwnd_) return;
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    UpdateWindow(hwnd_);
    Settle();
  }
  ~TestWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
    PumpMessages();
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND get() const { return hwnd_; }

  // Lets the system finish its own frame painting (activation repaints the frame), so that
  // what a test paints next is not painted over before it is read back.
  void Settle() const {
    for (int i = 0; i < 5; ++i) {
      PumpMessages();
      Sleep(10);
    }
    PumpMessages();
  }

 private:
  HWND hwnd_ = nullptr;
};

// The whole window (frame and caption included) as 0x00RRGGBB pixels, read through the
// window DC as the renderer writes it.
struct WindowPixels {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

inline WindowPixels CaptureWindow(HWND window) {
  WindowPixels shot;
  RECT r{};
  if (!GetWindowRect(window, &r)) return shot;
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC windowDC = GetWindowDC(window);
  if (!windowDC) return shot;
  HDC memory = CreateCompatibleDC(windowDC);
  HBITMAP bitmap = CreateCompatibleBitmap(windowDC, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, windowDC, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  if (GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS) == height) {
    shot.width = width;
    shot.height = height;
    shot.pixels = std::move(pixels);
    for (uint32_t& p : shot.pixels) p &= 0x00FFFFFF;
  }
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, windowDC);
  return shot;
}

// Live GDI objects of this process, counted exactly. Wine's GetGuiResources answers 0, but
// its handle table holds a fixed number of objects (65,480 here): creating brushes until
// creation fails shows how many entries are left, and the rest are the live objects.
// (Counting is ~65,000 creations; call it a few times per test, not in a loop.)
inline int CountLiveGdiObjects() {
  std::vector<HBRUSH> brushes;
  brushes.reserve(70000);
  while (brushes.size() < 200000) {
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    if (!brush) break;
    brushes.push_back(brush);
  }
  const int free = static_cast<int>(brushes.size());
  for (HBRUSH brush : brushes) DeleteObject(brush);
  return 65536 - free;
}

}  // namespace lumtest
