// SpeciaList: the program's own list box. Rows of text with alternating stripes, an optional
// column of option marks, check marks, system check boxes or pictures, single or extended
// selection, items flowing in columns, keyboard and mouse navigation, and a scroll bar that
// shows only when the items do not fit.
//
// Sizes are in twips, as the dialogs lay it out; the row height is kept a whole number of
// pixels. The control draws into an off-screen copy of itself and repaints only the rows whose
// look changed; WM_PAINT copies.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/control_font.h"
#include "controls/list_model.h"
#include "controls/offscreen_surface.h"
#include "controls/list_scroll_bar.h"
#include "controls/property_bag.h"
#include "imaging/paint_effects.h"

namespace lum {

class SpeciaList;

// The text in a data object: CF_UNICODETEXT, else CF_TEXT in the ANSI code page; empty when it
// holds neither.
std::u16string OleDataText(IDataObject* data);
// Puts the text into a data object as CF_UNICODETEXT and CF_TEXT.
bool SetOleDataText(IDataObject* data, const std::u16string& text);

// What the list tells its owner. Positions are in twips of the list's client area.
class SpeciaListEvents {
 public:
  virtual ~SpeciaListEvents() = default;
  // Space or a box press on a check list: `checked` is what the item becomes.
  virtual void ItemCheck(SpeciaList&, bool& /*checked*/, int32_t& /*item*/) {}
  virtual void Click(SpeciaList&) {}
  // The user moved the option mark (a click or Space on a list with option marks).
  virtual void OptionChange(SpeciaList&) {}
  virtual void DblClick(SpeciaList&) {}
  virtual void KeyDown(SpeciaList&, int16_t /*key*/, int16_t /*shift*/) {}
  virtual void KeyPress(SpeciaList&, int16_t /*character*/) {}
  virtual void KeyUp(SpeciaList&, int16_t /*key*/, int16_t /*shift*/) {}
  virtual void MouseDown(SpeciaList&, int16_t /*button*/, int16_t /*shift*/, float /*x*/, float /*y*/) {}
  virtual void MouseMove(SpeciaList&, int16_t /*button*/, int16_t /*shift*/, float /*x*/, float /*y*/) {}
  virtual void MouseUp(SpeciaList&, int16_t /*button*/, int16_t /*shift*/, float /*x*/, float /*y*/) {}
  // Drag and drop on the list's surface, passed through as it happens. Buttons and shift are
  // as in the mouse events; `state` is 0 entering, 1 leaving, 2 moving over the list.
  virtual void OLECompleteDrag(SpeciaList&, DWORD /*effect*/) {}
  virtual void OLEDragDrop(SpeciaList&, IDataObject* /*data*/, DWORD& /*effect*/, int16_t /*button*/, int16_t /*shift*/,
                           float /*x*/, float /*y*/) {}
  virtual void OLEDragOver(SpeciaList&, IDataObject* /*data*/, DWORD& /*effect*/, int16_t /*button*/, int16_t /*shift*/,
                           float /*x*/, float /*y*/, int16_t /*state*/) {}
  // Leave `defaultCursors` true for the system's drag cursors, or set a cursor and clear it.
  virtual void OLEGiveFeedback(SpeciaList&, DWORD /*effect*/, bool& /*defaultCursors*/) {}
  // A drop target asks for a format that was offered without data (SetData with TYMED_NULL):
  // put the data in now.
  virtual void OLESetData(SpeciaList&, IDataObject* /*data*/, CLIPFORMAT /*format*/) {}
  // A drag from the list is about to start: the data carries the current item's text and may
  // be changed; clearing every allowed effect calls the drag off.
  virtual void OLEStartDrag(SpeciaList&, IDataObject* /*data*/, DWORD& /*allowedEffects*/) {}
};

class SpeciaList : private ScrollBarEvents {
 public:
  static constexpr uint32_t kDefaultForeColor = 0x80000012;
  static constexpr uint32_t kDefaultMaskColor = 0x80000010;
  static constexpr uint32_t kDefaultBackColor = 0x80000005;
  static constexpr int32_t kDefaultItemHeight = 180;
  static constexpr int32_t kDefaultMargin = 10;
  enum BoxStyle : int32_t { kOptionMarks = 0, kCheckMarks = 1, kSystemCheckBoxes = 2, kPictures = 99 };

