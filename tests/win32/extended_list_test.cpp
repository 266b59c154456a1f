// The program's own list box driven by real messages inside a dialog loop, and the clock
// settings window built on it.
#include "controls/extended_list.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "clock/clock_dialog.h"
#include "dpi_change_test.h"
#include "platform/profile.h"
#include "platform/shell.h"
#include "platform/text.h"
#include "test_dialog.h"
#include "test_support.h"

namespace {

using lum::SpeciaList;
using lumtest::DialogWindow;
using lumtest::Key;
using Events = std::vector<std::string>;

class Recorder : public lum::SpeciaListEvents {
 public:
  Events events;
  void Click(SpeciaList&) override { events.push_back("Click"); }
  void DblClick(SpeciaList&) override { events.push_back("DblClick"); }
  void KeyDown(SpeciaList&, int16_t key, int16_t) override { events.push_back("KeyDown " + std::to_string(key)); }
  void MouseDown(SpeciaList&, int16_t button, int16_t, float, float) override {
    events.push_back("MouseDown " + std::to_string(button));
  }
  void MouseUp(SpeciaList&, int16_t button, int16_t, float, float) override {
    events.push_back("MouseUp " + std::to_string(button));
  }
};

// The drag events of one list with their arguments and the text of the data they carry;
// repeats (the pointer resting over a target) are kept once.
class DragRecorder : public Recorder {
 public:
  DWORD allowed = DROPEFFECT_MOVE;                   // what OLEStartDrag leaves
  DWORD chosen = DROPEFFECT_COPY | DROPEFFECT_MOVE;  // what the drop events pick
  void OLEStartDrag(SpeciaList&, IDataObject* data, DWORD& effects) override {
    Log("OLEStartDrag", data, effects);
    effects = allowed;
  }
  void OLESetData(SpeciaList&, IDataObject* data, CLIPFORMAT format) override {
    Log("OLESetData", nullptr, format);
    lum::SetOleDataText(data, u"late");
  }
  void OLEGiveFeedback(SpeciaList&, DWORD effect, bool&) override { Log("OLEGiveFeedback", nullptr, effect); }
  void OLECompleteDrag(SpeciaList&, DWORD effect) override { Log("OLECompleteDrag", nullptr, effect); }
  void OLEDragOver(SpeciaList&, IDataObject* data, DWORD& effect, int16_t button, int16_t shift, float x, float y,
                   int16_t state) override {
    Log("OLEDragOver", data, effect, {button, shift, std::lround(x), std::lround(y), state});
    effect = chosen;
  }
  void OLEDragDrop(SpeciaList&, IDataObject* data, DWORD& effect, int16_t button, int16_t shift, float x,
                   float y) override {
    Log("OLEDragDrop", data, effect, {button, shift, std::lround(x), std::lround(y)});
    effect = chosen;
    (dropped = data)->AddRef();
  }
  IDataObject* dropped = nullptr;  // released by the test

 private:
  void Log(std::string name, IDataObject* data, DWORD value, std::initializer_list<long> more = {}) {
    for (long number : more) name += " " + std::to_string(number);
    name += " " + std::to_string(value);
    if (data) name += " \"" + lum::ToAnsi(lum::OleDataText(data)) + "\"";
    if (events.empty() || events.back() != name) events.push_back(name);
  }
};

// Where the system keeps a window's registered drop target, on Windows and in Wine.
IDropTarget* RegisteredTarget(HWND window) {
  return static_cast<IDropTarget*>(GetPropW(window, L"OleDropTargetInterface"));
}

uint32_t Rgb(COLORREF c) { return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c); }

// The list's client pixels: the capture includes its sunken edge.
struct ClientShot {
  lumtest::WindowPixels pixels;
  POINT offset{};
  explicit ClientShot(HWND window) : pixels(lumtest::CaptureWindow(window)) {
    RECT outer{};
    GetWindowRect(window, &outer);
    ClientToScreen(window, &offset);
    offset.x -= outer.left;
    offset.y -= outer.top;
  }
  uint32_t at(int x, int y) const { return pixels.at(x + offset.x, y + offset.y); }
  bool AnyIn(int left, int top, int right, int bottom, uint32_t colour) const {
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x)
        if (at(x, y) == colour) return true;
    return false;
  }
};

