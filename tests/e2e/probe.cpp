// e2e_probe: tells the end-to-end scripts what they cannot see from X, from inside the Wine
// desktop it runs in: whether a window exists, which one is in front, what the screen shows
// over it.
//
//   e2e_probe RESULT_FILE find WINDOW            describes WINDOW (hidden or not): handle, class,
//                                                process, visibility, foreground, window and
//                                                client rectangles, topmost, title (UTF-8) and
//                                                how many top-level windows share its class
//   e2e_probe RESULT_FILE snap WINDOW BMP_FILE   the same, and the screen under WINDOW as a 24-bit
//                                                BMP, with its caption and caret rectangles
//   e2e_probe RESULT_FILE frames WINDOW MS BMP_FILE
//                                                the screen under WINDOW's caption again and again
//                                                for MS milliseconds, the captures stacked top to
//                                                bottom in one 24-bit BMP, with their times
//   e2e_probe RESULT_FILE follow WINDOW COMPANION MS
//                                                watches for MS milliseconds how COMPANION (a window
//                                                that stands over WINDOW) follows WINDOW's moves:
//                                                "moved" (whether WINDOW moved), "lag" (ms from
//                                                WINDOW's last move until COMPANION stood at the same
//                                                place relative to it again, -1 if it never did),
//                                                "stray" (samples after that where it stood apart
//                                                or hidden); RESULT_FILE.sampling appears once the
//                                                watch has begun
//   e2e_probe RESULT_FILE detached WINDOW MS RRGGBB
//                                                watches for MS milliseconds, every few, where the
//                                                screen shows the colour RRGGBB (a decoration's)
//                                                against WINDOW's caption band as WINDOW stands at
//                                                that moment: "frames", "detached" (frames with the
//                                                colour outside the band), "decorated" (frames with
//                                                it inside), "redecorated" (ms from WINDOW's last
//                                                move to the first decorated frame after it, -1 if
//                                                none), "detached_at" ("ms:pixels" of each detached
//                                                frame); RESULT_FILE.sampling appears once it began
//   e2e_probe RESULT_FILE broadcast MESSAGE      sends MESSAGE (a number, 0x... allowed, or the name
//                                                of a registered message such as TaskbarCreated)
//                                                with no parameters to every top-level window, as
//                                                the system does with WM_DWMCOMPOSITIONCHANGED
//   e2e_probe RESULT_FILE untray WINDOW ID       takes WINDOW's notification-area icon ID away, as
//                                                a taskbar that restarts loses it
//   e2e_probe RESULT_FILE post WINDOW MESSAGE    posts MESSAGE with no parameters to WINDOW (WM_CLOSE, 0x10,
//                                                closes it)
// WINDOW is a top-level window's class name, or "@foreground" for the foreground window.
//
// The answer goes to RESULT_FILE: `wine explorer /desktop=...` returns as soon as it has started
// the probe, so the script waits for the file rather than for a process. Its first line is "ok"
// or "fail REASON", then "key=value" lines. It is written under another name and renamed, so a
// script that sees the file sees all of it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "imaging/bitmap_data.h"
#include "platform/scoped_win.h"

namespace {

struct Result {
  bool ok = false;
  std::string text;  // "key=value" lines
  void Add(const char* key, const std::string& value) { text += std::string(key) + "=" + value + "\n"; }
};

std::string Hex(unsigned long value) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%lx", value);
  return buffer;
}

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
         std::to_string(r.bottom);
}

struct WindowCount {
  const char* className;
  int windows;
};

BOOL CALLBACK CountSameClass(HWND window, LPARAM data) {
  auto count = reinterpret_cast<WindowCount*>(data);
  char name[128] = {};
  GetClassNameA(window, name, sizeof name);
  if (std::string(name) == count->className) ++count->windows;
  return TRUE;
}