  explicit SpeciaList(SpeciaListEvents* events = nullptr);
  ~SpeciaList();
  SpeciaList(const SpeciaList&) = delete;
  SpeciaList& operator=(const SpeciaList&) = delete;

  // Creates the child window at a place in pixels of the parent's client area.
  bool Create(HWND parent, int id, int x, int y, int width, int height, const ControlFont* containerFont = nullptr);
  HWND hwnd() const { return hwnd_; }
  const ListModel& Model() const { return model_; }
  VScrollBarL& ScrollBar() { return m_Scroll; }

  // Items. `position` is 1-based, 0 for the end; `first` in RemoveItems is an item number.
  void AddItem(const std::u16string& text, int32_t position = 0, bool checked = false, int32_t count = 1);
  void RemoveItems(int32_t first, int32_t count);
  void Clear();
  void Refresh();
  const std::u16string& List(int32_t item) const { return model_.Text(item); }
  int32_t ListCount() const { return model_.Count(); }
  int32_t ListIndex() const { return model_.ListIndex(); }
  void SetListIndex(int32_t item);
  int32_t TopIndex() const { return model_.TopIndex(); }
  void SetTopIndex(int32_t item);
  int32_t OptionValue() const { return model_.OptionValue(); }
  void SetOptionValue(int32_t item);
  bool ItemChecked(int32_t item) const { return model_.Checked(item); }
  void SetItemChecked(int32_t item, bool checked);
  bool Selected(int32_t item) const { return model_.Selected(item); }
  int32_t SelCount() const { return model_.SelCount(); }
  const std::vector<int32_t>& SelArray() const { return model_.SelArray(); }
  void SelAll();
  int32_t HitTest(float x, float y) const;  // twips
  int32_t VisibleCount() const { return model_.VisibleCount(); }
  int32_t VisibleRow() const { return model_.VisibleRow(); }

  // Properties; setting one redraws what it affects.
  int32_t Style() const { return style_; }
  void SetStyle(int32_t style);
  int32_t GetBoxStyle() const { return boxStyle_; }
  void SetBoxStyle(int32_t style);
  int32_t SelStyle() const { return selStyle_; }
  void SetSelStyle(int32_t style);
  int32_t MultiSelect() const { return model_.MultiSelect(); }
  void SetMultiSelect(int32_t mode);
  int32_t Margin() const { return margin_; }
  void SetMargin(int32_t twips);
  uint32_t MaskColor() const { return maskColor_; }
  void SetMaskColor(uint32_t colour);
  uint32_t BackColor() const { return backColor_; }
  void SetBackColor(uint32_t colour);
  uint32_t ForeColor() const { return foreColor_; }
  void SetForeColor(uint32_t colour);
  float ItemHeight() const;
  void SetItemHeight(float twips);  // truncated to whole pixels
  float ItemWidth() const { return itemWidth_; }
  void SetItemWidth(float twips);
  bool ItemNotifyEmpty() const { return notifyEmpty_; }
  void SetItemNotifyEmpty(bool show);
  const ControlFont& Font() const { return font_; }
  void SetFont(const ControlFont& font);
  // The list keeps its own copies of the pictures.
  PictureView BoxPicture() const { return boxPicture_; }
  void SetBoxPicture(const PictureView& picture);
  PictureView BoxUncheckPicture() const { return boxUncheckPicture_; }
  void SetBoxUncheckPicture(const PictureView& picture);
  // 1 starts a drag by itself once the pressed pointer leaves the system's drag rectangle;
  // 0 leaves drags to the owner's OLEDrag calls.
  int32_t OLEDragMode() const { return oleDragMode_; }
  void SetOLEDragMode(int32_t mode) { oleDragMode_ = mode; }
  // Drags the current item's text from the list until the buttons are released or Escape is
  // pressed; returns the effect the drop target chose (DROPEFFECT_NONE when the drag did not
  // take place: OLE not initialised on the thread, no window, a drag already running).
  DWORD OLEDrag();
  int32_t OLEDropMode() const { return oleDropMode_; }
  // 1 takes drops on the surface and passes them through the OLE events (the thread must have
  // called OleInitialize; without it the list takes no drops).
  void SetOLEDropMode(int32_t mode);