TEST(SpeciaList, KeysMouseOptionMarkAndLooksThroughRealMessages) {
  DialogWindow dialog;
  Recorder recorder;
  SpeciaList list(&recorder);
  ASSERT_TRUE(list.Create(dialog.get(), 1, 10, 10, 200, 104));  // 100 pixels inside the edge
  list.SetStyle(1);
  list.SetBoxStyle(SpeciaList::kOptionMarks);
  list.SetMaskColor(16701355);
  list.SetItemHeight(250);
  ASSERT_EQ(list.RowPixels(), lum::PixelsY(250));
  for (int i = 0; i < 10; ++i) list.AddItem(u"row " + std::u16string(1, static_cast<char16_t>(u'0' + i)));
  EXPECT_TRUE(IsWindowVisible(list.ScrollBar().hwnd()));  // 10 rows in 6¼
  SetFocus(list.hwnd());
  dialog.Pump();

  // Arrows move the list index and raise Click; only Space moves the option mark.
  Key(list.hwnd(), WM_KEYDOWN, VK_DOWN);
  dialog.Pump();
  EXPECT_EQ(recorder.events, (Events{"KeyDown 40", "Click"}));
  EXPECT_EQ(list.ListIndex(), 0);
  EXPECT_FALSE(list.ItemChecked(0));
  for (int i = 0; i < 6; ++i) Key(list.hwnd(), WM_KEYDOWN, VK_DOWN);
  dialog.Pump();
  EXPECT_EQ(list.ListIndex(), 6);
  EXPECT_EQ(list.TopIndex(), 1);  // row 6 became the last complete row
  EXPECT_EQ(list.ScrollBar().Value(), 1);
  Key(list.hwnd(), WM_KEYDOWN, VK_SPACE);
  dialog.Pump();
  EXPECT_EQ(list.OptionValue(), 6);
  EXPECT_TRUE(list.ItemChecked(6));
  recorder.events.clear();
  Key(list.hwnd(), WM_KEYDOWN, VK_HOME);
  dialog.Pump();
  EXPECT_EQ(recorder.events, (Events{"KeyDown 36"}));  // no Click after Home
  EXPECT_EQ(list.TopIndex(), 0);

  // A press anywhere on a row moves the mark there; Click comes with the release.
  const int row = list.RowPixels();
  recorder.events.clear();
  SendMessageW(list.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 2 * row + row / 2));
  EXPECT_EQ(list.OptionValue(), 2);
  EXPECT_EQ(list.HitTest(lum::EventTwipsX(150), lum::EventTwipsY(2 * row + row / 2)), 2) << "HitTest takes twips";
  EXPECT_FALSE(list.ItemChecked(6));
  SendMessageW(list.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(150, 2 * row + row / 2));
  EXPECT_EQ(recorder.events, (Events{"MouseDown 1", "Click", "MouseUp 1"}));
  recorder.events.clear();
  SendMessageW(list.hwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(150, 2 * row + row / 2));
  SendMessageW(list.hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(150, 2 * row + row / 2));
  EXPECT_EQ(recorder.events, (Events{"MouseDown 1", "DblClick", "Click", "MouseUp 1"}));

  // Stripes on even items, the selected row in the highlight colour, the tick in its box.
  dialog.Pump();
  ClientShot shot(list.hwnd());
  EXPECT_EQ(shot.at(120, row / 2), 0xABD7FEu);                             // item 0: the stripe
  EXPECT_EQ(shot.at(120, row + row / 2), Rgb(GetSysColor(COLOR_WINDOW)));  // item 1
  EXPECT_EQ(shot.at(120, 2 * row + row / 2), Rgb(GetSysColor(COLOR_HIGHLIGHT)));
  const uint32_t tick = Rgb(GetSysColor(COLOR_BTNTEXT));
  EXPECT_TRUE(shot.AnyIn(2, 2 * row + 2, 12, 3 * row - 2, tick));
  EXPECT_FALSE(shot.AnyIn(2, 3 * row + 2, 12, 4 * row - 2, tick));
}

TEST(SpeciaList, GdiObjectsStayFlatOverAThousandRedraws) {
  DialogWindow dialog;
  SpeciaList list;
  ASSERT_TRUE(list.Create(dialog.get(), 1, 10, 10, 200, 100));
  list.SetStyle(1);
  for (int i = 0; i < 40; ++i) list.AddItem(u"項目");
  auto cycle = [&](int i) {
    list.SetListIndex(i % 40);
    list.SetOptionValue((i * 7) % 40);
    list.SetBoxStyle(i % 3);
    SendMessageW(list.hwnd(), WM_KEYDOWN, VK_NEXT, 1);
  };
  for (int i = 0; i < 10; ++i) cycle(i);
  const int before = lumtest::CountLiveGdiObjects();
  for (int i = 0; i < 250; ++i) cycle(i);  // four redraws a cycle
  EXPECT_EQ(lumtest::CountLiveGdiObjects(), before);
}

