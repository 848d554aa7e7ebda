#pragma once
// The progress of a long copy the user waits for (a recording read in place
// becoming a work file of the document's own at its first change): a window
// with a Cancel button that shows only when the copy takes longer than a
// moment. Check(done, total) is told as the copy goes on and returns false
// once the user cancelled. Interface thread only; one copy at a time.
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>

class QProgressDialog;

class WorkCopyProgress {
 public:
  // `parent` owns the window while it shows (the main frame).
  static std::function<bool(int64_t doneBytes, int64_t totalBytes)> For(QWidget* parent);
};
