// The caption layers one at a time, composed into a memory bitmap and read back pixel by
// pixel: tiled picture and black fallback, caption buttons against the system's own faces,
// the window icon (with a hung window), the title with clock, outline and alignment, and
// the caption font.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "config/settings.h"
#include "dib_surface.h"
#include "platform/scoped_win.h"
#include "render/caption_renderer.h"
#include "test_support.h"

namespace {

using lum::CaptionRect;
using lum::CaptionRenderer;
using lum::ScopedBitmap;
using lum::ScopedFont;
using lum::ScopedMemoryDC;
using lum::ScopedSelect;
using lumtest::Surface;

// The first pixel where two compositions differ, or an empty string.
std::string FirstDifference(const std::vector<uint32_t>& got, const std::vector<uint32_t>& want, int width) {
  if (got.size() != want.size()) return "sizes differ";
  for (size_t i = 0; i < got.size(); ++i)
    if (got[i] != want[i]) return "(" + std::to_string(i % width) + ", " + std::to_string(i / width) + ")";
  return "";
}

// A window class of its own, with or without icons; unregistered at the end of the scope.
class WindowClass {
 public:
  WindowClass(const wchar_t* name, HICON icon = nullptr, HICON smallIcon = nullptr) : name_(name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
    wc.lpszClassName = name;
    EXPECT_TRUE(RegisterClassExW(&wc));
  }
  ~WindowClass() { UnregisterClassW(name_, GetModuleHandleW(nullptr)); }
  const wchar_t* name() const { return name_; }

 private:
  const wchar_t* name_;
};

// A hidden top-level window: enough for styles, title and icons, and no frame painting to wait for.
class Window {
 public:
  Window(const wchar_t* windowClass, DWORD style, DWORD exStyle = 0, const wchar_t* title = L"")
      : hwnd_(CreateWindowExW(exStyle, windowClass, title, style, 40, 40, 500, 200, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr)) {}
  ~Window() {
    if (hwnd_) DestroyWindow(hwnd_);
    lumtest::PumpMessages();
  }
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

// A 16 x 16 icon of one opaque colour, so that where it lands shows exactly.
class SolidIcon {
 public:
  explicit SolidIcon(uint32_t pixel) {
    std::vector<uint32_t> colour(16 * 16, pixel);
    std::vector<uint8_t> mask(2 * 16, 0);  // 0 = opaque
    ScopedBitmap colourBitmap(CreateBitmap(16, 16, 1, 32, colour.data()));
    ScopedBitmap maskBitmap(CreateBitmap(16, 16, 1, 1, mask.data()));
    ICONINFO info{TRUE, 0, 0, maskBitmap.get(), colourBitmap.get()};
    icon_ = CreateIconIndirect(&info);
  }
  ~SolidIcon() { DestroyIcon(icon_); }
  HICON get() const { return icon_; }

 private:
  HICON icon_;
};

// ---- Background ----

constexpr uint32_t kSentinel = 0x00FF00;  // blue byte 0: never a picture colour
// Every pixel of a picture up to 1024 x 64 differs, so a tile shifted by a pixel shows.
uint32_t PictureColour(int x, int y) {
  return static_cast<uint32_t>((x & 0xFF) << 16 | ((x >> 8 & 3) << 6 | (y & 0x3F)) << 8 | 0xA5);
}
ScopedBitmap Picture(int width, int height) {
  std::vector<uint32_t> bits;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) bits.push_back(PictureColour(x, y));
  return ScopedBitmap(CreateBitmap(width, height, 1, 32, bits.data()));
}

// The caption is tiled from its top-left; nothing lands left of or above it, nor beyond the
// last column and row (which may run past the caption's right and bottom).
void ExpectTiled(int pictureWidth, int pictureHeight, int columns, int rows) {
  const CaptionRect rect{5, 3, 305, 21};
  Window window(L"STATIC", WS_OVERLAPPEDWINDOW);
  ScopedBitmap picture = Picture(pictureWidth, pictureHeight);
  Surface surface(700, 40, kSentinel);
  CaptionRenderer renderer;
  renderer.SetCaptionPicture(picture.get());
  renderer.DrawPictureBackground(window.get(), surface.dc(), rect);
  const std::vector<uint32_t> pixels = surface.Pixels();
  const int tiledRight = rect.left + columns * pictureWidth, tiledBottom = rect.top + rows * pictureHeight;
  int wrong = 0, stray = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 700; ++x) {
      const uint32_t p = pixels[y * 700 + x];
      if (x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom)
        wrong += p != PictureColour((x - rect.left) % pictureWidth, (y - rect.top) % pictureHeight);
      else if (x < rect.left || y < rect.top || x >= tiledRight || y >= tiledBottom)
        stray += p != kSentinel;
    }
  EXPECT_EQ(wrong, 0) << "caption pixels unlike the tiling";
  EXPECT_EQ(stray, 0) << "pixels drawn outside " << columns << " columns and " << rows << " rows";
}