  void ReadProperties(const PropertyBag& bag);
  void WriteProperties(PropertyBag& bag) const;

  // Where a visible item is drawn, in pixels of the client area; empty when it is not shown.
  RECT ItemRect(int32_t item) const;
  int RowPixels() const { return itemHeightPixels_; }

 private:
  template <typename Form>
  friend LRESULT CALLBACK RouteToForm(HWND, UINT, WPARAM, LPARAM);
  class DataObject;
  class DropSource;
  class DropTarget;
  struct RowLook {
    int32_t item = -1;
    int state = 0;  // 1 normal, 2 selected, 3 past the end
    bool checked = false;
    bool focus = false;
    bool operator==(const RowLook&) const = default;
  };

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void Change(VScrollBarL& bar) override;
  void Scroll(VScrollBarL& bar) override;

  void Layout();
  void OnWheel(int delta);
  void ApplyMetrics();
  void SyncScrollBar();
  void FullPaint();
  // The rows whose look differs from what is drawn, copied to the window with `alsoShow`.
  void PaintChanged(const RECT& alsoShow = RECT{0, 0, 0, 0});
  void ForgetRowsFrom(int32_t item);  // rows from `item` on are drawn again, their texts changed
  void ScrolledTo(int32_t topRow);
  RowLook LookOf(int slot) const;
  void DrawItem(HDC dc, int slot, const RowLook& look);
  void DrawBox(HDC dc, const RECT& cell, const RowLook& look);
  void Present(const RECT& area);
  void EnsureSurface();
  void RebuildFont();
  int VisibleSlots() const;
  RECT SlotRect(int slot) const;
  int BoxColumnPixels() const;

  // The user's actions. Each returns false when a handler destroyed the list.
  bool ActOnBox(int32_t item);
  bool OnKeyDown(WPARAM key);
  bool OnButtonDown(LPARAM at, bool doubleClick);
  bool OnMouseMove(WPARAM keys, LPARAM at);
  bool OnButtonUp(LPARAM at);
  bool StartsDrag(WPARAM keys, int x, int y);
  void OnDragTimer();
  void RevokeDropTarget();

  SpeciaListEvents* events_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  HWND hwnd_ = nullptr;
  HWND vscList_ = nullptr;
  VScrollBarL m_Scroll;
  ListModel model_;
  PaintEffects effects_;

  OffscreenSurface surface_;
  HFONT fontHandle_ = nullptr;
  HFONT markFont_ = nullptr;  // Marlett, for the tick in the box column
  std::vector<RowLook> drawn_;  // per visible slot, as last drawn
  int32_t drawnTopRow_ = 0;

  ControlFont font_;
  int32_t style_ = 0;
  int32_t boxStyle_ = kCheckMarks;
  int32_t selStyle_ = 1;
  int32_t margin_ = kDefaultMargin;
  uint32_t maskColor_ = kDefaultMaskColor;
  uint32_t backColor_ = kDefaultBackColor;
  uint32_t foreColor_ = kDefaultForeColor;
  int itemHeightPixels_ = 12;  // 180 twips
  float itemWidth_ = 0;
  float boxColumnWidth_ = 200;
  bool notifyEmpty_ = false;
  PictureView boxPicture_, boxUncheckPicture_;
  int32_t oleDragMode_ = 0;
  int32_t oleDropMode_ = 0;
  DropTarget* dropTarget_ = nullptr;
  bool dragArmed_ = false;  // the left button went down with OLEDragMode 1
  POINT dragFrom_{0, 0};
  bool dragging_ = false;

  bool hasFocus_ = false;
  int wheelDelta_ = 0;     // what the wheel turned short of a whole notch
  int dragDirection_ = 0;  // -1 above, +1 below the surface while the button is held
  bool ready_ = false;
  bool syncingBar_ = false;
};

}  // namespace lum
