// Where a dialog opens: centred over what it belongs to, moved as little as
// needed to stay inside the work area.
#include "win32/window_placement.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace brisko {
namespace {

TEST(CentredRectTest, CentredOverTheOwnerAsFarAsTheWorkAreaAllows) {
  const RECT workArea{0, 0, 1000, 740};  // a taskbar below
  const RECT windows[] = {{7, 9, 207, 109}, {0, 0, 1200, 900}, {-50, 0, 251, 101}};
  const RECT owners[] = {workArea, {300, 200, 700, 500}, {-150, 100, 150, 300}, {850, 680, 1100, 800},
                         {500, 300, 540, 320}, {-2000, -2000, -1000, -1000}};
  for (const RECT& window : windows) {
    for (const RECT& over : owners) {
      SCOPED_TRACE(testing::Message() << "window " << window.right - window.left << " x " << window.bottom - window.top
                                      << ", owner at " << over.left << "," << over.top);
      const RECT placed = CentredRect(window, over, workArea);
      EXPECT_EQ(placed.right - placed.left, window.right - window.left);
      EXPECT_EQ(placed.bottom - placed.top, window.bottom - window.top);
      // Per axis: the caption's corner inside the work area, and all of the
      // window when it fits, centred unless an edge of the area is in the way.
      struct Axis {
        LONG low, high, overLow, overHigh, areaLow, areaHigh;
      } const axes[] = {{placed.left, placed.right, over.left, over.right, workArea.left, workArea.right},
                        {placed.top, placed.bottom, over.top, over.bottom, workArea.top, workArea.bottom}};
      for (const Axis& a : axes) {
        EXPECT_GE(a.low, a.areaLow);
        if (a.high - a.low > a.areaHigh - a.areaLow) {
          EXPECT_EQ(a.low, a.areaLow);
          continue;
        }
        EXPECT_LE(a.high, a.areaHigh);
        const LONG offCentre = a.low + a.high - a.overLow - a.overHigh;
        EXPECT_TRUE(std::abs(offCentre) <= 1 || (offCentre > 0 && a.low == a.areaLow) ||
                    (offCentre < 0 && a.high == a.areaHigh))
            << "off centre by " << offCentre / 2.0;  // twice the distance: odd sizes stay whole
      }
    }
  }
}

}  // namespace
}  // namespace brisko
