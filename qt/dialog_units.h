// Dialog units to pixels through the dialog font's metrics, so that a layout
// given in dialog units keeps its proportions at any font size or screen
// scale. Needs a running QGuiApplication (font metrics).
#pragma once

#include <QFont>
#include <QRect>

namespace brisko {

// The stand-in for an 8-point "MS Sans Serif": the system's sans serif at the
// template's point size.
QFont DialogFont(int pointSize);

class DialogUnits {
 public:
  // The horizontal base unit is the average width of the 52 Latin letters,
  // rounded; the vertical one is the font's line height.
  static DialogUnits ForFont(const QFont& font);
  DialogUnits(int baseX, int baseY) : baseX_(baseX), baseY_(baseY) {}

  int baseX() const { return baseX_; }
  int baseY() const { return baseY_; }

  // x * baseX / 4 and y * baseY / 8, rounded half away from zero.
  int X(int dialogUnits) const;
  int Y(int dialogUnits) const;
  // Each edge is converted on its own, so neighbouring controls that share an
  // edge in dialog units share it in pixels too.
  QRect Rect(int x, int y, int width, int height) const;

 private:
  int baseX_;
  int baseY_;
};

}  // namespace brisko