void DescribeWindow(HWND window, Result& result) {
  char className[128] = {};
  GetClassNameA(window, className, sizeof className);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  RECT rect{};
  GetWindowRect(window, &rect);
  result.Add("hwnd", Hex(static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window))));
  result.Add("class", className);
  result.Add("pid", std::to_string(pid));
  result.Add("visible", IsWindowVisible(window) ? "1" : "0");
  result.Add("foreground", GetForegroundWindow() == window ? "1" : "0");
  result.Add("window", RectText(rect));
  RECT client{};
  GetClientRect(window, &client);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  result.Add("client", RectText(client));
  result.Add("enabled", IsWindowEnabled(window) ? "1" : "0");
  // The control of the window that has the keyboard focus, by its identifier (0: none of them).
  GUITHREADINFO thread{};
  thread.cbSize = sizeof thread;
  const bool known = GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) && thread.hwndFocus;
  result.Add("focus",
             known && IsChild(window, thread.hwndFocus) ? std::to_string(GetDlgCtrlID(thread.hwndFocus)) : "0");
  result.Add("topmost", (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? "1" : "0");
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  char utf8[1024] = {};
  WideCharToMultiByte(CP_UTF8, 0, title, -1, utf8, sizeof utf8, nullptr, nullptr);
  result.Add("title", utf8);
  WindowCount count{className, 0};
  EnumWindows(CountSameClass, reinterpret_cast<LPARAM>(&count));
  result.Add("same_class", std::to_string(count.windows));
}

// The title bar in window coordinates, for a window with a sizing frame, from the system metrics.
RECT CaptionRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  const int frameX = GetSystemMetrics(SM_CXFRAME), frameY = GetSystemMetrics(SM_CYFRAME);
  return RECT{frameX, frameY, rect.right - rect.left - frameX,
              frameY + GetSystemMetrics(SM_CYCAPTION) - GetSystemMetrics(SM_CYBORDER)};
}

// The blinking caret of the window's thread in window coordinates, so that a comparison can leave it out.
bool CaretRect(HWND window, RECT& caret) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) || !info.hwndCaret) return false;
  RECT rect{};
  GetWindowRect(window, &rect);
  caret = info.rcCaret;
  MapWindowPoints(info.hwndCaret, nullptr, reinterpret_cast<POINT*>(&caret), 2);
  OffsetRect(&caret, -rect.left, -rect.top);
  return true;
}

bool WriteBmp24(const char* path, int width, int height, const void* rows, size_t rowBytes) {
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = -height;  // top-down, as captured
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = static_cast<DWORD>(rowBytes * height);
  BITMAPFILEHEADER header{};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof header + sizeof info;
  header.bfSize = header.bfOffBits + info.biSizeImage;
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  bool written = std::fwrite(&header, sizeof header, 1, file) == 1 && std::fwrite(&info, sizeof info, 1, file) == 1 &&
                 std::fwrite(rows, info.biSizeImage, 1, file) == 1;
  return std::fclose(file) == 0 && written;
}

// A top-down 24-bit DIB section of the given size; `bits` receives its pixels.
lum::ScopedBitmap TopDownDib(HDC reference, int width, int height, void*& bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  return lum::ScopedBitmap(CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
}

// Copies what the screen shows under the window (from the desktop's DC, so whatever any process
// painted there counts) into a 24-bit BMP.
bool Snap(HWND window, const char* path, Result& result) {
  RECT rect{};
  if (!GetWindowRect(window, &rect)) return false;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  lum::ScopedWindowDC screen(nullptr, lum::ScopedWindowDC::kClient);
  if (!screen || width <= 0 || height <= 0) return false;
  void* bits = nullptr;
  lum::ScopedBitmap pixels = TopDownDib(screen.get(), width, height, bits);
  lum::ScopedMemoryDC memory(screen.get());
  if (!pixels || !memory) return false;
  {
    lum::ScopedSelect selected(memory.get(), pixels.get());
    if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), rect.left, rect.top, SRCCOPY)) return false;
  }
  GdiFlush();
  result.Add("caption", RectText(CaptionRect(window)));
  RECT caret{};
  if (CaretRect(window, caret)) result.Add("caret", RectText(caret));
  return WriteBmp24(path, width, height, bits, (static_cast<size_t>(width) * 3 + 3) & ~size_t{3});
}

