#include "app/SamplingParametersCommand.h"

#include <QMessageBox>
#include <QPushButton>

#include "app/AppCore.h"
#include "audio/Recorder.h"
#include "base/CommandIds.h"
#include "settings/CardParametersDialog.h"
#include "settings/SettingsPersistence.h"

std::function<std::optional<nv::CardKind>(QWidget*)> SamplingParametersCommand::cardChooser;

std::optional<nv::CardKind> SamplingParametersCommand::ChooseCard(QWidget* parent) {
  // A card chosen as the input kind decides; otherwise the user is asked.
  const nv::InputKind inputKind = inputKind_();
  if (inputKind == nv::InputKind::ComputerBoards) return nv::CardKind::ComputerBoards;
  if (inputKind == nv::InputKind::NationalInstruments) return nv::CardKind::NationalInstruments;
  if (cardChooser) return cardChooser(parent);
  QMessageBox box(QMessageBox::Question, QStringLiteral("Set sampling parameters"),
                  QStringLiteral("Sampling parameters of which acquisition card?"), QMessageBox::Cancel, parent);
  QPushButton* boards = box.addButton(QStringLiteral("ComputerBoards"), QMessageBox::AcceptRole);
  QPushButton* daq = box.addButton(QStringLiteral("National Instruments"), QMessageBox::AcceptRole);
  box.exec();
  if (box.clickedButton() == boards) return nv::CardKind::ComputerBoards;
  if (box.clickedButton() == daq) return nv::CardKind::NationalInstruments;
  return std::nullopt;
}

void SamplingParametersCommand::Run() {
  QWidget* parent = parent_();
  const std::optional<nv::CardKind> card = ChooseCard(parent);
  if (!card) return;
  const bool ni = *card == nv::CardKind::NationalInstruments;
  nv::CardParameters& params = ni ? core_.niDaqCard : core_.cboardCard;
  if (!CardParametersDialog::Ask(*card, params, parent)) return;
  nv::SaveCardParameters(store_, ni ? nv::section::kNiDaq : nv::section::kCBoard, ni, params);
}

bool SamplingParametersCommand::OnCommand(int id) {
  if (id != cmd::kSoundSamplingParameters) return false;
  Run();
  return true;
}

bool SamplingParametersCommand::OnUpdateCommand(int id, CommandState& state) {
  if (id != cmd::kSoundSamplingParameters) return false;
  state.enabled = !playing_();
  return true;
}
