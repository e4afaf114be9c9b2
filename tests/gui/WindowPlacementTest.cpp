// The normal-frame heuristics against synthetic sequences of geometry and state reports, and
// the saved window state.
#include <gtest/gtest.h>

#include <QRect>
#include <cstdint>
#include <vector>

#include "app/WindowPlacement.h"

namespace kestrine::test {
namespace {

using kestrine::app::TNormalFrameTracker;
using kestrine::app::TSavedWindowState;

const QRect kWorkArea(0, 0, 1024, 740);
const QRect kNormal(100, 80, 300, 400);
const QRect kMaximized(-4, -4, 1032, 748);  // frame margins stick out of the work area
const QRect kMoved(130, 90, 300, 400);

struct Step {
  std::int64_t at;  // ms
  enum { kGeometry, kAsked, kState } kind;
  QRect frame;                // geometry steps
  Qt::WindowStates from, to;  // state steps
  QRect workArea;
};

Step Geometry(std::int64_t at, const QRect& frame) {
  return {at, Step::kGeometry, frame, {}, {}, {}};
}
Step Asked(std::int64_t at, const QRect& frame) {
  return {at, Step::kAsked, frame, {}, {}, {}};
}
Step State(std::int64_t at, Qt::WindowStates from, Qt::WindowStates to,
           const QRect& workArea = kWorkArea) {
  return {at, Step::kState, {}, from, to, workArea};
}

struct Sequence {
  const char* name;
  std::vector<Step> steps;
  QRect normal;
};

TEST(WindowPlacementTest, NormalFrameSurvivesGeometryReportedBeforeItsState) {
  const Qt::WindowStates none = Qt::WindowNoState;
  const Sequence sequences[] = {
      {"maximised size just before the state",
       {Geometry(0, kNormal), Geometry(1000, kMaximized), State(1100, none, Qt::WindowMaximized)},
       kNormal},
      {"full screen just before the state",
       {Geometry(0, kNormal), Geometry(1000, kMaximized), State(1249, none, Qt::WindowFullScreen)},
       kNormal},
      {"state too long after the geometry",
       {Geometry(0, kNormal), Geometry(1000, kMaximized), State(1250, none, Qt::WindowMaximized)},
       kMaximized},
      {"a move, then minimised",
       {Geometry(0, kNormal), Geometry(1000, kMoved), State(1010, none, Qt::WindowMinimized)},
       kMoved},
      {"bounds the program asked for",
       {Asked(0, kNormal), Asked(1000, kMaximized), State(1010, none, Qt::WindowMaximized)},
       kMaximized},
      {"already out of the normal state",
       {Geometry(0, kNormal), Geometry(1000, kMaximized),
        State(1010, Qt::WindowMaximized, Qt::WindowMinimized)},
       kMaximized},
      {"only one frame known",
       {Geometry(1000, kMaximized), State(1010, none, Qt::WindowMaximized)},
       kMaximized},
      {"a repeated report keeps the older frame",
       {Geometry(0, kNormal), Geometry(1000, kMaximized), Geometry(1005, kMaximized),
        State(1010, none, Qt::WindowMaximized)},
       kNormal},
      {"no screen",
       {Geometry(0, kNormal), Geometry(1000, kMaximized),
        State(1010, none, Qt::WindowMaximized, QRect())},
       kMaximized},
      {"back to normal",
       {Geometry(0, kNormal), Geometry(1000, kMaximized), State(1010, Qt::WindowMaximized, none)},
       kMaximized},
  };
  for (const Sequence& sequence : sequences) {
    SCOPED_TRACE(sequence.name);
    std::int64_t now = 0;
    TNormalFrameTracker tracker([&now] { return now; });
    for (const Step& step : sequence.steps) {
      now = step.at;
      if (step.kind == Step::kState) {
        tracker.StateChanged(step.from, step.to, step.workArea);
      } else {
        tracker.Remember(step.frame, step.kind == Step::kGeometry);
      }
    }
    EXPECT_EQ(tracker.Latest(), sequence.normal);
  }
}

TEST(WindowPlacementTest, SavedWindowStateMapsBothWays) {
  struct Case {
    Qt::WindowStates shown;
    TSavedWindowState saved;
    Qt::WindowStates restored;  // from the normal state
  };
  const Case cases[] = {
      {Qt::WindowNoState, TSavedWindowState::Normal, Qt::WindowNoState},
      {Qt::WindowActive, TSavedWindowState::Normal, Qt::WindowNoState},
      {Qt::WindowMinimized, TSavedWindowState::Minimized, Qt::WindowMinimized},
      {Qt::WindowMaximized, TSavedWindowState::Maximized, Qt::WindowMaximized},
      // Minimised from maximised is saved as minimised.
      {Qt::WindowMinimized | Qt::WindowMaximized, TSavedWindowState::Minimized,
       Qt::WindowMinimized},
      {Qt::WindowFullScreen, TSavedWindowState::Normal, Qt::WindowNoState},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(kestrine::app::SavedWindowStateOf(c.shown), c.saved) << c.shown.toInt();
    EXPECT_EQ(kestrine::app::ApplySavedWindowState(Qt::WindowNoState, c.saved), c.restored)
        << c.shown.toInt();
  }
  // The values the settings file holds.
  EXPECT_EQ(static_cast<int>(TSavedWindowState::Normal), 0);
  EXPECT_EQ(static_cast<int>(TSavedWindowState::Minimized), 1);
  EXPECT_EQ(static_cast<int>(TSavedWindowState::Maximized), 2);
  // One of minimised and maximised replaces the other; other flags stay.
  EXPECT_EQ(kestrine::app::ApplySavedWindowState(Qt::WindowMaximized | Qt::WindowActive,
                                                 TSavedWindowState::Minimized),
            Qt::WindowMinimized | Qt::WindowActive);
}

}  // namespace
}  // namespace kestrine::test