// Captures the screen under the window's caption every few milliseconds for `durationMs`: a
// series fast enough to see each frame of a caption that changes every timer tick. The captures
// go one under the other into one BMP; "times" lists when each was taken (ms after the first).
bool Frames(HWND window, int durationMs, const char* path, Result& result) {
  RECT rect{};
  if (!GetWindowRect(window, &rect) || durationMs <= 0) return false;
  const RECT caption = CaptionRect(window);
  const int width = caption.right - caption.left, height = caption.bottom - caption.top;
  constexpr int kIntervalMs = 10, kMaxFrames = 600;
  const int capacity = std::min(kMaxFrames, durationMs / kIntervalMs + 1);
  lum::ScopedWindowDC screen(nullptr, lum::ScopedWindowDC::kClient);
  if (!screen || width <= 0 || height <= 0) return false;
  void* bits = nullptr;
  lum::ScopedBitmap pixels = TopDownDib(screen.get(), width, height * capacity, bits);
  lum::ScopedMemoryDC memory(screen.get());
  if (!pixels || !memory) return false;
  std::string times;
  int count = 0;
  const DWORD start = GetTickCount();
  {
    lum::ScopedSelect selected(memory.get(), pixels.get());
    for (; count < capacity; ++count) {
      const DWORD now = GetTickCount() - start;
      if (count > 0 && now >= static_cast<DWORD>(durationMs)) break;
      if (!BitBlt(memory.get(), 0, count * height, width, height, screen.get(), rect.left + caption.left,
                  rect.top + caption.top, SRCCOPY))
        return false;
      GdiFlush();
      times += (count ? " " : "") + std::to_string(now);
      Sleep(kIntervalMs);
    }
  }
  result.Add("caption", RectText(caption));
  result.Add("frames", std::to_string(count));
  result.Add("times", times);
  return WriteBmp24(path, width, height * count, bits, (static_cast<size_t>(width) * 3 + 3) & ~size_t{3});
}

// Samples both windows every few milliseconds: where the companion stands relative to the
// window at the start is where it must stand again after the window's last move.
bool Follow(HWND window, HWND companion, int durationMs, const std::string& resultPath, Result& result) {
  struct Sample {
    DWORD time;
    RECT window, companion;
    bool shown;
  };
  auto take = [&](DWORD start) {
    Sample s{GetTickCount() - start, {}, {}, IsWindowVisible(companion) != FALSE};
    GetWindowRect(window, &s.window);
    GetWindowRect(companion, &s.companion);
    return s;
  };
  const DWORD start = GetTickCount();
  std::vector<Sample> samples{take(start)};
  if (!samples[0].shown || durationMs <= 0) return false;
  if (FILE* mark = std::fopen((resultPath + ".sampling").c_str(), "wb")) std::fclose(mark);
  while (samples.back().time < static_cast<DWORD>(durationMs)) {
    Sleep(5);
    samples.push_back(take(start));
  }
  const Sample& first = samples.front();
  auto inPlace = [&](const Sample& s) {
    return s.shown && s.companion.left - s.window.left == first.companion.left - first.window.left &&
           s.companion.top - s.window.top == first.companion.top - first.window.top &&
           s.companion.right - s.companion.left == first.companion.right - first.companion.left;
  };
  size_t lastMove = 0;
  for (size_t i = 1; i < samples.size(); ++i)
    if (!EqualRect(&samples[i].window, &samples[i - 1].window)) lastMove = i;
  long lag = -1;
  int stray = 0;
  for (size_t i = lastMove; i < samples.size(); ++i) {
    if (lag < 0 && inPlace(samples[i]))
      lag = static_cast<long>(samples[i].time - samples[lastMove].time);
    else if (lag >= 0 && !inPlace(samples[i]))
      ++stray;
  }
  result.Add("moved", lastMove > 0 ? "1" : "0");
  result.Add("lag", std::to_string(lag));
  result.Add("stray", std::to_string(stray));
  result.Add("samples", std::to_string(samples.size()));
  return true;
}

