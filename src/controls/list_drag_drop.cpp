// The extended list's drag and drop: the OLE data object, drop source and drop target, and
// the list's members that start a drag and register the list as a drop target.
#include <ole2.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>

#include "controls/extended_list.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace lum {

namespace {

int16_t ShiftOf(DWORD keys) {
  return static_cast<int16_t>(((keys & MK_SHIFT) ? 1 : 0) | ((keys & MK_CONTROL) ? 2 : 0) | ((keys & MK_ALT) ? 4 : 0));
}

// True when the thread's owner has set up OLE; the probe leaves its count as it was.
bool OleReady() {
  const HRESULT probe = OleInitialize(nullptr);
  if (FAILED(probe)) return false;
  OleUninitialize();
  return probe == S_FALSE;
}

constexpr DWORD kDragEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;

HGLOBAL GlobalFrom(const void* bytes, size_t size) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, std::max<size_t>(size, 1));
  if (!memory) return nullptr;
  if (void* to = GlobalLock(memory)) {
    if (size) std::memcpy(to, bytes, size);
    GlobalUnlock(memory);
    return memory;
  }
  GlobalFree(memory);
  return nullptr;
}

HGLOBAL CopyGlobal(HGLOBAL from) {
  const void* bytes = from ? GlobalLock(from) : nullptr;
  if (!bytes) return nullptr;
  HGLOBAL copy = GlobalFrom(bytes, GlobalSize(from));
  GlobalUnlock(from);
  return copy;
}

// Reference counting and QueryInterface shared by the list's OLE objects.
template <typename Interface>
class ComObject : public Interface {
 public:
  explicit ComObject(const IID& id) : id_(id) {}
  virtual ~ComObject() = default;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
    if (!out) return E_POINTER;
    if (id == IID_IUnknown || id == id_) {
      *out = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  const IID& id_;
  ULONG references_ = 1;
};

}  // namespace

