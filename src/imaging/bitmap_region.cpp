#include "imaging/bitmap_region.h"

#include <algorithm>
#include <optional>

#include "imaging/region_data.h"
#include "platform/scoped_win.h"
#include "platform/text.h"

namespace lum {

namespace {

constexpr WORD kRawData = 10;  // the resource type of region data (RT_RCDATA)

// A module loaded as a data file, freed at the end of the scope.
class ScopedDataModule {
 public:
  explicit ScopedDataModule(const std::u16string& path)
      : module_(LoadLibraryExW(Wide(path), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  ~ScopedDataModule() {
    if (module_) FreeLibrary(module_);
  }
  ScopedDataModule(const ScopedDataModule&) = delete;
  ScopedDataModule& operator=(const ScopedDataModule&) = delete;
  HMODULE get() const { return module_; }

 private:
  HMODULE module_;
};

// The program's file name without folder and extension, as error sources name it.
std::u16string ProgramName() {
  wchar_t path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::u16string name = FromWide(path).substr(0, length);
  name = name.substr(name.find_last_of(u"\\/") + 1);
  return name.substr(0, name.find_last_of(u'.'));
}

RegionResult Error(int32_t number, std::u16string description) {
  return {number, std::move(description), ProgramName() + u".cDIBSectionRegion"};
}

// The error the system reported for the last failed call, with its own text.
RegionResult SystemError() {
  DWORD number = GetLastError();
  if (number == ERROR_SUCCESS) number = ERROR_GEN_FAILURE;  // a failure never reads as success
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 number, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::u16string description = text ? FromWide(text) : u"";
  if (text) LocalFree(text);
  while (!description.empty() && (description.back() == u'\n' || description.back() == u'\r')) description.pop_back();
  return Error(static_cast<int32_t>(number), description);
}

// The folder part of a path with its closing backslash ("." when it has none), where the
// temporary file goes; "C:\\x.rgn" gives the root "C:\\", not the drive's current folder.
std::u16string FolderOf(const std::u16string& path) {
  const size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string::npos ? u"." : path.substr(0, slash + 1);
}

// A copy of `region` for one window: the system owns a window's region from SetWindowRgn
// on, so no two windows may share a handle with each other or with us.
HRGN CopyOf(HRGN region) {
  if (!region) return nullptr;
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  if (copy && CombineRgn(copy, region, nullptr, RGN_COPY) == ERROR) {
    DeleteObject(copy);
    return nullptr;
  }
  return copy;
}

}  // namespace

std::u16string ResourceId::Text() const {
  if (!IsNumber()) return name_;
  const std::string digits = std::to_string(number_);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string ResourceId::LookupName() const {
  if (!IsNumber()) return name_;
  std::u16string name = u"#";
  return name.append(Text());
}

bool BitmapRegion::Create(const DibSection& dib, COLORREF transparent) {
  const DibPixels pixels = dib.Pixels();
  if (!pixels.Usable()) return false;
  ScopedGdiObject<HRGN> region(CreateRectRgn(0, 0, pixels.width, pixels.height));
  if (!region) return false;
  // Every run lies inside the region, so exclusive-or cuts it out.
  for (const RegionRect& run : TransparentRuns(pixels, transparent)) {
    ScopedGdiObject<HRGN> strip(CreateRectRgn(run.left, run.top, run.right, run.bottom));
    if (!strip || CombineRgn(region.get(), region.get(), strip.get(), RGN_XOR) == ERROR) return false;
  }
  Replace(region.release());
  return true;
}

bool BitmapRegion::Applied(HWND window) const {
  return std::find(windows_.begin(), windows_.end(), window) != windows_.end();
}

void BitmapRegion::Applied(HWND window, bool apply) {
  if (apply) {
    if (!Applied(window)) windows_.push_back(window);
    HRGN copy = CopyOf(region_);
    if (!SetWindowRgn(window, copy, TRUE) && copy) DeleteObject(copy);
    return;
  }
  SetWindowRgn(window, nullptr, TRUE);
  windows_.erase(std::remove(windows_.begin(), windows_.end(), window), windows_.end());
}

HWND BitmapRegion::hWndForIndex(int32_t index) const {
  if (index < 1 || index > AppliedToCount()) return nullptr;
  return windows_[static_cast<size_t>(index - 1)];
}

void BitmapRegion::Destroy() {
  for (HWND window : windows_)
    if (IsWindow(window)) SetWindowRgn(window, nullptr, TRUE);
  windows_.clear();
  if (region_) DeleteObject(region_);
  region_ = nullptr;
}

void BitmapRegion::Replace(HRGN region) {
  Destroy();
  region_ = region;
}

RegionResult BitmapRegion::Save(const std::u16string& path) const {
  if (!region_) return Error(kNoRegionToSave, u"No region to save");
  const DWORD size = GetRegionData(region_, 0, nullptr);
  if (size < 1) return Error(kRegionSizeUnknown, u"Unable to determine size of region");
  std::vector<uint32_t> buffer((size + 3) / 4);  // RGNDATA is read as 32-bit fields
  if (GetRegionData(region_, size, reinterpret_cast<RGNDATA*>(buffer.data())) != size)
    return Error(kRegionDataUnavailable, u"Unable to get region data");

  wchar_t temporary[MAX_PATH + 1] = {};
  if (!GetTempFileNameW(Wide(FolderOf(path)), L"rgn", 0, temporary)) return SystemError();
  {
    ScopedHandle file(CreateFileW(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.get(), buffer.data(), size, &written, nullptr) || written != size) {
      RegionResult failure = SystemError();
      file.reset();
      DeleteFileW(temporary);
      return failure;
    }
  }
  if (!MoveFileExW(temporary, Wide(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED)) {
    RegionResult failure = SystemError();
    DeleteFileW(temporary);
    return failure;
  }
  return {};
}

RegionResult BitmapRegion::LoadFromFile(const std::u16string& path) {
  ScopedHandle file(
      CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return SystemError();
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return SystemError();
  // Larger than any region data: refused before anything is allocated.
  if (size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > kRegionDataLimit)
    return Error(kInvalidRegionData, u"Invalid region data");
  std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes.empty() && !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
    return SystemError();
  bytes.resize(read);
  return FromData(bytes.data(), bytes.size());
}

RegionResult BitmapRegion::LoadFromResource(const ResourceId& id, const std::u16string& module) {
  const std::u16string notFound = u"Resource with ID " + id.Text() + u" could not be found";
  std::optional<ScopedDataModule> loaded;
  HMODULE source = GetModuleHandleW(nullptr);
  if (!module.empty()) {
    loaded.emplace(module);
    source = loaded->get();
    if (!source) return Error(kResourceModuleUnavailable, u"Can't open DLL for Resource Access");
  }
  // Resource numbers are 16-bit; any other number would be cut to a different resource.
  if (id.IsNumber() && (id.Number() < 1 || id.Number() > 0xFFFF)) return Error(kResourceUnavailable, notFound);
  const std::u16string name = id.LookupName();
  HRSRC resource = module.empty() && id.IsNumber()
                       ? FindResourceW(source, MAKEINTRESOURCEW(id.Number()), MAKEINTRESOURCEW(kRawData))
                       : FindResourceW(source, Wide(name), MAKEINTRESOURCEW(kRawData));
  if (!resource) return Error(kResourceUnavailable, notFound);
  const DWORD size = SizeofResource(source, resource);
  HGLOBAL handle = LoadResource(source, resource);
  const auto* data = handle ? static_cast<const uint8_t*>(LockResource(handle)) : nullptr;
  if (!data) return Error(kResourceUnavailable, u"Cannot access data for resource with ID " + id.Text());
  return FromData(data, size);
}

RegionResult BitmapRegion::FromData(const uint8_t* data, size_t size) {
  const auto blockBytes = RegionDataBytes({data, size});
  if (!blockBytes) return Error(kInvalidRegionData, u"Invalid region data");
  // A copy with the alignment of the header's 32-bit fields, whatever the source's.
  std::vector<uint32_t> block((*blockBytes + 3) / 4);
  std::copy(data, data + *blockBytes, reinterpret_cast<uint8_t*>(block.data()));
  HRGN region =
      ExtCreateRegion(nullptr, static_cast<DWORD>(*blockBytes), reinterpret_cast<const RGNDATA*>(block.data()));
  if (!region) return Error(kInvalidRegionData, u"Invalid region data");
  Replace(region);
  return {};
}

}  // namespace lum
