// Where a dialog opens: centred over what it belongs to, kept inside the
// work area.
#include "win32/window_placement.h"

#include <gtest/gtest.h>

namespace brisko {
namespace {

TEST(CentredRectTest, CentredOverTheOwnerAndKeptInsideTheWorkArea) {
  const RECT workArea{0, 0, 1000, 740};  // a taskbar below
  struct Case {
    const char* name;
    RECT over;
    RECT placed;  // for a 200 x 100 window
  } const cases[] = {
      {"the work area itself", workArea, {400, 320, 600, 420}},
      {"an owner in the middle", {300, 200, 700, 500}, {400, 300, 600, 400}},
      {"an owner at the left edge", {-150, 100, 150, 300}, {0, 150, 200, 250}},
      {"an owner at the bottom right", {850, 680, 1100, 800}, {800, 640, 1000, 740}},
      {"an owner smaller than the window", {500, 300, 540, 320}, {420, 260, 620, 360}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RECT placed = CentredRect({7, 9, 207, 109}, c.over, workArea);
    EXPECT_EQ(placed.left, c.placed.left);
    EXPECT_EQ(placed.top, c.placed.top);
    EXPECT_EQ(placed.right, c.placed.right);
    EXPECT_EQ(placed.bottom, c.placed.bottom);
  }
}

TEST(CentredRectTest, AWindowLargerThanTheWorkAreaKeepsItsCaptionInside) {
  const RECT placed = CentredRect({0, 0, 1200, 900}, {0, 0, 1000, 740}, {0, 0, 1000, 740});
  EXPECT_EQ(placed.left, 0);
  EXPECT_EQ(placed.top, 0);
  EXPECT_EQ(placed.right, 1200);
  EXPECT_EQ(placed.bottom, 900);
}

}  // namespace
}  // namespace brisko
