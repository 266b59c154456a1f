#include "imaging/bitmap_data.h"

#include <cstddef>
#include <limits>

namespace lum {

namespace {

constexpr size_t kSizeField = 2;
constexpr size_t kOffsetField = 10;
constexpr size_t kFileHeaderSize = 14;
constexpr uint8_t kMarker = 0x4D;  // "M"
constexpr size_t kBlockTail = 5;   // the old offset H and the marker after the record

uint32_t ReadU32(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
         static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

void WriteU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

bool IsBitmap(std::span<const uint8_t> file) { return file.size() >= 2 && file[0] == 'B' && file[1] == 'M'; }

// Offsets are kept in 64 bits so that sums of 32-bit fields cannot wrap; they are only turned
// into iterators once checked against the file's length.
std::span<const uint8_t>::iterator At(std::span<const uint8_t> bytes, uint64_t offset) {
  return bytes.begin() + static_cast<std::ptrdiff_t>(offset);
}

}  // namespace

DataReadResult DataRead(std::span<const uint8_t> file) {
  DataReadResult result;
  if (!IsBitmap(file) || file.size() < kFileHeaderSize) return result;
  // D below 5 would put the old offset before the start of the file; D past the end means the
  // byte before the pixel data is not there to read.
  const uint64_t pixels = ReadU32(file, kOffsetField);
  if (pixels < kBlockTail || pixels > file.size()) return result;
  if (file[pixels - 1] != kMarker) {
    result.outcome = DataReadOutcome::kNoRecord;
    return result;
  }
  // H + N + 5 = D with D inside the file, so a record of at least one byte starting at H ends
  // inside the file too; only the lower bound on N needs checking.
  const uint64_t start = ReadU32(file, pixels - kBlockTail);
  if (start + kBlockTail >= pixels) return result;
  const uint64_t length = pixels - kBlockTail - start;
  result.outcome = DataReadOutcome::kRecord;
  result.record.assign(At(file, start), At(file, start + length));
  return result;
}

std::u16string_view DataReadText(DataReadOutcome outcome) {
  switch (outcome) {
    case DataReadOutcome::kUnreadable:
      return u"???";
    case DataReadOutcome::kNoFile:
      return u"ERR";
    default:
      return u"";
  }
}

DataWriteResult DataWrite(std::vector<uint8_t>& file, std::span<const uint8_t> record) {
  while (!record.empty() && record.front() == ' ') record = record.subspan(1);
  while (!record.empty() && record.back() == ' ') record = record.first(record.size() - 1);
  if (record.empty()) return DataWriteResult::kEmptyText;
  if (!IsBitmap(file) || file.size() < kFileHeaderSize) return DataWriteResult::kFailed;

  const uint64_t pixels = ReadU32(file, kOffsetField);
  if (pixels < 1 || pixels > file.size()) return DataWriteResult::kFailed;
  uint64_t start = pixels;  // where the headers end and the record goes
  if (file[pixels - 1] == kMarker) {
    if (pixels < kBlockTail) return DataWriteResult::kFailed;
    start = ReadU32(file, pixels - kBlockTail);
    if (start > pixels - kBlockTail) return DataWriteResult::kFailed;
  }
  // The new offset goes into the kept headers, so they must reach past the offset field.
  if (start < kFileHeaderSize) return DataWriteResult::kFailed;

  const uint64_t newPixels = start + record.size() + kBlockTail;
  const uint64_t newSize = newPixels + (file.size() - pixels);
  // The size and offset fields are 32-bit and readers take them as signed.
  if (newSize > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return DataWriteResult::kFailed;

  std::vector<uint8_t> out;
  out.reserve(newSize);
  const std::span<const uint8_t> source(file);
  out.insert(out.end(), source.begin(), At(source, start));
  out.insert(out.end(), record.begin(), record.end());
  out.resize(out.size() + 4);
  WriteU32(out, out.size() - 4, static_cast<uint32_t>(start));
  out.push_back(kMarker);
  out.insert(out.end(), At(source, pixels), source.end());
  WriteU32(out, kOffsetField, static_cast<uint32_t>(newPixels));
  WriteU32(out, kSizeField, static_cast<uint32_t>(out.size()));
  file.swap(out);
  return DataWriteResult::kOk;
}

}  // namespace lum