std::u16string OleDataText(IDataObject* data) {
  if (!data) return {};
  for (CLIPFORMAT format : {CLIPFORMAT{CF_UNICODETEXT}, CLIPFORMAT{CF_TEXT}}) {
    FORMATETC wanted{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (FAILED(data->GetData(&wanted, &medium))) continue;
    std::u16string text;
    const auto* bytes = medium.tymed == TYMED_HGLOBAL ? static_cast<const char*>(GlobalLock(medium.hGlobal)) : nullptr;
    if (bytes) {
      const size_t size = GlobalSize(medium.hGlobal);
      // Up to the terminator, if the block has one.
      if (format == CF_UNICODETEXT) {
        text.assign(reinterpret_cast<const char16_t*>(bytes), size / sizeof(char16_t));
        text.resize(std::min(text.size(), text.find(u'\0')));
      } else {
        text = FromAnsi(std::string_view(bytes, strnlen(bytes, size)));
      }
      GlobalUnlock(medium.hGlobal);
    }
    ReleaseStgMedium(&medium);
    if (bytes) return text;
  }
  return {};
}

bool SetOleDataText(IDataObject* data, const std::u16string& text) {
  if (!data) return false;
  const std::string ansi = ToAnsi(text);
  const std::pair<CLIPFORMAT, HGLOBAL> forms[] = {
      {CF_UNICODETEXT, GlobalFrom(text.c_str(), (text.size() + 1) * sizeof(char16_t))},
      {CF_TEXT, GlobalFrom(ansi.c_str(), ansi.size() + 1)}};
  bool stored = true;
  for (const auto& [format, memory] : forms) {
    FORMATETC offered{format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = memory;
    if (!memory || FAILED(data->SetData(&offered, &medium, TRUE))) {
      stored = false;
      if (memory) GlobalFree(memory);
    }
  }
  return stored;
}

// The data of a drag from the list: memory blocks by clipboard format. A format offered
// without data is asked of the owner (OLESetData) when a target wants it.
class SpeciaList::DataObject : public ComObject<IDataObject> {
 public:
  explicit DataObject(SpeciaList& list) : ComObject(IID_IDataObject), list_(list), alive_(list.alive_) {}
  ~DataObject() override {
    for (const Entry& entry : entries_)
      if (entry.data) GlobalFree(entry.data);
  }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* format, STGMEDIUM* medium) override {
    if (!format || !medium) return E_INVALIDARG;
    const Entry* entry = Find(*format);
    if (entry && !entry->data && *alive_ && list_.events_) {
      list_.events_->OLESetData(list_, this, format->cfFormat);
      entry = Find(*format);  // the handler may have added entries
    }
    if (!entry || !entry->data) return DV_E_FORMATETC;
    medium->hGlobal = CopyGlobal(entry->data);
    if (!medium->hGlobal) return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* format) override {
    return format && Find(*format) ? S_OK : DV_E_FORMATETC;
  }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override {
    if (out) out->ptd = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override {
    if (!format || !medium) return E_INVALIDARG;
    if (format->dwAspect != DVASPECT_CONTENT) return DV_E_FORMATETC;
    if (medium->tymed != TYMED_HGLOBAL && medium->tymed != TYMED_NULL) return DV_E_TYMED;
    HGLOBAL copy = nullptr;
    if (medium->tymed == TYMED_HGLOBAL && !(copy = CopyGlobal(medium->hGlobal))) return E_OUTOFMEMORY;
    if (release) ReleaseStgMedium(medium);
    for (Entry& entry : entries_) {
      if (entry.format != format->cfFormat) continue;
      if (entry.data) GlobalFree(entry.data);
      entry.data = copy;
      return S_OK;
    }
    entries_.push_back({format->cfFormat, copy});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (direction != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> formats;
    for (const Entry& entry : entries_) formats.push_back({entry.format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    FORMATETC none{};
    return SHCreateStdEnumFmtEtc(static_cast<UINT>(formats.size()), formats.empty() ? &none : formats.data(), out);
  }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
    return OLE_E_ADVISENOTSUPPORTED;
  }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

 private:
  struct Entry {
    CLIPFORMAT format;
    HGLOBAL data;  // null: offered, to be put in by OLESetData
  };
  const Entry* Find(const FORMATETC& format) const {
    if (format.dwAspect != DVASPECT_CONTENT || !(format.tymed & TYMED_HGLOBAL)) return nullptr;
    for (const Entry& entry : entries_)
      if (entry.format == format.cfFormat) return &entry;
    return nullptr;
  }
  SpeciaList& list_;  // used only while *alive_: the data may outlive the list
  std::shared_ptr<bool> alive_;
  std::vector<Entry> entries_;
};

// Ends the drag when the buttons are released and lets the owner choose the cursors.
class SpeciaList::DropSource : public ComObject<IDropSource> {
 public:
  explicit DropSource(SpeciaList& list) : ComObject(IID_IDropSource), list_(list), alive_(list.alive_) {}
  HRESULT STDMETHODCALLTYPE QueryContinueDrag(BOOL escape, DWORD keys) override {
    if (escape || !*alive_) return DRAGDROP_S_CANCEL;
    return keys & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON) ? S_OK : DRAGDROP_S_DROP;
  }
  HRESULT STDMETHODCALLTYPE GiveFeedback(DWORD effect) override {
    bool defaultCursors = true;
    if (*alive_ && list_.events_) list_.events_->OLEGiveFeedback(list_, effect, defaultCursors);
    return defaultCursors ? DRAGDROP_S_USEDEFAULTCURSORS : S_OK;
  }

 private:
  SpeciaList& list_;
  std::shared_ptr<bool> alive_;
};

// Takes drops on the surface and hands them to the owner's OLE events. The target may live
// on in OLE's hands after the list is gone; it is detached then and raises nothing.
class SpeciaList::DropTarget : public ComObject<IDropTarget> {
 public:
  explicit DropTarget(SpeciaList& list) : ComObject(IID_IDropTarget), list_(&list) {}
  ~DropTarget() override { Forget(); }
  void Detach() {
    list_ = nullptr;
    Forget();
  }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override {
    Forget();
    if ((data_ = data)) data_->AddRef();
    return Over(keys, at, effect, 0);
  }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL at, DWORD* effect) override {
    return Over(keys, at, effect, 2);
  }
  HRESULT STDMETHODCALLTYPE DragLeave() override {
    DWORD effect = DROPEFFECT_NONE;
    Raise(data_, effect, 0, 0, 1);
    Forget();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL at, DWORD* effect) override {
    if (!effect) return E_INVALIDARG;
    const DWORD allowed = *effect;
    last_ = ToClient(at);
    if (list_ && list_->events_)
      list_->events_->OLEDragDrop(*list_, data, *effect, MouseButtons(keys), ShiftOf(keys),
                                  EventTwipsX(last_.x), EventTwipsY(last_.y));
    *effect &= allowed;
    Forget();
    return S_OK;
  }

 private:
  // The owner gets the effects the source allows and keeps one or none of them.
  HRESULT Over(DWORD keys, POINTL at, DWORD* effect, int16_t state) {
    if (!effect) return E_INVALIDARG;
    const DWORD allowed = *effect;
    last_ = ToClient(at);
    Raise(data_, *effect, MouseButtons(keys), ShiftOf(keys), state);
    *effect &= allowed;
    return S_OK;
  }
  void Raise(IDataObject* data, DWORD& effect, int16_t button, int16_t shift, int16_t state) {
    if (list_ && list_->events_)
      list_->events_->OLEDragOver(*list_, data, effect, button, shift, EventTwipsX(last_.x),
                                  EventTwipsY(last_.y), state);
  }
  POINT ToClient(POINTL at) const {
    POINT point{at.x, at.y};
    if (list_ && list_->hwnd_) ScreenToClient(list_->hwnd_, &point);
    return point;
  }
  void Forget() {
    if (data_) data_->Release();
    data_ = nullptr;
  }
  SpeciaList* list_;
  IDataObject* data_ = nullptr;  // what DragEnter brought, for the later events
  POINT last_{0, 0};
};

void SpeciaList::RevokeDropTarget() {
  if (!dropTarget_) return;
  if (hwnd_) RevokeDragDrop(hwnd_);
  dropTarget_->Detach();
  dropTarget_->Release();
  dropTarget_ = nullptr;
}

void SpeciaList::SetOLEDropMode(int32_t mode) {
  RevokeDropTarget();
  oleDropMode_ = mode;
  // Wine registers targets on threads without OLE too, where no drop could reach them.
  if (hwnd_ && mode == 1 && OleReady()) {
    dropTarget_ = new DropTarget(*this);
    if (FAILED(RegisterDragDrop(hwnd_, dropTarget_))) {
      dropTarget_->Release();
      dropTarget_ = nullptr;
    }
  }
}

DWORD SpeciaList::OLEDrag() {
  if (!hwnd_ || dragging_) return DROPEFFECT_NONE;
  // The thread's OLE is borrowed, never set up here: S_OK means nobody had initialised it.
  const HRESULT ole = OleInitialize(nullptr);
  if (FAILED(ole)) return DROPEFFECT_NONE;
  struct OleRelease {
    ~OleRelease() { OleUninitialize(); }
  } oleRelease;
  if (ole == S_OK) return DROPEFFECT_NONE;

  auto alive = alive_;
  DataObject* data = new DataObject(*this);
  const int32_t item = model_.ListIndex();
  if (item >= 0 && item < model_.Count()) SetOleDataText(data, model_.Text(item));
  DWORD allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  if (events_) events_->OLEStartDrag(*this, data, allowed);
  allowed &= kDragEffects;
  DWORD effect = DROPEFFECT_NONE;
  if (*alive && allowed && hwnd_) {
    DropSource* source = new DropSource(*this);
    dragging_ = true;
    if (DoDragDrop(data, source, allowed, &effect) != DRAGDROP_S_DROP) effect = DROPEFFECT_NONE;
    source->Release();
    if (*alive) {
      dragging_ = false;
      if (events_) events_->OLECompleteDrag(*this, effect);
    }
  }
  data->Release();
  return effect;
}

}  // namespace lum
