#pragma once
// The texts a sound view shows in its status strip: times, amplitudes and
// frequencies in the plot's readout formats, the text of the cursor and of
// the selection, and the format text of the document.
//
// Owned by its view (CNvAnaView); it owns nothing and reads the view's plot
// set-up and document. Times are nanoseconds, amplitudes 1/100 % of full
// scale, frequencies Hz. Interface thread only.
#include <QString>
#include <cstdint>

namespace nv {
struct CursorRecord;
}
class CNvAnaView;

class SoundViewReadout {
 public:
  explicit SoundViewReadout(CNvAnaView& view) : view_(view) {}

  QString Time(int64_t ns) const;
  QString Amplitude(int32_t a) const;
  QString Frequency(int32_t hz) const;
  // A measuring cursor's time, a space and its amplitude or frequency.
  QString Measurement(const nv::CursorRecord& c) const;
  // The status text.
  void Show(const QString& text);
  // The selection's start, end and distance, a marking cursor's time, or
  // nothing without a cursor.
  void ShowSelection();
  // The document's format in the strip's format field.
  void ShowFormat();

 private:
  CNvAnaView& view_;
};
