// Small shell and window operations shared by the forms.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace lum {

// The folder that holds the running executable, without a trailing backslash.
std::u16string ProgramDirectory();

// Opens a document with its associated program; true when the shell started it.
bool OpenDocument(HWND owner, const std::u16string& file);

bool FileExists(const std::u16string& path);

}  // namespace lum

namespace lum {

// Brings a window to the front even when another program owns the foreground; true when
// the window system agreed.
bool ForceForeground(HWND window);

// Mode 1 makes the window topmost, mode 0 takes that back; any other mode does nothing and
// gives 0.
BOOL SetWindowTopmost(HWND window, int mode);

// The whole file, or nothing when it cannot be read (at most `limit` bytes are accepted).
std::optional<std::string> ReadWholeFile(const std::u16string& path, size_t limit);

// The folder exists.
bool DirectoryExists(const std::u16string& path);

// The current directory, without a trailing backslash.
std::u16string CurrentDirectory();

// The screen's dots per inch along LOGPIXELSX or LOGPIXELSY (96 when the screen tells nothing
// usable). The system's DPI holds for the whole session, so it is asked once.
int ScreenDpi(int axis);
// Forms are laid out in twips, 1440 an inch: at `dpi` a twip is dpi/1440 of a pixel, with no
// rounding of that ratio (15 twips a pixel at 96 DPI, 8.57 at 168, 7.5 at 192). Twips become
// whole pixels with the fraction cut off, which at 96, 120 and 144 DPI is the whole number of
// twips a pixel the forms were drawn with.
constexpr int TwipsToPixels(int twips, int dpi) {
  return static_cast<int>(static_cast<long long>(twips) * dpi / 1440);
}
// Pixels as twips, rounded away from zero so that TwipsToPixels gives the same pixels back.
constexpr int PixelsToTwips(int pixels, int dpi) {
  const long long scaled = static_cast<long long>(pixels) * 1440;
  return dpi <= 0 ? 0 : static_cast<int>(scaled >= 0 ? (scaled + dpi - 1) / dpi : (scaled - dpi + 1) / dpi);
}
// The same at the screen's DPI: whole pixels along x or y, and pixels as twips.
int PixelsX(int twips);
int PixelsY(int twips);
int TwipsOfX(int pixels);
int TwipsOfY(int pixels);
// A point of a control's mouse event in twips, unrounded, as the events report it.
float EventTwipsX(int pixels);
float EventTwipsY(int pixels);
// The frame of a window of these styles whose client area is this many twips (rounded to the
// nearest pixel), centred on the screen, in screen coordinates.
RECT CenteredFrame(int clientWidthTwips, int clientHeightTwips, DWORD style, DWORD exStyle);

// The shift (1), control (2) and alt (4) keys held now, as the controls' key and mouse events
// report them.
int16_t ShiftState();
// The mouse buttons of a message's key flags (MK_*) as the controls' events give them: 1 left,
// 2 right, 4 middle.
int16_t MouseButtons(WPARAM keys);

// Lets the window messages that are already waiting run once.
void DoEvents();

}  // namespace lum

namespace lum {

// The two names denote the same file (compared without regard to case).
bool SamePath(const std::u16string& a, const std::u16string& b);

// Deletes a file silently through the shell; true on success.
bool ShellDeleteFile(HWND owner, const std::u16string& path);

// Moves a file into a folder through the shell, renaming it on a name collision.
void ShellMoveFile(HWND owner, const std::u16string& path, const std::u16string& folder);

}  // namespace lum