// A press and move on one list drags its item onto another; the drop target is then driven
// directly for what a drag under test cannot hold (buttons, leaving, effects not allowed).
TEST(SpeciaList, DragsAnItemToAnotherListThroughTheOleEvents) {
  OleInitialize(nullptr);
  DialogWindow dialog;
  DragRecorder source, target;
  SpeciaList from(&source), to(&target);
  ASSERT_TRUE(from.Create(dialog.get(), 1, 5, 5, 140, 104));
  ASSERT_TRUE(to.Create(dialog.get(), 2, 150, 5, 140, 104));
  from.AddItem(u"one");
  from.AddItem(u"二つ目");
  from.SetOLEDragMode(1);
  to.SetOLEDropMode(1);
  dialog.Pump();
  POINT was{}, over{20, 30};
  GetCursorPos(&was);
  ClientToScreen(to.hwnd(), &over);
  SetCursorPos(over.x, over.y);

  // Within the drag rectangle a press stays a press; beyond it the drag starts and, with no
  // button really down, drops at once where the pointer is. The release then clicks nothing.
  const HWND list = from.hwnd();
  const int y = from.RowPixels() * 3 / 2, reach = GetSystemMetrics(SM_CXDRAG);
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, y));
  SendMessageW(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40 + reach, y));
  EXPECT_EQ(source.events, (Events{"MouseDown 1"}));
  SendMessageW(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(41 + reach, y));
  SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(41 + reach, y));
  SetCursorPos(was.x, was.y);
  const std::string text = "\"" + lum::ToAnsi(u"二つ目") + "\"",
                    where = std::to_string(lum::TwipsOfX(20)) + " " +
                            std::to_string(lum::TwipsOfY(30));
  EXPECT_EQ(source.events, (Events{"MouseDown 1", "OLEStartDrag 3 " + text, "OLEGiveFeedback 2", "OLECompleteDrag 2"}));
  EXPECT_EQ(target.events,
            (Events{"OLEDragOver 0 0 " + where + " 0 2 " + text, "OLEDragDrop 0 0 " + where + " 2 " + text}));
  IDataObject* data = target.dropped;
  ASSERT_NE(data, nullptr);

  // A format offered without data is asked of the dragging list's owner when read.
  FORMATETC unicode{CF_UNICODETEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM offered{};
  ASSERT_EQ(data->SetData(&unicode, &offered, FALSE), S_OK);
  EXPECT_EQ(lum::OleDataText(data), u"late");
  EXPECT_EQ(source.events.back(), "OLESetData 13");
  // A handler that clears the allowed effects calls the drag off.
  source.allowed = 0;
  EXPECT_EQ(from.OLEDrag(), DWORD{DROPEFFECT_NONE});
  EXPECT_EQ(source.events.back(), "OLEStartDrag 3 " + text);

  IDropTarget* drop = RegisteredTarget(to.hwnd());
  ASSERT_NE(drop, nullptr);
  drop->AddRef();
  target.events.clear();
  target.chosen = DROPEFFECT_MOVE | DROPEFFECT_LINK;
  const POINTL at{over.x, over.y};
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  drop->DragEnter(data, MK_RBUTTON | MK_SHIFT, at, &effect);
  EXPECT_EQ(effect, DWORD{DROPEFFECT_MOVE});
  drop->DragOver(MK_RBUTTON | MK_CONTROL, at, &effect);
  drop->DragLeave();
  EXPECT_EQ(target.events,
            (Events{"OLEDragOver 2 1 " + where + " 0 3 \"late\"", "OLEDragOver 2 2 " + where + " 2 2 \"late\"",
                    "OLEDragOver 0 0 " + where + " 1 0 \"late\""}));
  // Once the list takes no drops the target it gave away stays harmless.
  to.SetOLEDropMode(0);
  EXPECT_EQ(RegisteredTarget(to.hwnd()), nullptr);
  drop->DragEnter(data, MK_LBUTTON, at, &effect);
  drop->Drop(data, 0, at, &effect);
  EXPECT_EQ(target.events.size(), 3u);
  drop->Release();
  data->Release();
  OleUninitialize();
}