// Reads the whole screen every few milliseconds and counts, in each frame, the decoration's
// colour inside the window's caption band (its top rows, the window as it stands then) and
// outside it; the taskbar's rows are left out.
bool Detached(HWND window, int durationMs, COLORREF colour, const std::string& resultPath, Result& result) {
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN) - 48;
  const int band = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME) + 2;
  lum::ScopedWindowDC screen(nullptr, lum::ScopedWindowDC::kClient);
  if (!screen || width <= 0 || height <= 0 || durationMs <= 0) return false;
  void* bits = nullptr;
  lum::ScopedBitmap pixels = TopDownDib(screen.get(), width, height, bits);
  lum::ScopedMemoryDC memory(screen.get());
  if (!pixels || !memory) return false;
  lum::ScopedSelect selected(memory.get(), pixels.get());
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  const auto* rows = static_cast<const uint8_t*>(bits);
  if (FILE* mark = std::fopen((resultPath + ".sampling").c_str(), "wb")) std::fclose(mark);
  int frames = 0, detached = 0, decorated = 0;
  long lastMove = -1, redecorated = -1;
  std::string where;  // "ms:pixels" of each detached frame
  RECT before{};
  GetWindowRect(window, &before);
  std::vector<std::pair<DWORD, RECT>> places{{0, before}};  // where the window stood, and since when
  const DWORD start = GetTickCount();
  for (DWORD now = 0; now < static_cast<DWORD>(durationMs); now = GetTickCount() - start) {
    // The window may move while the screen is read, and X may show the desktop's uncovered part
    // a little late: a frame is judged against the band at every place the window stood in the
    // last 100 ms. A decoration left behind stays there longer than that.
    RECT at{}, after{};
    GetWindowRect(window, &at);
    if (!BitBlt(memory.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY | CAPTUREBLT)) return false;
    GdiFlush();
    GetWindowRect(window, &after);
    if (!EqualRect(&at, &before) || !EqualRect(&after, &at)) lastMove = static_cast<long>(now), redecorated = -1;
    before = after;
    for (const RECT& r : {at, after})
      if (places.empty() || !EqualRect(&places.back().second, &r)) places.emplace_back(now, r);
    while (places.size() > 2 && now - places[1].first > 100) places.erase(places.begin());
    auto inBand = [&](int x, int y) {
      for (const auto& [time, r] : places)
        if (x >= r.left && x < r.right && y >= r.top && y < r.top + band) return true;
      return false;
    };
    int inside = 0, outside = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const uint8_t* p = rows + y * stride + x * 3;  // blue, green, red
        if (RGB(p[2], p[1], p[0]) == colour) ++(inBand(x, y) ? inside : outside);
      }
    ++frames;
    if (outside > 0) where += (where.empty() ? "" : " ") + std::to_string(now) + ":" + std::to_string(outside);
    detached += outside > 0;
    decorated += inside > 0;
    if (inside > 0 && lastMove >= 0 && redecorated < 0) redecorated = static_cast<long>(now) - lastMove;
    Sleep(5);
  }
  result.Add("frames", std::to_string(frames));
  result.Add("detached", std::to_string(detached));
  result.Add("decorated", std::to_string(decorated));
  result.Add("redecorated", std::to_string(redecorated));
  result.Add("detached_at", where);
  return true;
}

// A window given as a class name, or "@foreground".
HWND FindTopLevel(const std::string& target) {
  return target == "@foreground" ? GetForegroundWindow() : FindWindowA(target.c_str(), nullptr);
}

