#pragma once
// The file dialog of the Tools menu's mark export and import: a path and
// the exchange format, chosen by the file type filter ("Label track" or
// "Selection table"). Tests replace `runner`. Interface thread only.
#include <QString>
#include <functional>
#include <optional>

#include "document/MarkExchange.h"

class QWidget;

class MarkFileDialog {
 public:
  struct Choice {
    QString path;
    nv::MarkExchangeFormat format = nv::MarkExchangeFormat::Labels;
  };
  // Asks for a file to write (save true) or read; nothing on Cancel.
  static std::optional<Choice> Ask(bool save, QWidget* parent);
  static std::function<std::optional<Choice>(bool save, QWidget* parent)> runner;
};
