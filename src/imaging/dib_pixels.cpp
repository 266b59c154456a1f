#include "imaging/dib_pixels.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace lum {

int64_t BytesPerScanLine(int64_t width) {
  if (width < 1 || width > INT32_MAX) return 0;
  return (3 * width + 3) / 4 * 4;
}

std::optional<size_t> DibImageSize(int64_t width, int64_t height) {
  if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX) return std::nullopt;
  const uint64_t rowBytes = static_cast<uint64_t>(BytesPerScanLine(width));
  if (static_cast<uint64_t>(height) > kMaxDibBytes / rowBytes) return std::nullopt;
  return static_cast<size_t>(rowBytes * static_cast<uint64_t>(height));
}

bool DibPixels::Usable() const {
  const auto size = DibImageSize(width, height);
  return size && bytes.size() >= *size;
}

namespace {

// Rounds to the nearest integer, halves to even, and limits to a byte.
int RoundChannel(double value) { return static_cast<int>(std::clamp(std::nearbyint(value), 0.0, 255.0)); }

struct Neighbours {
  int first, second;
  double fraction;
};

// The two source indices around position `step` x `index`; the second never passes `last`.
Neighbours Around(float step, int index, int last) {
  const double position = static_cast<double>(step) * index;
  const int first = std::min(static_cast<int>(std::floor(position)), last);
  return {first, std::min(first + 1, last), position - first};
}

}  // namespace

void ResampleBilinear(const DibPixels& source, const DibPixels& target) {
  if (!source.Usable() || !target.Usable()) return;
  const float stepX = static_cast<float>(source.width - 1) / static_cast<float>(target.width);
  const float stepY = static_cast<float>(source.height - 1) / static_cast<float>(target.height);
  for (int i = 0; i < target.height; ++i) {
    const Neighbours y = Around(stepY, i, source.height - 1);
    const uint8_t* top = source.Row(y.first);
    const uint8_t* bottom = source.Row(y.second);
    uint8_t* out = target.Row(i);
    for (int j = 0; j < target.width; ++j) {
      const Neighbours x = Around(stepX, j, source.width - 1);
      for (int channel = 0; channel < 3; ++channel) {
        const size_t left = 3 * static_cast<size_t>(x.first) + channel;
        const size_t right = 3 * static_cast<size_t>(x.second) + channel;
        const int leftValue = RoundChannel((1 - y.fraction) * top[left] + y.fraction * bottom[left]);
        const int rightValue = RoundChannel((1 - y.fraction) * top[right] + y.fraction * bottom[right]);
        out[3 * static_cast<size_t>(j) + channel] =
            static_cast<uint8_t>(RoundChannel((1 - x.fraction) * leftValue + x.fraction * rightValue));
      }
    }
  }
}

void FillNoise(const DibPixels& pixels, bool grey, uint32_t seed) {
  if (!pixels.Usable()) return;
  std::mt19937 generator(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  auto next = [&] { return static_cast<uint8_t>(RoundChannel(255 * unit(generator))); };
  if (grey) {
    for (int row = 0; row < pixels.height; ++row) {
      uint8_t* p = pixels.Row(row);
      for (int x = 0; x < pixels.width; ++x, p += 3) p[0] = p[1] = p[2] = next();
    }
    return;
  }
  for (int x = 0; x < pixels.width; ++x) {
    for (int row = 0; row < pixels.height; ++row) {
      uint8_t* p = pixels.Row(row) + 3 * static_cast<size_t>(x);
      p[0] = 0;
      p[1] = next();
      p[2] = next();
    }
  }
}

}  // namespace lum
