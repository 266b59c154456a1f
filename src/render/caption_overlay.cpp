#include "render/caption_overlay.h"

#include "platform/dwm.h"
#include "platform/scoped_win.h"

namespace lum {

namespace {

constexpr wchar_t kOverlayClass[] = L"LumbrelCaptionOverlay";

// The overlay's window is the hook's only reader: one overlay per process.
CaptionOverlay* hookedOverlay = nullptr;

ScreenRect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

bool Topmost(HWND window) { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// A window spread over its whole monitor without being maximised: a game, a video, a slide show.
bool FullScreen(const RECT& r) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor)) return false;
  const RECT& m = monitor.rcMonitor;
  return r.left <= m.left && r.top <= m.top && r.right >= m.right && r.bottom >= m.bottom;
}

}  // namespace

CaptionOverlay::CaptionOverlay(CaptionRenderer& renderer, DWORD ownProcess)
    : renderer_(renderer), ownProcess_(ownProcess) {}

CaptionOverlay::~CaptionOverlay() {
  Unhook();
  if (hwnd_) DestroyWindow(hwnd_);
}

LRESULT CALLBACK CaptionOverlay::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (auto* overlay = reinterpret_cast<CaptionOverlay*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
        overlay->PaintSurface(dc);
      EndPaint(window, &paint);
      return 0;
    }
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

bool CaptionOverlay::FillSurface(int width, int height) {
  surface_.FitDib(width, height);
  return surface_.dc() && BitBlt(surface_.dc(), 0, 0, width, height, renderer_.composedDC(), 0, 0, SRCCOPY);
}

void CaptionOverlay::PaintSurface(HDC dc) const {
  if (surface_.dc()) BitBlt(dc, 0, 0, surface_.width(), surface_.height(), surface_.dc(), 0, 0, SRCCOPY);
}

bool CaptionOverlay::Create() {
  if (hwnd_) return true;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_OWNDC;  // one DC, kept: a new caption is painted without asking for one
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kOverlayClass;
  RegisterClassExW(&windowClass);  // fails harmlessly when a second overlay registers it again
  hwnd_ = CreateWindowExW(kExStyle, kOverlayClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  if (!hwnd_) return false;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  // Opaque and painted through its own DC: a new caption then costs one copy into the window,
  // where UpdateLayeredWindow repositions the window and uploads the whole bitmap each time.
  SetLayeredWindowAttributes(hwnd_, 0, 255, LWA_ALPHA);
  composition_ = DwmApi::Get().CompositionEnabled();
  // Out of context: the events arrive as messages on this thread, costing the target nothing.
  if (!hookedOverlay) {
    hookedOverlay = this;
    constexpr DWORD flags = WINEVENT_OUTOFCONTEXT;
    foregroundHook_ =
        SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, OnWinEvent, 0, 0, flags);
    minimizeHook_ =
        SetWinEventHook(EVENT_SYSTEM_MINIMIZESTART, EVENT_SYSTEM_MINIMIZEEND, nullptr, OnWinEvent, 0, 0, flags);
    moveSizeHook_ =
        SetWinEventHook(EVENT_SYSTEM_MOVESIZESTART, EVENT_SYSTEM_MOVESIZEEND, nullptr, OnWinEvent, 0, 0, flags);
  }
  return true;
}

void CaptionOverlay::Unhook() {
  for (HWINEVENTHOOK* hook : {&foregroundHook_, &minimizeHook_, &moveSizeHook_, &locationHook_}) {
    if (*hook) UnhookWinEvent(*hook);
    *hook = nullptr;
  }
  if (hookedOverlay == this) hookedOverlay = nullptr;
}

void CALLBACK CaptionOverlay::OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG, DWORD, DWORD) {
  if (hookedOverlay) hookedOverlay->OnEvent(event, window, object);
}

void CaptionOverlay::OnEvent(DWORD event, HWND window, LONG object) {
  if (!hwnd_ || object != OBJID_WINDOW || window == hwnd_) return;
  switch (event) {
    case EVENT_SYSTEM_FOREGROUND:
      Refresh(window);
      break;
    case EVENT_SYSTEM_MINIMIZESTART:
      if (window == target_) Hide();
      break;
    case EVENT_SYSTEM_MOVESIZESTART:
      // Dragged or resized by the user: hidden until the drag ends, never shown at an old place.
      if (window == target_) {
        movingSize_ = true;
        Hide();
      }
      break;
    case EVENT_SYSTEM_MOVESIZEEND:
      movingSize_ = false;
      if (window == target_) Refresh(window);
      break;
    case EVENT_SYSTEM_MINIMIZEEND:
    case EVENT_OBJECT_LOCATIONCHANGE:
      if (window == target_ && !movingSize_) Refresh(window);
      break;
    default:
      break;
  }
}

