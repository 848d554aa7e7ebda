#pragma once
// "Sound format": a document's bits, channels, sampling rate, time-expansion
// factor and recording texts, with the GUANO fields of its file shown
// read-only. Bits and channels can be changed only while the document holds
// no sound; typing under "Other:" chooses "Other:". OK runs the checks of
// CheckSoundFormat (the dialog stays open after a refusal). Tests replace
// `runner` to answer without showing the dialog. Interface thread only.
#include <QDialog>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "document/SoundFormatEdit.h"

class NumericEdit;
class QLineEdit;
class QRadioButton;
namespace nv {
class CNorvaneDoc;
}  // namespace nv

class SoundFormatDialog : public QDialog {
  Q_OBJECT
 public:
  SoundFormatDialog(const nv::SoundFormatChoice& start, bool holdsSound, nv::FormatQuery query,
                    const std::vector<std::pair<std::string, std::string>>& metadata,
                    QWidget* parent = nullptr);

  // The controls' present choice (zeros where nothing is chosen); nothing
  // after a message when a field is out of its range.
  std::optional<nv::SoundFormatChoice> Choice();
  const nv::SoundFormatChoice& Accepted() const { return accepted_; }

  QRadioButton* BitsButton(int bits) const { return bits == 8 ? bits8_ : bits16_; }
  QRadioButton* ChannelsButton(int channels) const { return channels == 1 ? mono_ : stereo_; }
  QRadioButton* RateButton(int index) const { return rates_[index]; }  // 0 ... 3 ("Other:")
  NumericEdit* OtherRate() const { return otherRate_; }
  NumericEdit* TimeExpansion() const { return expansion_; }
  QLineEdit* ContentsField() const { return contents_; }

  // Shows the dialog for `doc` (checks against it); the accepted choice, or
  // nothing on Cancel.
  static std::optional<nv::SoundFormatChoice> Ask(const nv::CNorvaneDoc& doc, nv::FormatQuery query,
                                                  QWidget* parent);
  // Replaces the modal run (true = OK pressed; OK's checks then still run).
  static std::function<bool(SoundFormatDialog&)> runner;
  // The document the checks of OK compare with (set by Ask).
  const nv::CNorvaneDoc* document = nullptr;

 public slots:
  void accept() override;

 private:
  QRadioButton* bits8_;
  QRadioButton* bits16_;
  QRadioButton* mono_;
  QRadioButton* stereo_;
  QRadioButton* rates_[4];
  NumericEdit* otherRate_;
  NumericEdit* expansion_;
  QLineEdit* contents_;
  QLineEdit* recordedBy_;
  QLineEdit* date_;
  QLineEdit* time_;
  nv::FormatQuery query_;
  nv::SoundFormatChoice accepted_;
};
