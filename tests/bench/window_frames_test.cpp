// The start-up probe's reading of window frames: the identity must be found
// at the time the identification filled the window, not at the first paint
// and not at the last tick of the live position.
#include "bench/window_frames.h"

#include <gtest/gtest.h>

#include <vector>

namespace brisko {
namespace {

constexpr int kWidth = 4;
constexpr std::uint32_t kLabel = 0xdd0000;

// A window of text rows: each row's colour stands for what it shows.
WindowFrame Frame(double ms, const std::vector<std::uint32_t>& rows) {
  WindowFrame frame;
  frame.ms = ms;
  frame.width = kWidth;
  frame.height = static_cast<int>(rows.size());
  for (const std::uint32_t row : rows) frame.pixels.insert(frame.pixels.end(), kWidth, row);
  return frame;
}

WindowFrame Unpainted(double ms, int height) { return Frame(ms, std::vector<std::uint32_t>(height, 0)); }

// Eight rows of labels and empty fields. Rows 0-1, the live position, take a
// new look every second from 150 ms after the first paint; rows 2-7 (identity,
// pilot and glider texts) are filled at `identityMs`.
std::vector<WindowFrame> StartUp(double paintedMs, double identityMs, int positions) {
  std::vector<std::uint32_t> rows;
  for (std::uint32_t y = 0; y < 8; ++y) rows.push_back(kLabel + y);
  std::vector<WindowFrame> frames = {Unpainted(paintedMs - 10, 8), Frame(paintedMs, rows)};
  bool identityShown = false;
  const auto showIdentity = [&] {
    for (std::size_t y = 2; y < 8; ++y) rows[y] = 0x100 + static_cast<std::uint32_t>(y);
    frames.push_back(Frame(identityMs, rows));
    identityShown = true;
  };
  for (int second = 0; second < positions; ++second) {
    const double positionMs = paintedMs + 150 + 1000.0 * second;
    if (!identityShown && identityMs < positionMs) showIdentity();
    rows[0] = rows[1] = 0x500 + static_cast<std::uint32_t>(second);
    frames.push_back(Frame(positionMs, rows));
  }
  if (!identityShown) showIdentity();
  return frames;
}

TEST(WindowFramesTest, IdentityTimeOutvotesTheLivePosition) {
  struct Case {
    const char* name;
    std::vector<WindowFrame> frames;
    double painted;
    double data;
  };
  const Case cases[] = {
      {"identity after the first position", StartUp(40, 340, 6), 40, 340},
      {"identity alone", StartUp(35, 300, 1), 35, 300},
      {"nothing changed after the first paint", {Unpainted(5, 3), Frame(30, {1, 2, 3}), Frame(900, {1, 2, 3})}, 30,
       30},
      {"painted at once", {Frame(25, {1, 2}), Frame(400, {1, 9})}, 25, 400},
  };
  for (const Case& c : cases) {
    const std::size_t first = FirstPaintedFrame(c.frames);
    ASSERT_LT(first, c.frames.size()) << c.name;
    EXPECT_DOUBLE_EQ(c.frames[first].ms, c.painted) << c.name;
    EXPECT_DOUBLE_EQ(DataShownMs(c.frames, first), c.data) << c.name;
  }
}

TEST(WindowFramesTest, RowThatChangesBackAndForthSettlesAtItsLastChange) {
  // Row 0 shows a value, loses it and gets it back: it settled only then.
  const std::vector<WindowFrame> frames = {Frame(10, {0, 0}), Frame(20, {0, 1}), Frame(300, {7, 1}),
                                           Frame(600, {0, 1}), Frame(900, {7, 1})};
  EXPECT_EQ(FirstPaintedFrame(frames), 1u);
  // Two rows differ from the first painted frame? Only row 0: it settled at 900.
  EXPECT_DOUBLE_EQ(DataShownMs(frames, 1), 900);
}

TEST(WindowFramesTest, NeverPaintedAndResizedWindows) {
  EXPECT_EQ(FirstPaintedFrame({Unpainted(1, 2), Unpainted(2, 2)}), 2u);
  EXPECT_EQ(FirstPaintedFrame({}), 0u);

  WindowFrame narrow = Frame(1, {1, 2});
  WindowFrame wide = narrow;
  wide.width = 2;
  EXPECT_FALSE(narrow.SameRow(wide, 0));
  EXPECT_FALSE(narrow.SameRow(narrow, 2));
  EXPECT_FALSE(narrow.SameRow(narrow, -1));
  EXPECT_TRUE(narrow.SameRow(Frame(2, {1, 5}), 0));
}

}  // namespace
}  // namespace brisko
