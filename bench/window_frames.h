// The frames the start-up probe reads from the tool's window, and what it
// makes of them: when the window was first painted, and when the logger's
// data appeared. Kept apart from the X server so that it can be tested.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brisko {

struct WindowFrame {
  double ms = 0;  // since the tool was started
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // row after row

  bool SameRow(const WindowFrame& other, int y) const;
  // One colour everywhere: mapped but not painted yet.
  bool Uniform() const;
};

// Index of the first frame that is not uniform, or frames.size().
std::size_t FirstPaintedFrame(const std::vector<WindowFrame>& frames);

// The time at which the logger's data appeared: each pixel row that differs
// between the first painted frame and the last settles at the time of the
// frame from which on it equals the last frame; the median of those times.
// Rows that keep changing (the live position, drifting readings) settle late
// and are outvoted by the many rows the identification fills at once. When no
// row changed, the data was there at the first paint. Needs a painted frame.
double DataShownMs(const std::vector<WindowFrame>& frames, std::size_t firstPainted);

}  // namespace brisko
