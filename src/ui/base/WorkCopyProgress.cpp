#include "base/WorkCopyProgress.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <memory>

namespace {

// One copy: the window is made when the copy has taken half a second and
// is not near its end, and goes with the last piece or a cancel.
struct CopyState {
  QPointer<QWidget> parent;
  QElapsedTimer clock;
  std::unique_ptr<QProgressDialog> dialog;
};

}  // namespace

std::function<bool(int64_t, int64_t)> WorkCopyProgress::For(QWidget* parent) {
  auto state = std::make_shared<CopyState>();
  state->parent = parent;
  return [state](int64_t done, int64_t total) {
    CopyState& s = *state;
    if (!s.clock.isValid() || (!s.dialog && done <= 0)) s.clock.start();
    const int permille = total > 0 ? static_cast<int>(done * 1000 / total) : 1000;
    if (!s.dialog && s.clock.elapsed() > 500 && permille < 800) {
      s.dialog = std::make_unique<QProgressDialog>(QObject::tr("Copying the sound into a work file..."),
                                                   QObject::tr("Cancel"), 0, 1000, s.parent.data());
      s.dialog->setWindowModality(Qt::WindowModal);
      s.dialog->setMinimumDuration(0);
    }
    bool go = true;
    if (s.dialog) {
      s.dialog->setValue(permille);
      QApplication::processEvents();
      go = !s.dialog->wasCanceled();
    }
    if (!go || done >= total) {
      s.dialog.reset();
      s.clock.invalidate();
    }
    return go;
  };
}
