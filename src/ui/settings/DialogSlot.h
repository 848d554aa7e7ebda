#pragma once
// One modeless dialog of a kind per owner: Open shows a new dialog made by
// `make` when none is open, and otherwise brings the open one to the front.
// The slot forgets the dialog by itself when it is destroyed (the dialogs
// delete themselves on close).
#include <QPointer>
#include <QWidget>

template <typename Dialog>
class DialogSlot {
 public:
  template <typename Make>
  Dialog* Open(Make make) {
    if (!dialog_) {
      dialog_ = make();
      dialog_->show();
    } else {
      dialog_->show();
      dialog_->raise();
      dialog_->activateWindow();
    }
    return dialog_;
  }
  Dialog* Get() const { return dialog_; }
  bool IsOpen() const { return !dialog_.isNull(); }

 private:
  QPointer<Dialog> dialog_;
};
