#include "settings/QtSettingsStore.h"

#include <QByteArray>
#include <QStringList>

QtSettingsStore::QtSettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                            kOrganization, kApplication)) {}

QtSettingsStore::QtSettingsStore(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

namespace {
QString GroupPath(const std::string& section) {
  QString s = QString::fromStdString(section);
  s.replace(QLatin1Char('\\'), QLatin1Char('/'));
  return s;
}
}  // namespace

QString QtSettingsStore::KeyPath(const std::string& section, const std::string& key) {
  return GroupPath(section) + QLatin1Char('/') + QString::fromStdString(key);
}

std::optional<int32_t> QtSettingsStore::ReadNumber(const std::string& section,
                                                   const std::string& key) {
  const QVariant v = settings_->value(KeyPath(section, key));
  if (!v.isValid() || v.typeId() == QMetaType::QByteArray) return std::nullopt;
  bool ok = false;
  const qlonglong n = v.toLongLong(&ok);
  if (!ok || n < INT32_MIN || n > UINT32_MAX) return std::nullopt;
  // A number above the signed range is the unsigned form of a 32-bit value.
  return static_cast<int32_t>(static_cast<uint32_t>(n));
}

std::optional<std::string> QtSettingsStore::ReadText(const std::string& section,
                                                     const std::string& key) {
  const QVariant v = settings_->value(KeyPath(section, key));
  if (!v.isValid() || v.typeId() == QMetaType::QByteArray) return std::nullopt;
  if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(QLatin1Char(',')).toStdString();
  return v.toString().toStdString();
}

std::optional<std::vector<uint8_t>> QtSettingsStore::ReadBinary(const std::string& section,
                                                                const std::string& key) {
  const QVariant v = settings_->value(KeyPath(section, key));
  if (!v.isValid() || v.typeId() != QMetaType::QByteArray) return std::nullopt;
  const QByteArray b = v.toByteArray();
  return std::vector<uint8_t>(b.begin(), b.end());
}

void QtSettingsStore::WriteNumber(const std::string& section, const std::string& key,
                                  int32_t value) {
  settings_->setValue(KeyPath(section, key), value);
}

void QtSettingsStore::WriteText(const std::string& section, const std::string& key,
                                const std::string& value) {
  settings_->setValue(KeyPath(section, key), QString::fromStdString(value));
}

void QtSettingsStore::WriteBinary(const std::string& section, const std::string& key,
                                  const std::vector<uint8_t>& value) {
  settings_->setValue(KeyPath(section, key),
                      QByteArray(reinterpret_cast<const char*>(value.data()),
                                 static_cast<qsizetype>(value.size())));
}

bool QtSettingsStore::SectionExists(const std::string& section) {
  settings_->beginGroup(GroupPath(section));
  const bool exists = !settings_->childKeys().isEmpty();
  settings_->endGroup();
  return exists;
}

void QtSettingsStore::Flush() { settings_->sync(); }