TEST(CaptionLayerBackground, PictureTilesFromTheCaptionsTopLeft) {
  {
    SCOPED_TRACE("300-pixel caption, 40 x 7 picture: 8 columns (the last cut), 3 rows");
    ExpectTiled(40, 7, 8, 3);
  }
  {
    SCOPED_TRACE("picture wider than the caption: one column");
    ExpectTiled(500, 7, 1, 3);
  }
}

TEST(CaptionLayerBackground, WithoutPictureTheCaptionAloneTurnsBlack) {
  const CaptionRect rect{5, 3, 305, 21};
  Window window(L"STATIC", WS_OVERLAPPEDWINDOW);
  Surface surface(320, 30, kSentinel);
  CaptionRenderer renderer;
  renderer.DrawGradientBackground(window.get(), surface.dc(), rect);
  const std::vector<uint32_t> pixels = surface.Pixels();
  int wrong = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 320; ++x) {
      const bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
      wrong += pixels[y * 320 + x] != (inside ? 0u : kSentinel);
    }
  EXPECT_EQ(wrong, 0);
}

// ---- Buttons ----

constexpr uint32_t kBackground = 0x123456;
constexpr CaptionRect kCaption{4, 4, 404, 23};

struct Face {
  int shift;  // how far left of the close button
  UINT state;
};

// The system's faces drawn straight onto a background: what the buttons layer must give.
void DrawFaces(const Surface& surface, bool toolWindow, const std::vector<Face>& faces) {
  const int w = GetSystemMetrics(SM_CXSIZE), h = GetSystemMetrics(SM_CYSIZE);
  for (const Face& face : faces) {
    RECT b{kCaption.right - w - face.shift, kCaption.top + 2, kCaption.right - 2 - face.shift, kCaption.top + h - 2};
    if (toolWindow) b.left += 3, b.bottom -= 3;
    DrawFrameControl(surface.dc(), &b, DFC_CAPTION, face.state);
  }
}

bool FacesDiffer(UINT a, UINT b) {
  Surface first(20, 20, kBackground), second(20, 20, kBackground);
  RECT r{2, 2, 18, 16};
  DrawFrameControl(first.dc(), &r, DFC_CAPTION, a);
  DrawFrameControl(second.dc(), &r, DFC_CAPTION, b);
  return first.Pixels() != second.Pixels();
}

