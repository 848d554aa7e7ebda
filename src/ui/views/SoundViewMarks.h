#pragma once
// The marks of a sound view: saving the cursor as a mark, the properties,
// move, distances, clear, export and import commands, and the move mode in
// which the arrow keys move the active mark.
//
// Contract: owned by its view's controllers (SoundViewControllers); it owns
// only the move mode. The marks themselves are the document's (`MarkList`);
// it reads the view's cursor and plot set-up for the steps (one pixel of the
// plot in frames and in Hz or 1/100 % of full scale) and the visible stretch.
// Interface thread only.
#include <cstdint>

#include "base/CommandTarget.h"

class CNvAnaView;

class SoundViewMarks : public CommandTarget {
 public:
  explicit SoundViewMarks(CNvAnaView& view) : view_(view) {}

  // CommandTarget: the marks' commands.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

  // A mark of the cursor when it lies within the visible stretch.
  bool CursorIsVisible() const;
  void SaveCursorAsMark();
  // Move mode: the arrow keys move the active mark (off without one).
  bool MoveMarkMode() const;
  void SetMoveMarkMode(bool on);
  // One arrow-key step of the active mark; false when it did not move.
  bool MoveActiveMarkByKey(int key);

 private:
  CNvAnaView& view_;
  bool moveMarkMode_ = false;
};
