// A window region in the shape of a picture: every pixel of one transparent colour is left
// out. The region can be applied to any number of windows, saved as region data and loaded
// from region-data files or raw-data resources.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/dib_section.h"

namespace lum {

// The outcome of a region operation: number 0 for success, otherwise the error's number,
// description and source (the program's name followed by ".cDIBSectionRegion").
struct RegionResult {
  int32_t number = 0;
  std::u16string description;
  std::u16string source;
  bool ok() const { return number == 0; }
};

// Error numbers; file errors carry the system's own number instead.
enum RegionError : int32_t {
  kNoRegionToSave = 26010,
  kRegionSizeUnknown = 26011,
  kRegionDataUnavailable = 26012,
  kResourceModuleUnavailable = 26013,
  kResourceUnavailable = 26014,
  kInvalidRegionData = 26015,
};

// A resource identifier: a number, or a name ("#101" names resource 101).
class ResourceId {
 public:
  // Implicit, so that callers pass 101 or u"#101" alike.
  ResourceId(int number) : number_(number) {}
  ResourceId(std::u16string name) : name_(std::move(name)) {}
  ResourceId(const char16_t* name) : name_(name) {}
  // The identifier as messages show it: the number in decimal, or the name.
  std::u16string Text() const;
  // The name to look up in a module loaded as data: the name, or "#" and the number.
  std::u16string LookupName() const;
  bool IsNumber() const { return name_.empty(); }
  int Number() const { return number_; }

 private:
  int number_ = 0;
  std::u16string name_;
};

class BitmapRegion {
 public:
  BitmapRegion() = default;
  ~BitmapRegion() { Destroy(); }
  BitmapRegion(const BitmapRegion&) = delete;
  BitmapRegion& operator=(const BitmapRegion&) = delete;

  // Builds the region of every pixel of `dib` not of colour `transparent` (0x00BBGGRR) and
  // replaces the current one with it (as Destroy). False, with the old region kept, when
  // the bitmap is empty or the region can't be made.
  bool Create(const DibSection& dib, COLORREF transparent);

  bool Applied(HWND window) const;
  // True: adds the window to the applied list if it is not there and sets a copy of the region
  // as its region. False: removes the window's region and takes it out of the list.
  void Applied(HWND window, bool apply);
  int32_t AppliedToCount() const { return static_cast<int32_t>(windows_.size()); }
  // The window at 1-based `index` in the applied list, or null outside it.
  HWND hWndForIndex(int32_t index) const;

  // Takes the region off every applied window, empties the list and deletes the region.
  void Destroy();

  // Writes the region data to `path`. The file is written under a temporary name first and
  // replaces `path` only when written completely.
  RegionResult Save(const std::u16string& path) const;
  // Makes the region from a region-data file; the old region stays when that fails.
  RegionResult LoadFromFile(const std::u16string& path);
  // Makes the region from a raw-data resource of this program or, with a module file name,
  // of that module loaded as data; the old region stays when that fails.
  RegionResult LoadFromResource(const ResourceId& id, const std::u16string& module = {});

  // The region itself, still owned here (null when there is none).
  HRGN hRgn() const { return region_; }

 private:
  RegionResult FromData(const uint8_t* data, size_t size);
  void Replace(HRGN region);

  HRGN region_ = nullptr;
  std::vector<HWND> windows_;
};

}  // namespace lum