TEST(CaptionLayerButtons, EachStyleGetsItsFacesInTheirPlaces) {
  // Otherwise the comparisons below could not tell a greyed or restore face from the plain one.
  ASSERT_TRUE(FacesDiffer(DFCS_CAPTIONMIN, DFCS_CAPTIONMIN | DFCS_INACTIVE));
  ASSERT_TRUE(FacesDiffer(DFCS_CAPTIONMAX, DFCS_CAPTIONMAX | DFCS_INACTIVE));
  ASSERT_TRUE(FacesDiffer(DFCS_CAPTIONMAX, DFCS_CAPTIONRESTORE));

  const int w = GetSystemMetrics(SM_CXSIZE);
  const DWORD captioned = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  const UINT close = DFCS_CAPTIONCLOSE, max = DFCS_CAPTIONMAX, min = DFCS_CAPTIONMIN, grey = DFCS_INACTIVE;
  struct Case {
    const char* name;
    DWORD style, exStyle;
    int show;  // 0: stays hidden
    std::vector<Face> faces;
  };
  const Case cases[] = {
      {"both boxes", WS_OVERLAPPEDWINDOW, 0, 0, {{0, close}, {w, max}, {2 * w - 2, min}}},
      {"maximise box only", captioned | WS_MAXIMIZEBOX, 0, 0, {{0, close}, {w, max}, {2 * w - 2, min | grey}}},
      {"minimise box only", captioned | WS_MINIMIZEBOX, 0, 0, {{0, close}, {w, max | grey}, {2 * w - 2, min}}},
      {"maximised", WS_OVERLAPPEDWINDOW, 0, SW_MAXIMIZE, {{0, close}, {w, DFCS_CAPTIONRESTORE}, {2 * w - 2, min}}},
      {"minimised", WS_OVERLAPPEDWINDOW, 0, SW_SHOWMINNOACTIVE, {{0, close}, {w, max}, {2 * w - 2, min}}},
      {"context help", captioned, WS_EX_CONTEXTHELP, 0, {{0, close}, {w, DFCS_CAPTIONHELP}}},
      {"boxes and context help", WS_OVERLAPPEDWINDOW, WS_EX_CONTEXTHELP, 0, {{0, close}, {w, max}, {2 * w - 2, min}}},
      {"neither boxes nor help", captioned, 0, 0, {{0, close}}},
      {"tool window", WS_OVERLAPPEDWINDOW, WS_EX_TOOLWINDOW, 0, {{0, close}, {w, max}, {2 * w - 2, min}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Window window(L"STATIC", c.style, c.exStyle);
    ASSERT_TRUE(window.get());
    if (c.show) ShowWindow(window.get(), c.show);
    ASSERT_EQ(IsZoomed(window.get()) != FALSE, c.show == SW_MAXIMIZE);

    const bool tool = (c.exStyle & WS_EX_TOOLWINDOW) != 0;
    Surface composed(420, 30, kBackground), expected(420, 30, kBackground);
    CaptionRenderer renderer;
    const int width = renderer.DrawCaptionButtons(window.get(), composed.dc(), kCaption);
    DrawFaces(expected, tool, c.faces);
    EXPECT_EQ(FirstDifference(composed.Pixels(), expected.Pixels(), 420), "")
        << "first pixel unlike the system's faces";

    // Measured from the last button's left edge, as the text layer expects it.
    const int lastLeft = kCaption.right - w - c.faces.back().shift + (tool ? 3 : 0);
    EXPECT_EQ(width, kCaption.Width() - lastLeft - 2);
  }
}

// ---- Icon ----

constexpr uint32_t kClassSmallColour = 0xC03020, kClassColour = 0x20C030, kWindowColour = 0x3020C0,
                   kOwnColour = 0xE0E020;

// The icon layer alone over the background.
std::vector<uint32_t> DrawIcon(CaptionRenderer& renderer, HWND window, int* width = nullptr) {
  Surface surface(60, 30, kBackground);
  const int w = renderer.DrawCaptionIcon(window, surface.dc(), kCaption);
  if (width) *width = w;
  return surface.Pixels();
}

// The same background with `icon` where the caption's icon belongs.
std::vector<uint32_t> ReferenceIcon(HICON icon) {
  Surface surface(60, 30, kBackground);
  const int w = GetSystemMetrics(SM_CXSIZE), h = GetSystemMetrics(SM_CYSIZE);
  DrawIconEx(surface.dc(), kCaption.left + 2, kCaption.top + 1, icon, w - 2, h - 2, 0, nullptr, DI_NORMAL);
  return surface.Pixels();
}

std::string IconDifference(const std::vector<uint32_t>& got, const std::vector<uint32_t>& want) {
  return FirstDifference(got, want, 60);
}

TEST(CaptionLayerIcon, ClassIconsComeFirstThenTheWindowsThenTheSystemLogo) {
  SolidIcon classSmall(kClassSmallColour), classBig(kClassColour), windowIcon(kWindowColour);
  HICON logo = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_WINLOGO));
  ASSERT_TRUE(logo);
  WindowClass plain(L"LumbrelLayersPlain");
  WindowClass withIcons(L"LumbrelLayersIcons", classBig.get(), classSmall.get());
  // Each icon shows, each in its own colours, so a wrong choice shows.
  ASSERT_NE(ReferenceIcon(logo), ReferenceIcon(nullptr));
  ASSERT_NE(ReferenceIcon(classSmall.get()), ReferenceIcon(windowIcon.get()));
  CaptionRenderer renderer;

  Window bare(plain.name(), WS_OVERLAPPEDWINDOW);
  int width = 0;
  EXPECT_EQ(IconDifference(DrawIcon(renderer, bare.get(), &width), ReferenceIcon(logo)), "");
  EXPECT_EQ(width, GetSystemMetrics(SM_CXSIZE));

  // The window's own icon counts only when its class has none.
  Window holding(plain.name(), WS_OVERLAPPEDWINDOW);
  SendMessageW(holding.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(windowIcon.get()));
  EXPECT_EQ(IconDifference(DrawIcon(renderer, holding.get()), ReferenceIcon(windowIcon.get())), "");

  Window classed(withIcons.name(), WS_OVERLAPPEDWINDOW);
  SendMessageW(classed.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(windowIcon.get()));
  EXPECT_EQ(IconDifference(DrawIcon(renderer, classed.get()), ReferenceIcon(classSmall.get())), "");
  EXPECT_EQ(renderer.iconCacheWindow(), classed.get());
}

