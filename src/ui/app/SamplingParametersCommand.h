#pragma once
// "Set sampling parameters": the acquisition card is the chosen input kind's,
// else the user is asked (tests replace `cardChooser`); its dialog edits the
// card's record (one of the application's AppCore, which outlives it), which
// OK stores. A link of the command route behind the application. Interface
// thread only.
#include <QWidget>
#include <functional>
#include <optional>

#include "audio/InputKind.h"
#include "base/CommandTarget.h"
#include "settings/CardParameterRules.h"

namespace nv {
class AppCore;
class SettingsStore;
}

class SamplingParametersCommand : public CommandTarget {
 public:
  // `parent`: the dialogs' parent; `inputKind`: the chosen input kind; `playing`: whether a playback or recording runs.
  SamplingParametersCommand(nv::AppCore& core, nv::SettingsStore& store, std::function<QWidget*()> parent,
                            std::function<nv::InputKind()> inputKind, std::function<bool()> playing)
      : core_(core), store_(store), parent_(std::move(parent)), inputKind_(std::move(inputKind)),
        playing_(std::move(playing)) {}

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

  static std::function<std::optional<nv::CardKind>(QWidget*)> cardChooser;

 private:
  std::optional<nv::CardKind> ChooseCard(QWidget* parent);
  void Run();

  nv::AppCore& core_;
  nv::SettingsStore& store_;
  std::function<QWidget*()> parent_;
  std::function<nv::InputKind()> inputKind_;
  std::function<bool()> playing_;
};
