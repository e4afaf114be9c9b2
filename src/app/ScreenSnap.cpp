#include "app/ScreenSnap.h"

#include <cstdlib>

namespace kestrine::app {

namespace {

// One axis: the near edge wins over the far one, as a window wider than the area would
// otherwise jump to its far edge.
int SnapAxis(int start, int length, int areaStart, int areaLength, int distance) {
  if (std::abs(start - areaStart) < distance) return areaStart;
  const int end = start + length, areaEnd = areaStart + areaLength;
  if (std::abs(end - areaEnd) < distance) return areaEnd - length;
  return start;
}

}  // namespace

QPoint SnapToWorkArea(const QRect& frame, const QRect& workArea, int distance) {
  if (frame.topLeft() == QPoint(0, 0)) return frame.topLeft();
  return QPoint(SnapAxis(frame.x(), frame.width(), workArea.x(), workArea.width(), distance),
                SnapAxis(frame.y(), frame.height(), workArea.y(), workArea.height(), distance));
}

}  // namespace kestrine::app
