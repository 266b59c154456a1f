// Small shell and window operations shared by the forms.
#pragma once

#include <windows.h>

#include <cstdint>
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

// The folder exists.
bool DirectoryExists(const std::u16string& path);

// The current directory, without a trailing backslash.
std::u16string CurrentDirectory();

// The screen's dots per inch along LOGPIXELSX or LOGPIXELSY (96 when the screen tells nothing
// usable). The system's DPI holds for the whole session, so it is asked once.
int ScreenDpi(int axis);
// Twips per screen pixel along LOGPIXELSX or LOGPIXELSY (15 at 96 DPI): forms are placed in twips.
int TwipsPerPixel(int axis);
// Twips as whole pixels, rounded to the nearest.
int PixelsX(int twips);
int PixelsY(int twips);
// The frame of a window of these styles whose client area is this many twips, centred on the
// screen, in screen coordinates.
RECT CenteredFrame(int clientWidthTwips, int clientHeightTwips, DWORD style, DWORD exStyle);
int TwipsX();  // TwipsPerPixel(LOGPIXELSX)
int TwipsY();  // TwipsPerPixel(LOGPIXELSY)

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
