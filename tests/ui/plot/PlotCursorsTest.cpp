// The cursor records of a plot on their own: what counts as a change, the
// order of the selection's ends and the picture they are drawn over.
#include "plot/PlotCursors.h"

#include <gtest/gtest.h>

#include "plot/PlotRenderer.h"

namespace nv {
namespace {

CursorRecord At(int32_t position) {
  CursorRecord c;
  c.position = position;
  return c;
}

TEST(PlotCursors, ChangesAreReportedOnceAndTheSelectionIsOrdered) {
  PlotCursors cursors;
  EXPECT_FALSE(cursors.HasSelection());
  EXPECT_TRUE(cursors.SetCursor(At(10)));
  EXPECT_FALSE(cursors.SetCursor(At(10)));
  EXPECT_TRUE(cursors.SetDragCursor(At(20)));
  EXPECT_TRUE(cursors.SetDetectorLine(At(30)));
  EXPECT_EQ(cursors.DetectorLine().position, 30);

  for (const auto& [a, b] : {std::pair{100, 50}, std::pair{50, 100}}) {
    PlotCursors s;
    EXPECT_TRUE(s.SetSelection(At(a), At(b)));
    EXPECT_EQ(s.SelectionStart().position, 50);
    EXPECT_EQ(s.SelectionEnd().position, 100);
    EXPECT_TRUE(s.HasSelection());
    EXPECT_FALSE(s.SetSelection(At(50), At(100)));
  }
  // An end before the sound is not swapped; an empty span is no selection.
  EXPECT_TRUE(cursors.SetSelection(At(40), At(-1)));
  EXPECT_EQ(cursors.SelectionStart().position, 40);
  EXPECT_FALSE(cursors.HasSelection());
  EXPECT_TRUE(cursors.SetSelection(At(40), At(40)));
  EXPECT_FALSE(cursors.HasSelection());

  cursors.SetChannel(2);
  EXPECT_EQ(cursors.Cursor().channel, 2);
  EXPECT_EQ(cursors.DragCursor().channel, 2);
  EXPECT_EQ(cursors.DetectorLine().channel, 2);
}

TEST(PlotCursors, WithoutCursorsThePictureItselfIsShown) {
  QImage picture(8, 8, QImage::Format_ARGB32_Premultiplied);
  picture.fill(Qt::white);
  const PlotRenderer renderer;
  const QImage shown = PlotCursors().Over(picture, picture.rect(), renderer);
  EXPECT_EQ(shown.cacheKey(), picture.cacheKey());
}

}  // namespace
}  // namespace nv
