#pragma once
#include <QPoint>
#include <QRect>

namespace kestrine::app {

constexpr int kSnapDistance = 10;

// Where a moved window lands: each edge closer than `distance` to the matching edge of the
// work area is put on it. A window moved to exactly (0, 0) is left alone.
QPoint SnapToWorkArea(const QRect& frame, const QRect& workArea, int distance = kSnapDistance);

}  // namespace kestrine::app