void CaptionOverlay::FollowTarget(HWND target) {
  if (target == target_) return;
  target_ = target;
  // A window's process and class never change: asked once per target.
  DWORD process = 0;
  paintableClass_ = false;
  if (target) {
    GetWindowThreadProcessId(target, &process);
    paintableClass_ = IsPaintableWindow(target);
  }
  targetOwner_ = process;
  if (hookedOverlay != this || process == targetProcess_) return;
  // Moves and resizes of the target's process alone: every caret and cursor move of the
  // whole desktop is a location change too.
  if (locationHook_) UnhookWinEvent(locationHook_);
  locationHook_ = process ? SetWinEventHook(EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE, nullptr,
                                            OnWinEvent, process, 0, WINEVENT_OUTOFCONTEXT)
                          : nullptr;
  targetProcess_ = locationHook_ ? process : 0;
}

bool CaptionOverlay::ReadTarget(HWND target, std::optional<uint32_t> style, const RECT* rect) {
  current_.window = target;
  if (!target || target == hwnd_ || !paintableClass_ || targetOwner_ == ownProcess_) return false;
  current_.style = style ? *style : static_cast<uint32_t>(GetWindowLongW(target, GWL_STYLE));
  if ((current_.style & (WS_VISIBLE | WS_MINIMIZE)) != WS_VISIBLE || (current_.style & WS_CAPTION) != WS_CAPTION)
    return false;
  if (rect)
    current_.rect = *rect;
  else if (!GetWindowRect(target, &current_.rect))
    return false;
  // A window's ex-style changes only with a new frame, which shows in its style or rectangle.
  const TargetFacts asked{target, current_.style, 0, current_.rect};
  if (!(exStyleAskedFor_ == asked)) {
    current_.exStyle = static_cast<uint32_t>(GetWindowLongW(target, GWL_EXSTYLE));
    exStyleAskedFor_ = asked;
  }
  if ((current_.exStyle & WS_EX_TOOLWINDOW) != 0) return false;
  return !(composition_ && DwmApi::Get().Cloaked(target));
}

std::optional<ScreenRect> CaptionOverlay::PlaceFor(const TargetFacts& target, ScreenRect* frame,
                                                   unsigned* dpi) const {
  if (!(target.style & WS_MAXIMIZE) && FullScreen(target.rect)) return std::nullopt;
  // A window that draws its own title bar gets no caption laid over its tabs and buttons.
  const TargetLayout& layout = renderer_.LayOutTarget(target.window, target.rect, target.style, target.exStyle);
  if (layout.ownTitleBar) return std::nullopt;
  OverlayFacts facts;
  facts.window = FromRect(target.rect);
  *dpi = layout.dpi;
  facts.caption = layout.caption;
  if (facts.caption)
    facts.buttonArea = renderer_.ButtonAreaWidth(target.style, target.exStyle, facts.caption->Height());
  TITLEBARINFO titleBar{};
  titleBar.cbSize = sizeof titleBar;
  if (GetTitleBarInfo(target.window, &titleBar) && !(titleBar.rgstate[0] & STATE_SYSTEM_INVISIBLE))
    facts.titleBar = FromRect(titleBar.rcTitleBar);
  facts.captionLine = renderer_.metrics().frame.cyBorder;
  if (composition_) {
    const DwmApi& dwm = DwmApi::Get();
    if (auto frame = dwm.ExtendedFrameBounds(target.window)) facts.frame = FromRect(*frame);
    if (auto buttons = dwm.CaptionButtonBounds(target.window)) facts.buttons = FromRect(*buttons);
  }
  *frame = facts.frame.value_or(facts.window);
  return ComputeOverlayRect(facts);
}

void CaptionOverlay::OnSystemSettingsChanged() {
  composition_ = DwmApi::Get().CompositionEnabled();
  placed_.reset();
}

void CaptionOverlay::Hide() {
  if (hwnd_ && shown_) ShowWindow(hwnd_, SW_HIDE);
  shown_ = false;
}

