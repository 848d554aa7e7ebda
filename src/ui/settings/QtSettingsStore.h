#pragma once
// The settings store of the desktop application on QSettings: organisation
// "Quellmark", application "Norvane" (on Linux ~/.config/Quellmark/Norvane.conf).
// A section "Settings\DefData\Analys" is the group "Settings/DefData/Analys";
// numbers are stored as integers, texts as strings, blocks as byte arrays.
// Interface thread only.
#include <QSettings>
#include <memory>

#include "settings/SettingsStore.h"

class QtSettingsStore : public nv::SettingsStore {
 public:
  static constexpr const char* kOrganization = "Quellmark";
  static constexpr const char* kApplication = "Norvane";

  // The user's store of the application.
  QtSettingsStore();
  // A store in the given INI file (tools and tests).
  explicit QtSettingsStore(const QString& iniPath);

  std::optional<int32_t> ReadNumber(const std::string& section, const std::string& key) override;
  std::optional<std::string> ReadText(const std::string& section, const std::string& key) override;
  std::optional<std::vector<uint8_t>> ReadBinary(const std::string& section,
                                                 const std::string& key) override;
  void WriteNumber(const std::string& section, const std::string& key, int32_t value) override;
  void WriteText(const std::string& section, const std::string& key,
                 const std::string& value) override;
  void WriteBinary(const std::string& section, const std::string& key,
                   const std::vector<uint8_t>& value) override;
  bool SectionExists(const std::string& section) override;
  void Flush() override;

  QSettings& Settings() { return *settings_; }
  // The QSettings key of a section's value: "Settings/Power/LeftChan".
  static QString KeyPath(const std::string& section, const std::string& key);

 private:
  std::unique_ptr<QSettings> settings_;
};
