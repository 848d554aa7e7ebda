#include "document/SoundFormatDialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/NumericEdit.h"
#include "document/CNorvaneDoc.h"

std::function<bool(SoundFormatDialog&)> SoundFormatDialog::runner;

namespace {

constexpr int64_t kRates[3] = {11025, 22050, 44100};

QLineEdit* TextField(QWidget* parent, const std::string& text, int maxLength, const char* name) {
  auto* e = new QLineEdit(QString::fromStdString(text), parent);
  e->setMaxLength(maxLength);
  e->setObjectName(QString::fromLatin1(name));
  return e;
}

}  // namespace

SoundFormatDialog::SoundFormatDialog(const nv::SoundFormatChoice& start, bool holdsSound, nv::FormatQuery query,
                                     const std::vector<std::pair<std::string, std::string>>& metadata,
                                     QWidget* parent)
    : QDialog(parent), query_(std::move(query)), accepted_(start) {
  setWindowTitle(QStringLiteral("Sound format"));

  auto* bitsBox = new QGroupBox(QStringLiteral("Bits per sample"), this);
  bits8_ = new QRadioButton(QStringLiteral("8 bits"), bitsBox);
  bits16_ = new QRadioButton(QStringLiteral("16 bits"), bitsBox);
  auto* bl = new QVBoxLayout(bitsBox);
  bl->addWidget(bits8_);
  bl->addWidget(bits16_);
  bits8_->setChecked(start.bits == 8);
  bits16_->setChecked(start.bits == 16);

  auto* chBox = new QGroupBox(QStringLiteral("Channels"), this);
  mono_ = new QRadioButton(QStringLiteral("Mono"), chBox);
  stereo_ = new QRadioButton(QStringLiteral("Stereo"), chBox);
  auto* cl = new QVBoxLayout(chBox);
  cl->addWidget(mono_);
  cl->addWidget(stereo_);
  mono_->setChecked(start.channels == 1);
  stereo_->setChecked(start.channels == 2);
  // The sample size and channels of a sound are fixed once it holds sound.
  for (QRadioButton* b : {bits8_, bits16_, mono_, stereo_}) b->setEnabled(!holdsSound);

  auto* rateBox = new QGroupBox(QStringLiteral("Samples per second"), this);
  auto* rl = new QGridLayout(rateBox);
  const char* rateTexts[4] = {"11 025", "22 050", "44 100", "Other:"};
  auto* rateGroup = new QButtonGroup(this);
  for (int i = 0; i < 4; ++i) {
    rates_[i] = new QRadioButton(QString::fromLatin1(rateTexts[i]), rateBox);
    rateGroup->addButton(rates_[i], i);
    rl->addWidget(rates_[i], i, 0);
  }
  otherRate_ = new NumericEdit(rateBox);
  otherRate_->setObjectName(QStringLiteral("otherRate"));
  otherRate_->Configure(0, 100, 5120000);
  rl->addWidget(otherRate_, 3, 1);
  int preset = 3;
  for (int i = 0; i < 3; ++i)
    if (start.rateHz == kRates[i]) preset = i;
  rates_[preset]->setChecked(true);
  if (preset == 3 && start.rateHz > 0) otherRate_->SetValue(start.rateHz);
  connect(otherRate_, &QLineEdit::textEdited, this, [this] { rates_[3]->setChecked(true); });

  expansion_ = new NumericEdit(this);
  expansion_->setObjectName(QStringLiteral("timeExpansion"));
  // Hundredths are shown; the factor is stored in thousandths.
  expansion_->Configure(-3, 100, 100000);
  expansion_->SetValue(nv::TimeExpansionThousandths(start.timeExpansion));
  contents_ = TextField(this, start.contents, 79, "contents");
  recordedBy_ = TextField(this, start.recordedBy, 39, "recordedBy");
  date_ = TextField(this, start.date, 9, "date");
  time_ = TextField(this, start.time, 9, "time");
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Time expansion"), expansion_);
  form->addRow(QStringLiteral("Contents"), contents_);
  form->addRow(QStringLiteral("Recorded by"), recordedBy_);
  form->addRow(QStringLiteral("Date"), date_);
  form->addRow(QStringLiteral("Time"), time_);

  auto* top = new QHBoxLayout;
  top->addWidget(bitsBox);
  top->addWidget(chBox);
  top->addWidget(rateBox);
  auto* v = new QVBoxLayout(this);
  v->addLayout(top);
  v->addLayout(form);
  if (!metadata.empty()) {
    // The file's metadata as read (GUANO), for reference only.
    auto* meta = new QGroupBox(QStringLiteral("File metadata"), this);
    auto* table = new QTableWidget(static_cast<int>(metadata.size()), 2, meta);
    table->setObjectName(QStringLiteral("metadata"));
    table->setHorizontalHeaderLabels({QStringLiteral("Key"), QStringLiteral("Value")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    for (size_t i = 0; i < metadata.size(); ++i) {
      table->setItem(static_cast<int>(i), 0, new QTableWidgetItem(QString::fromStdString(metadata[i].first)));
      table->setItem(static_cast<int>(i), 1, new QTableWidgetItem(QString::fromStdString(metadata[i].second)));
    }
    auto* ml = new QVBoxLayout(meta);
    ml->addWidget(table);
    v->addWidget(meta);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &SoundFormatDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  v->addWidget(buttons);
}

std::optional<nv::SoundFormatChoice> SoundFormatDialog::Choice() {
  nv::SoundFormatChoice c = accepted_;
  c.bits = bits8_->isChecked() ? 8 : bits16_->isChecked() ? 16 : 0;
  c.channels = mono_->isChecked() ? 1 : stereo_->isChecked() ? 2 : 0;
  c.rateHz = 0;
  for (int i = 0; i < 3; ++i)
    if (rates_[i]->isChecked()) c.rateHz = kRates[i];
  if (rates_[3]->isChecked()) {
    const std::optional<int64_t> r = otherRate_->Value();
    if (!r) return std::nullopt;
    c.rateHz = *r;
  }
  const std::optional<int64_t> t = expansion_->Value();
  if (!t) return std::nullopt;
  c.timeExpansion = static_cast<double>(*t) / 1000.0;
  c.contents = contents_->text().toStdString();
  c.recordedBy = recordedBy_->text().toStdString();
  c.date = date_->text().toStdString();
  c.time = time_->text().toStdString();
  return c;
}

void SoundFormatDialog::accept() {
  const std::optional<nv::SoundFormatChoice> c = Choice();
  if (!c) return;
  if (document && !nv::CheckSoundFormat(*c, *document, query_)) return;
  accepted_ = *c;
  QDialog::accept();
}

std::optional<nv::SoundFormatChoice> SoundFormatDialog::Ask(const nv::CNorvaneDoc& doc, nv::FormatQuery query,
                                                            QWidget* parent) {
  // The file's GUANO fields, shown for reference.
  std::vector<std::pair<std::string, std::string>> metadata;
  for (const nv::Guano::Field& f : doc.GuanoMetadata().Fields()) metadata.emplace_back(f.key, f.value);
  SoundFormatDialog dlg(nv::SoundFormatChoiceOf(doc), doc.LastBufferIndex() >= 0, std::move(query), metadata,
                        parent);
  dlg.document = &doc;
  bool ok;
  if (runner) {
    // The runner answers as the user would; OK's checks still decide.
    ok = runner(dlg);
    if (ok) {
      dlg.accept();
      ok = dlg.result() == QDialog::Accepted;
    }
  } else {
    ok = dlg.exec() == QDialog::Accepted;
  }
  if (!ok) return std::nullopt;
  return dlg.Accepted();
}