void CaptionOverlay::Refresh(HWND target, std::optional<uint32_t> style, const RECT* rect) {
  if (!hwnd_) return;
  FollowTarget(target);
  if (!ReadTarget(target, style, rect)) return Hide();
  // The place follows from the window's rectangle and styles (and the system's metrics), so
  // a tick where none of them changed asks the window system nothing more.
  if (!placed_ || !(placed_->target == current_)) {
    placed_ = Placement{current_, std::nullopt, 0, {}, 0};
    placed_->place = PlaceFor(current_, &placed_->frame, &placed_->dpi);
    if (placed_->place)
      placed_->buttonArea = renderer_.ButtonAreaWidth(current_.style, current_.exStyle, placed_->place->Height());
  }
  if (!placed_->place) return Hide();
  const ScreenRect place = *placed_->place;
  // Laid out as the whole caption with the classic buttons after the overlay's end, so the
  // title and clock stop where the target's own buttons begin.
  const CaptionRect layout{0, 0, place.Width() + placed_->buttonArea, place.Height()};
  bool changed = false;
  bool composed = renderer_.ComposeCaption(target, layout, current_.style, current_.exStyle, &changed);
  const bool resized = !shown_ || place.Width() != shownPlace_.Width() || place.Height() != shownPlace_.Height();
  if (composed && (changed || resized)) composed = FillSurface(place.Width(), place.Height());
  if (!composed) return Hide();
  // The corners follow from the place and the frame: cut again only when they were placed anew.
  if (!placed_->shaped) {
    ShapeCorners(place);
    placed_->shaped = true;
  }
  StackAbove(target, place);
  if (changed || resized) {
    if (!ownDC_) ownDC_ = GetDC(hwnd_);
    if (ownDC_) PaintSurface(ownDC_);
    ++layeredUpdates_;
  }
  shownPlace_ = place;
  shown_ = true;
}

HRGN MakeCornerRegion(int width, int height, const std::vector<CornerCut>& cuts) {
  HRGN shape = CreateRectRgn(0, 0, width, height);
  for (size_t row = 0; row < cuts.size() && shape; ++row) {
    const int y = static_cast<int>(row);
    const RECT ends[] = {{0, y, cuts[row].left, y + 1}, {width - cuts[row].right, y, width, y + 1}};
    for (const RECT& cut : ends) {
      if (cut.right <= cut.left) continue;
      if (HRGN piece = CreateRectRgnIndirect(&cut)) {
        CombineRgn(shape, shape, piece, RGN_DIFF);
        DeleteObject(piece);
      }
    }
  }
  return shape;
}

void CaptionOverlay::ShapeCorners(const ScreenRect& place) {
  const bool rounded = !(current_.style & WS_MAXIMIZE) && SystemRoundsWindowCorners();
  std::vector<CornerCut> cuts;
  if (rounded) cuts = RoundedCornerCuts(place, placed_->frame, RoundedCornerRadius(placed_->dpi));
  if (cuts == cuts_) return;
  cuts_ = cuts;
  HRGN shape = cuts.empty() ? nullptr : MakeCornerRegion(place.Width(), place.Height(), cuts);
  // The system owns a region handed to it; none gives the window its whole rectangle back.
  if (!SetWindowRgn(hwnd_, shape, TRUE) && shape) DeleteObject(shape);
}

void CaptionOverlay::NoteFocus(HWND focus) {
  if (focus == focus_) return;
  focus_ = focus;
  // This tick and the next: the target may raise itself just after the tick saw its new focus.
  raises_ = 2;
}

void CaptionOverlay::StackAbove(HWND target, const ScreenRect& place) {
  const bool topmost = (current_.exStyle & WS_EX_TOPMOST) != 0;
  HWND above = GetWindow(target, GW_HWNDPREV);
  const bool inPlace = shown_ && above == hwnd_ && Topmost(hwnd_) == topmost;
  // A tick where nothing moved asks the window system for nothing more.
  if (inPlace && !raises_ && place == shownPlace_) return;
  UINT flags = SWP_NOACTIVATE | SWP_SHOWWINDOW;
  if (!inPlace || raises_) {
    // Wine's X11 driver raises a window on the X screen only when it becomes the first visible
    // window, and raises the target there whenever the target's focus moves, whatever the
    // z-order says: the overlay heads the z-order for a moment, so that X shows it on top.
    SetWindowPos(hwnd_, HWND_TOPMOST, place.left, place.top, place.Width(), place.Height(), flags);
    if (raises_) --raises_;
    above = GetWindow(target, GW_HWNDPREV);
  }
  HWND insertAfter = above;
  if (above == hwnd_ && Topmost(hwnd_) == topmost)
    flags |= SWP_NOZORDER;  // in place already
  else if (above == hwnd_ || !above || Topmost(above) != topmost)
    insertAfter = topmost ? HWND_TOPMOST : HWND_NOTOPMOST;  // the target heads its band
  SetWindowPos(hwnd_, insertAfter, place.left, place.top, place.Width(), place.Height(), flags);
}

}  // namespace lum
