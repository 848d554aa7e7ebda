#pragma once
// Helpers shared by the Qt test suites: a recording message sink that a
// suite installs for its test functions, and the grab of a widget into the
// folder that NORVANE_GRAB_DIR names (for looking at a dialog by eye).
#include <QWidget>

#include "base/MessageSink.h"

namespace nv::test {

// Records every message and question (answered with `answer`) between
// Install() and Remove(), which puts back the sink that was installed before.
class TestMessageSink : public RecordingMessageSink {
 public:
  void Install();
  void Remove();

 private:
  MessageSink* old_ = nullptr;
};

enum class GrabSize { Adjusted, AsShown };

// Saves `w` as the PNG file `name` in $NORVANE_GRAB_DIR, when that is set;
// GrabSize::Adjusted first gives the widget its preferred size.
void Grab(QWidget& w, const char* name, GrabSize size = GrabSize::Adjusted);

}  // namespace nv::test
