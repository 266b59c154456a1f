#include "platform/shell.h"

#include <shellapi.h>

#include <vector>

#include "platform/scoped_win.h"
#include "platform/text.h"

namespace lum {

std::u16string ProgramDirectory() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return u".";
    if (length < buffer.size()) break;
    buffer.resize(buffer.size() * 2);
  }
  std::u16string path = FromWide(buffer.data());
  size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string::npos ? u"." : path.substr(0, slash);
}

bool OpenDocument(HWND owner, const std::u16string& file) {
  std::u16string directory = CurrentDirectory();
  auto result =
      reinterpret_cast<INT_PTR>(ShellExecuteW(owner, L"open", Wide(file), L"PARA", Wide(directory), SW_SHOWNORMAL));
  return result > 32;
}

bool FileExists(const std::u16string& path) {
  DWORD attributes = GetFileAttributesW(Wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace lum

namespace lum {

bool ForceForeground(HWND window) {
  HWND foreground = GetForegroundWindow();
  if (foreground == window) return true;
  DWORD foregroundThread = GetWindowThreadProcessId(foreground, nullptr);
  DWORD targetThread = GetWindowThreadProcessId(window, nullptr);
  BOOL done;
  if (foregroundThread == targetThread) {
    done = SetForegroundWindow(window);
  } else {
    AttachThreadInput(foregroundThread, targetThread, TRUE);
    done = SetForegroundWindow(window);
    AttachThreadInput(foregroundThread, targetThread, FALSE);
  }
  ShowWindow(window, IsIconic(window) ? SW_RESTORE : SW_SHOW);
  return done != FALSE;
}

BOOL SetWindowTopmost(HWND window, int mode) {
  if (mode != 0 && mode != 1) return FALSE;
  return SetWindowPos(window, mode == 1 ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                      SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE);
}

std::optional<std::string> ReadWholeFile(const std::u16string& path, size_t limit) {
  ScopedHandle file(CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > limit)
    return std::nullopt;
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  DWORD read = 0;
  if (!bytes.empty() &&
      (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) || read != bytes.size()))
    return std::nullopt;
  return bytes;
}

bool DirectoryExists(const std::u16string& path) {
  DWORD attributes = GetFileAttributesW(Wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::u16string CurrentDirectory() {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
  if (length >= buffer.size()) {
    buffer.resize(length + 1);
    length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
  }
  return length > 0 && length < buffer.size() ? FromWide(buffer.data()) : u".";
}

int ScreenDpi(int axis) {
  static int known[2] = {0, 0};
  int& dpi = known[axis == LOGPIXELSY ? 1 : 0];
  if (dpi > 0) return dpi;
  HDC screen = GetDC(nullptr);
  if (!screen) return 96;  // asked again next time
  const int asked = GetDeviceCaps(screen, axis);
  ReleaseDC(nullptr, screen);
  dpi = asked > 0 ? asked : 96;
  return dpi;
}

int PixelsX(int twips) { return TwipsToPixels(twips, ScreenDpi(LOGPIXELSX)); }
int PixelsY(int twips) { return TwipsToPixels(twips, ScreenDpi(LOGPIXELSY)); }
int TwipsOfX(int pixels) { return PixelsToTwips(pixels, ScreenDpi(LOGPIXELSX)); }
int TwipsOfY(int pixels) { return PixelsToTwips(pixels, ScreenDpi(LOGPIXELSY)); }
float EventTwipsX(int pixels) { return static_cast<float>(pixels) * 1440.0f / static_cast<float>(ScreenDpi(LOGPIXELSX)); }
float EventTwipsY(int pixels) { return static_cast<float>(pixels) * 1440.0f / static_cast<float>(ScreenDpi(LOGPIXELSY)); }

RECT CenteredFrame(int clientWidthTwips, int clientHeightTwips, DWORD style, DWORD exStyle) {
  // Rounded to the nearest pixel, as these windows have always been sized.
  RECT frame{0, 0, MulDiv(clientWidthTwips, ScreenDpi(LOGPIXELSX), 1440),
             MulDiv(clientHeightTwips, ScreenDpi(LOGPIXELSY), 1440)};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2, top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  return {left, top, left + width, top + height};
}


int16_t MouseButtons(WPARAM keys) {
  return static_cast<int16_t>(((keys & MK_LBUTTON) ? 1 : 0) | ((keys & MK_RBUTTON) ? 2 : 0) |
                              ((keys & MK_MBUTTON) ? 4 : 0));
}

int16_t ShiftState() {
  int16_t shift = 0;
  if (GetKeyState(VK_SHIFT) < 0) shift |= 1;
  if (GetKeyState(VK_CONTROL) < 0) shift |= 2;
  if (GetKeyState(VK_MENU) < 0) shift |= 4;
  return shift;
}

void DoEvents() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The quit belongs to the outer loop; leave it for that loop.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace lum

namespace lum {

bool SamePath(const std::u16string& a, const std::u16string& b) {
  return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, Wide(a), -1, Wide(b), -1) == CSTR_EQUAL;
}

namespace {
// The shell takes lists of names, each ended by a NUL, the list by a second NUL.
std::u16string NameList(const std::u16string& name) {
  std::u16string list = name;
  list.append(2, u'\0');
  return list;
}

int ShellFileOperation(HWND owner, UINT operation, const std::u16string& from, const std::u16string* to,
                       FILEOP_FLAGS flags) {
  const std::u16string source = NameList(from);
  const std::u16string target = to ? NameList(*to) : std::u16string();
  SHFILEOPSTRUCTW operationRecord{};
  operationRecord.hwnd = owner;
  operationRecord.wFunc = operation;
  operationRecord.pFrom = Wide(source);
  operationRecord.pTo = to ? Wide(target) : nullptr;
  operationRecord.fFlags = flags;
  operationRecord.lpszProgressTitle = L"Lumbrel";
  return SHFileOperationW(&operationRecord);
}
}  // namespace

bool ShellDeleteFile(HWND owner, const std::u16string& path) {
  // Silent, no confirmation, no error dialog.
  return ShellFileOperation(owner, FO_DELETE, path, nullptr, FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOERRORUI) == 0;
}

void ShellMoveFile(HWND owner, const std::u16string& path, const std::u16string& folder) {
  ShellFileOperation(owner, FO_MOVE, path, &folder, FOF_ALLOWUNDO | FOF_RENAMEONCOLLISION);
}

}  // namespace lum