TEST(CaptionLayerIcon, IconOptionShowsTheProgramsIconAndLeavesTheCacheAlone) {
  SolidIcon classIcon(kClassColour), own(kOwnColour);
  WindowClass withIcon(L"LumbrelLayersOneIcon", classIcon.get(), classIcon.get());
  Window first(withIcon.name(), WS_OVERLAPPEDWINDOW), second(withIcon.name(), WS_OVERLAPPEDWINDOW);
  lum::CaptionStyle settings;
  CaptionRenderer renderer;
  renderer.SetOwnIcon(own.get());

  DrawIcon(renderer, first.get());
  ASSERT_EQ(renderer.iconCacheWindow(), first.get());
  settings.ownIcon = true;
  renderer.SetStyle(settings);
  EXPECT_EQ(IconDifference(DrawIcon(renderer, second.get()), ReferenceIcon(own.get())), "");
  EXPECT_EQ(renderer.iconCacheWindow(), first.get());

  settings.ownIcon = false;
  renderer.SetStyle(settings);
  EXPECT_EQ(IconDifference(DrawIcon(renderer, second.get()), ReferenceIcon(classIcon.get())), "");
  EXPECT_EQ(renderer.iconCacheWindow(), second.get());
}

// A window whose thread stops answering messages until it is released (or 5 s have passed,
// so that a renderer waiting for its answer is freed again and the test fails instead of hanging).
struct HungWindow {
  const wchar_t* windowClass;
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HWND hwnd = nullptr;

  static DWORD WINAPI Run(void* self) {
    auto* hung = static_cast<HungWindow*>(self);
    hung->hwnd = CreateWindowExW(0, hung->windowClass, L"hung", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    SetEvent(hung->ready);
    WaitForSingleObject(hung->release, 5000);
    lumtest::PumpMessages();
    DestroyWindow(hung->hwnd);
    return 0;
  }
};

TEST(CaptionLayerIcon, HungWindowDoesNotHoldUpTheIcon) {
  WindowClass plain(L"LumbrelLayersHung");
  HungWindow hung{plain.name()};
  HANDLE thread = CreateThread(nullptr, 0, HungWindow::Run, &hung, 0, nullptr);
  ASSERT_TRUE(thread);
  WaitForSingleObject(hung.ready, INFINITE);
  ASSERT_TRUE(hung.hwnd);

  CaptionRenderer renderer;
  const DWORD start = GetTickCount();
  const std::vector<uint32_t> drawn = DrawIcon(renderer, hung.hwnd);
  const DWORD elapsed = GetTickCount() - start;
  SetEvent(hung.release);
  WaitForSingleObject(thread, INFINITE);
  for (HANDLE handle : {thread, hung.ready, hung.release}) CloseHandle(handle);

  EXPECT_LT(elapsed, 1000u) << "the icon query waited for the hung window";
  EXPECT_EQ(IconDifference(drawn, ReferenceIcon(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_WINLOGO)))), "");
}