// Without OLE on the thread the list neither drags nor takes drops, and nothing fails.
TEST(SpeciaList, WithoutOleNothingIsDraggedOrDropped) {
  DragRecorder recorder;
  bool quiet = false;
  std::thread([&] {
    DialogWindow dialog;
    SpeciaList list(&recorder);
    list.Create(dialog.get(), 1, 5, 5, 140, 104);
    list.AddItem(u"one");
    list.SetListIndex(0);
    list.SetOLEDragMode(1);
    list.SetOLEDropMode(1);
    quiet = list.OLEDrag() == DROPEFFECT_NONE && !RegisteredTarget(list.hwnd());
    SendMessageW(list.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 5));
    SendMessageW(list.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(100, 60));
  }).join();
  EXPECT_TRUE(quiet);
  EXPECT_EQ(recorder.events, (Events{"MouseDown 1"}));
}

TEST(ClockDialog, ShowsEverySampleMarksTheStoredRowAndStoresOnlyFromItsButton) {
  lumtest::TempFolder folder;
  const lum::ProfileFile ini(folder.path() + u"\\LUM.INI");
  lum::SettingsStore store;
  const lum::Settings& settings = store.values();
  auto stored = [&] { return ini.GetIniString(u"CUSTOMIZE", u"CLOCK"); };
  auto press = [&](lum::ClockDialog& dialog) {
    SendMessageW(dialog.CommandEx1().hwnd(), WM_KEYDOWN, VK_RETURN, 1);
    lumtest::PumpMessages();
    EXPECT_EQ(dialog.hwnd(), nullptr) << "the button closes the window";
  };

  lumtest::LoadStore(store, ini, {{u"CUSTOMIZE/CLOCK", u"12"}});
  {
    lum::ClockDialog dialog(store);
    ASSERT_TRUE(dialog.Load(nullptr));
    wchar_t caption[32] = {};
    GetWindowTextW(dialog.hwnd(), caption, 32);
    EXPECT_EQ(std::wstring(caption), L"時計の設定");
    RECT client{};
    GetClientRect(dialog.hwnd(), &client);
    EXPECT_EQ(client.right, lum::PixelsX(4335));
    // Taller only where the font wraps the hint into a third line (Wine's full-width kana).
    EXPECT_GE(client.bottom, lum::PixelsY(3825));
    EXPECT_LE(lumtest::ChildPlace(dialog.Label1()).bottom, client.bottom);
    SpeciaList& list = dialog.SpeciaList1();
    ASSERT_EQ(list.ListCount(), 115);
    EXPECT_EQ(list.List(0), u"01:30:00");
    EXPECT_EQ(list.List(4), u"2000/01/01 01:30:00");
    EXPECT_EQ(list.List(12), u"平成12年01月01日 01:30:00");
    EXPECT_EQ(list.List(114), u"1/1 1:30:0");
    EXPECT_EQ(list.OptionValue(), 12);
    EXPECT_TRUE(list.ItemChecked(12));
    EXPECT_LE(list.TopIndex(), 12);
    EXPECT_GT(list.TopIndex() + list.VisibleCount() - 1, 12);

    // The close box stores nothing.
    list.SetOptionValue(3);
    SendMessageW(dialog.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_EQ(dialog.hwnd(), nullptr);
    EXPECT_EQ(stored(), u"");
    EXPECT_EQ(settings.clockFormatIndex, 12);
  }
  {
    lum::ClockDialog dialog(store);
    ASSERT_TRUE(dialog.Load(nullptr));
    dialog.SpeciaList1().SetOptionValue(40);
    press(dialog);
    EXPECT_EQ(stored(), u"40");
    EXPECT_EQ(settings.clockFormatIndex, 40);
    EXPECT_EQ(ini.GetIniString(u"DEFAULT", u"CLOCK"), u"");
  }
  // A negative stored index marks nothing, and the button then stores the list's 0.
  lumtest::LoadStore(store, ini, {{u"CUSTOMIZE/CLOCK", u"-5"}});
  {
    lum::ClockDialog dialog(store);
    ASSERT_TRUE(dialog.Load(nullptr));
    for (int i = 0; i < 115; ++i) ASSERT_FALSE(dialog.SpeciaList1().ItemChecked(i)) << i;
    EXPECT_EQ(dialog.SpeciaList1().ListIndex(), -1);
    press(dialog);
    EXPECT_EQ(stored(), u"0");
    EXPECT_EQ(settings.clockFormatIndex, 0);
  }
}

}  // namespace
