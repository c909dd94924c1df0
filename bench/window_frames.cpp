#include "bench/window_frames.h"

#include <algorithm>
#include <cstring>

#include "bench/distribution.h"

namespace brisko {

bool WindowFrame::SameRow(const WindowFrame& other, int y) const {
  if (width != other.width || y < 0 || y >= height || y >= other.height) return false;
  const auto offset = static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
  return std::memcmp(&pixels[offset], &other.pixels[offset], static_cast<std::size_t>(width) * sizeof(std::uint32_t)) ==
         0;
}

bool WindowFrame::Uniform() const {
  return std::all_of(pixels.begin(), pixels.end(), [&](std::uint32_t p) { return p == pixels.front(); });
}

std::size_t FirstPaintedFrame(const std::vector<WindowFrame>& frames) {
  std::size_t index = 0;
  while (index < frames.size() && frames[index].Uniform()) ++index;
  return index;
}

double DataShownMs(const std::vector<WindowFrame>& frames, std::size_t firstPainted) {
  const WindowFrame& last = frames.back();
  std::vector<double> settled;
  for (int y = 0; y < frames[firstPainted].height; ++y) {
    if (frames[firstPainted].SameRow(last, y)) continue;
    std::size_t k = frames.size() - 1;
    while (k > firstPainted && frames[k - 1].SameRow(last, y)) --k;
    settled.push_back(frames[k].ms);
  }
  if (settled.empty()) return frames[firstPainted].ms;
  return Summarize(settled).median;
}

}  // namespace brisko