// ---- Text ----

// White on black with a red outline (COLORREF 0x00BBGGRR, DIB pixels 0x00RRGGBB).
constexpr COLORREF kText = RGB(255, 255, 255), kOutline = RGB(255, 0, 0);
constexpr uint32_t kTextPixel = 0xFFFFFF, kOutlinePixel = 0xFF0000;

// Columns holding text-coloured pixels.
struct Extent {
  int left = INT32_MAX, right = -1, count = 0;  // right inclusive
  int Width() const { return right - left + 1; }
  double Middle() const { return (left + right + 1) / 2.0; }
};

class CaptionLayerText : public testing::Test {
 protected:
  static constexpr int kIconWidth = 18, kButtonWidth = 46;
  static constexpr int kSurfaceWidth = 420, kSurfaceHeight = 30;
  // The text rectangle: from the icon column (not counting the caption's left) to the buttons.
  static constexpr int kTextLeft = kIconWidth + 6;
  static constexpr int kTextRight = kCaption.right - kButtonWidth - kIconWidth + kCaption.left + 6;

  CaptionLayerText() {
    settings_.outlineColor = static_cast<int32_t>(kOutline);
    settings_.textColor = static_cast<int32_t>(kText);
    renderer_.SetClockSource([] { return lum::ClockMoment{2000, 1, 1, 1, 30, 0}; });
  }

  std::vector<uint32_t> Draw(const wchar_t* title) {
    Window window(L"STATIC", WS_OVERLAPPEDWINDOW, 0, title);
    Surface surface(kSurfaceWidth, kSurfaceHeight, 0);
    renderer_.SetStyle(settings_);
    renderer_.DrawCaptionText(window.get(), surface.dc(), kIconWidth, kButtonWidth, kCaption, true, font_.get());
    return surface.Pixels();
  }

  static Extent TextExtent(const std::vector<uint32_t>& pixels) {
    Extent e;
    for (size_t i = 0; i < pixels.size(); ++i)
      if (pixels[i] == kTextPixel) {
        const int x = static_cast<int>(i % kSurfaceWidth);
        e.left = std::min(e.left, x), e.right = std::max(e.right, x), ++e.count;
      }
    return e;
  }

  int CaptionFontWidth(const std::u16string& text) const {
    ScopedMemoryDC dc(nullptr);
    ScopedSelect selected(dc.get(), font_.get());
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), lum::Wide(text), static_cast<int>(text.size()), &size);
    return size.cx;
  }

  static int Changed(const std::vector<uint32_t>& pixels) {
    return static_cast<int>(std::count_if(pixels.begin(), pixels.end(), [](uint32_t p) { return p != 0; }));
  }

  lum::CaptionStyle settings_;
  CaptionRenderer renderer_;
  ScopedFont font_{lum::MakeCaptionFont(false)};
};

TEST_F(CaptionLayerText, AlignmentPlacesTheTitleInTheTextRectangle) {
  const wchar_t* title = L"Lumbrel caption";
  const int inkWidth = CaptionFontWidth(u"Lumbrel caption");
  settings_.alignment = 0;
  const Extent left = TextExtent(Draw(title));
  ASSERT_GT(left.count, 0);
  EXPECT_GE(left.left, kTextLeft);
  EXPECT_LE(left.left, kTextLeft + 2);
  EXPECT_NEAR(left.Width(), inkWidth, 3);

  settings_.alignment = 1;
  const Extent right = TextExtent(Draw(title));
  EXPECT_LE(right.right, kTextRight - 1);
  EXPECT_GE(right.right, kTextRight - 3);

  settings_.alignment = 2;
  EXPECT_NEAR(TextExtent(Draw(title)).Middle(), (kTextLeft + kTextRight) / 2.0, 2);

  settings_.alignment = 3;  // and the clock off: no text at all
  settings_.outline = true;
  EXPECT_EQ(Changed(Draw(title)), 0);
}

