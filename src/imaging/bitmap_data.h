// A BMP file that also carries a record: the record's bytes sit between the headers and the
// pixel data, so picture viewers skip them through the pixel-data offset. Channel files are
// such bitmaps. These routines work on the file's bytes; opening and writing files and the
// ANSI code page conversion of the record belong to the caller.
//
// Layout (little-endian, 0-based offsets) of a bitmap carrying a record of N >= 1 bytes:
//   0: "BM"   2: file size   6: reserved   10: pixel-data offset D = H + N + 5
//   H: the record   H + N: H, the pixel-data offset before the record went in   H + N + 4: 0x4D
//   D: the pixel data
// A bitmap carries a record exactly when the byte before its pixel data is 0x4D.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace lum {

enum class DataReadOutcome {
  kRecord,      // the bitmap carries a record
  kNoRecord,    // an ordinary bitmap: the caller's text is empty
  kUnreadable,  // not "BM", truncated, or offsets that contradict the file: "???"
  kNoFile,      // never produced here; the caller's result for an empty path or a missing file: "ERR"
};

struct DataReadResult {
  DataReadOutcome outcome = DataReadOutcome::kUnreadable;
  std::vector<uint8_t> record;  // the stored bytes (ANSI code page) when outcome is kRecord
};

// The record carried by a bitmap file's bytes. The file is untrusted: every offset is checked
// against its length before anything is read or allocated.
DataReadResult DataRead(std::span<const uint8_t> file);

// The text `DataRead` gives its caller for an outcome without a record: "", "???" or "ERR".
std::u16string_view DataReadText(DataReadOutcome outcome);

// The numbers `DataWrite` gives its caller.
enum class DataWriteResult : int32_t {
  kOk = 0,
  kEmptyText = -1,  // the record is empty (after trimming spaces)
  kNoSource = -2,   // never produced here; the caller's result for an empty source path
  kFailed = -3,     // the source is not a usable bitmap, or the caller could not write the file
};

// Puts `record` (ANSI code page bytes) into the bitmap `file`, replacing any record it already
// carries, and sets the size field to the new length. Spaces (0x20) at either end of the record
// are trimmed first; no lead or trail byte of a double-byte code page is 0x20, so trimming bytes
// trims characters. On any result but kOk `file` is left as it was.
DataWriteResult DataWrite(std::vector<uint8_t>& file, std::span<const uint8_t> record);

}  // namespace lum
