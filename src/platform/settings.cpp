#include "platform/settings.h"

#include <QSettings>
#include <QString>

#include "platform/text8.h"

namespace veridane {

std::string MemorySettings::Get(std::string_view app, std::string_view section, std::string_view key,
                                std::string_view fallback) const {
  auto it = values_.find({std::string(app), std::string(section), std::string(key)});
  return it == values_.end() ? std::string(fallback) : it->second;
}

void MemorySettings::Save(std::string_view app, std::string_view section, std::string_view key,
                          std::string_view value) {
  values_[{std::string(app), std::string(section), std::string(key)}] = std::string(value);
}

void MemorySettings::Delete(std::string_view app, std::string_view section, std::string_view key) {
  values_.erase({std::string(app), std::string(section), std::string(key)});
}

namespace {

QString Q(std::string_view text8) { return QString::fromStdString(Utf8FromText8(text8)); }

std::unique_ptr<QSettings> Open(const std::string& folder, std::string_view app) {
  if (folder.empty())
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, Q(app), Q(app));
  return std::make_unique<QSettings>(Q(folder) + "/" + Q(app) + ".conf", QSettings::IniFormat);
}

QString KeyPath(std::string_view section, std::string_view key) { return Q(section) + "/" + Q(key); }

}  // namespace

UserSettings::UserSettings(std::string folder) : folder_(std::move(folder)) {}

std::string UserSettings::Get(std::string_view app, std::string_view section, std::string_view key,
                              std::string_view fallback) const {
  auto settings = Open(folder_, app);
  QVariant value = settings->value(KeyPath(section, key));
  if (!value.isValid()) return std::string(fallback);
  return Text8FromUtf8(value.toString().toStdString());
}

void UserSettings::Save(std::string_view app, std::string_view section, std::string_view key,
                        std::string_view value) {
  auto settings = Open(folder_, app);
  settings->setValue(KeyPath(section, key), Q(value));
  settings->sync();
}

void UserSettings::Delete(std::string_view app, std::string_view section, std::string_view key) {
  auto settings = Open(folder_, app);
  settings->remove(KeyPath(section, key));
  settings->sync();
}

}  // namespace veridane