// Writes a channel file the way the program's own writer does: the record put into a copy of
// the picture with DataWrite.
bool MakeChannel(const std::string& picture, const std::string& record, const std::string& out) {
  std::ifstream in(picture, std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) return false;
  std::span<const uint8_t> text(reinterpret_cast<const uint8_t*>(record.data()), record.size());
  if (lum::DataWrite(bytes, text) != lum::DataWriteResult::kOk) return false;
  std::ofstream file(out, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return file.good();
}

Result Run(int argc, char** argv) {
  Result result;
  const std::string command = argc > 2 ? argv[2] : "";
  if (command == "channel" && argc == 6) {
    result.ok = MakeChannel(argv[3], argv[4], argv[5]);
    if (!result.ok) result.text = "could not write the channel file\n";
    return result;
  }
  if (command == "broadcast" && argc == 4) {
    char* end = nullptr;
    auto message = static_cast<UINT>(std::strtoul(argv[3], &end, 0));
    if (end == argv[3]) message = RegisterWindowMessageA(argv[3]);
    DWORD_PTR answer = 0;
    result.ok = message != 0 && SendMessageTimeoutW(HWND_BROADCAST, message, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    if (!result.ok) result.text = "the message was not sent\n";
    return result;
  }
  HWND window = nullptr;
  if (command == "find" && argc == 4) {
    window = FindTopLevel(argv[3]);
  } else if (command == "snap" && argc == 5) {
    window = FindTopLevel(argv[3]);
    if (window && !Snap(window, argv[4], result)) {
      result.text = "could not capture the screen\n";
      return result;
    }
  } else if (command == "frames" && argc == 6) {
    window = FindTopLevel(argv[3]);
    if (window && !Frames(window, std::atoi(argv[4]), argv[5], result)) {
      result.text = "could not capture the screen\n";
      return result;
    }
  } else if (command == "post" && argc == 5) {
    window = FindTopLevel(argv[3]);
    const auto message = static_cast<UINT>(std::strtoul(argv[4], nullptr, 0));
    if (window) {
      // Described first: once the message is handled the window may be gone.
      DescribeWindow(window, result);
      result.ok = PostMessageW(window, message, 0, 0) != FALSE;
      if (!result.ok) result.text = "the message was not posted\n";
      return result;
    }
  } else if (command == "detached" && argc == 6) {
    window = FindTopLevel(argv[3]);
    const auto rgb = static_cast<uint32_t>(std::strtoul(argv[5], nullptr, 16));
    if (window && !Detached(window, std::atoi(argv[4]), RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF), argv[1],
                            result)) {
      result.text = "could not capture the screen\n";
      return result;
    }
  } else if (command == "untray" && argc == 5) {
    window = FindTopLevel(argv[3]);
    if (window) {
      NOTIFYICONDATAA icon{};
      icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
      icon.hWnd = window;
      icon.uID = static_cast<UINT>(std::strtoul(argv[4], nullptr, 0));
      DescribeWindow(window, result);
      result.ok = Shell_NotifyIconA(NIM_DELETE, &icon) != FALSE;
      if (!result.ok) result.text = "the shell had no such icon\n";
      return result;
    }
  } else if (command == "follow" && argc == 6) {
    window = FindTopLevel(argv[3]);
    HWND companion = FindTopLevel(argv[4]);
    if (window && (!companion || !Follow(window, companion, std::atoi(argv[5]), argv[1], result))) {
      result.text = "the companion window is not shown over the window\n";
      return result;
    }
  } else {
    result.text = "usage: e2e_probe RESULT_FILE find|snap|frames|follow|detached|channel|broadcast|post|untray ...\n";
    return result;
  }
  if (!window) {
    result.text = "no such window\n";
    return result;
  }
  DescribeWindow(window, result);
  result.ok = true;
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fputs("usage: e2e_probe RESULT_FILE COMMAND ARGS...\n", stderr);
    return 2;
  }
  Result result = Run(argc, argv);
  const std::string resultPath = argv[1], partPath = resultPath + ".part";
  FILE* file = std::fopen(partPath.c_str(), "wb");
  if (!file) return 2;
  std::fprintf(file, "%s%s", result.ok ? "ok\n" : "fail ", result.text.c_str());
  std::fclose(file);
  MoveFileExA(partPath.c_str(), resultPath.c_str(), MOVEFILE_REPLACE_EXISTING);
  return result.ok ? 0 : 1;
}