TEST_F(CaptionLayerText, OutlineSurroundsEveryTextPixel) {
  settings_.outline = true;
  const std::vector<uint32_t> pixels = Draw(L"Outline Wg|");
  auto colour = [&](int x, int y) { return pixels[y * kSurfaceWidth + x]; };
  int text = 0, outline = 0, bareEdges = 0, loneOutline = 0;
  for (int y = 1; y < kSurfaceHeight - 1; ++y)
    for (int x = 1; x < kSurfaceWidth - 1; ++x) {
      const uint32_t neighbours[] = {colour(x - 1, y), colour(x + 1, y), colour(x, y - 1), colour(x, y + 1)};
      if (colour(x, y) == kTextPixel) {
        ++text;
        bareEdges += static_cast<int>(std::count(std::begin(neighbours), std::end(neighbours), 0u));
      } else if (colour(x, y) == kOutlinePixel) {
        ++outline;
        loneOutline += std::count(std::begin(neighbours), std::end(neighbours), kTextPixel) == 0;
      }
    }
  ASSERT_GT(text, 0);
  EXPECT_GT(outline, text / 2);
  EXPECT_EQ(bareEdges, 0) << "text pixels touching the background directly";
  EXPECT_EQ(loneOutline, 0) << "outline pixels away from the text";

  settings_.outline = false;
  const std::vector<uint32_t> plain = Draw(L"Outline Wg|");
  EXPECT_EQ(std::count(plain.begin(), plain.end(), kOutlinePixel), 0);
}

TEST_F(CaptionLayerText, ClockJoinsTheTitleOrStandsAlone) {
  settings_.alignment = 0;
  const Extent titleOnly = TextExtent(Draw(L"Title"));
  settings_.clockShown = true;
  settings_.clockFormatIndex = 0;
  renderer_.SetStyle(settings_);
  EXPECT_EQ(renderer_.ClockText(), u"01:30:00");
  const Extent withClock = TextExtent(Draw(L"Title"));
  EXPECT_EQ(withClock.left, titleOnly.left);
  EXPECT_NEAR(withClock.Width() - titleOnly.Width(), CaptionFontWidth(u" 01:30:00"), 3);

  // Alignment 3 draws the clock alone, placed by the clock alignment.
  settings_.alignment = 3;
  const Extent clockOnly = TextExtent(Draw(L"Title"));
  EXPECT_NEAR(clockOnly.Width(), CaptionFontWidth(u"01:30:00"), 3);
  EXPECT_LE(clockOnly.left, kTextLeft + 2);
  settings_.clockAlignment = 1;
  EXPECT_GE(TextExtent(Draw(L"Title")).right, kTextRight - 3);

  // No title, no clock either.
  settings_.outline = true;
  EXPECT_EQ(Changed(Draw(L"")), 0);
  settings_.alignment = 0;
  EXPECT_EQ(Changed(Draw(L"")), 0);

  // An index past the table: the system's general date and time.
  settings_.clockFormatIndex = 115;
  settings_.clockAlignment = 0;
  settings_.outline = false;
  settings_.alignment = 3;
  renderer_.SetStyle(settings_);
  const std::u16string general = renderer_.ClockText();
  EXPECT_NE(general.find(u"30"), std::u16string::npos) << "no minutes in the general form";
  EXPECT_NEAR(TextExtent(Draw(L"Title")).Width(), CaptionFontWidth(general), 3);
}

// ---- Font ----

TEST(CaptionLayerFont, FollowsTheSystemCaptionFontInTheChosenWeight) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
  for (bool bold : {false, true}) {
    SCOPED_TRACE(bold ? "bold" : "normal");
    ScopedFont font(lum::MakeCaptionFont(bold));
    ASSERT_TRUE(font);
    LOGFONTW made{};
    ASSERT_EQ(GetObjectW(font.get(), sizeof made, &made), static_cast<int>(sizeof made));
    EXPECT_EQ(made.lfWeight, bold ? FW_BOLD : 0);
    EXPECT_EQ(made.lfHeight, metrics.lfCaptionFont.lfHeight);
    EXPECT_STREQ(made.lfFaceName, metrics.lfCaptionFont.lfFaceName);
    EXPECT_EQ(made.lfCharSet, DEFAULT_CHARSET);
    EXPECT_FALSE(made.lfItalic || made.lfUnderline || made.lfStrikeOut);
  }
}

}  // namespace
