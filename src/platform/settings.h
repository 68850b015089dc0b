#pragma once
// Per-user key/value store, keyed by application, section and key ("Veridane" / "Settings" /
// "SkipSplash"). Values are text; callers take the numeric value where they need a number.
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>

namespace veridane {

class Settings {
 public:
  virtual ~Settings() = default;
  virtual std::string Get(std::string_view app, std::string_view section, std::string_view key,
                          std::string_view fallback) const = 0;
  virtual void Save(std::string_view app, std::string_view section, std::string_view key,
                    std::string_view value) = 0;
  virtual void Delete(std::string_view app, std::string_view section, std::string_view key) = 0;
};

// Held in memory only (tests, headless runs that must not touch the user's settings).
class MemorySettings : public Settings {
 public:
  std::string Get(std::string_view app, std::string_view section, std::string_view key,
                  std::string_view fallback) const override;
  void Save(std::string_view app, std::string_view section, std::string_view key, std::string_view value) override;
  void Delete(std::string_view app, std::string_view section, std::string_view key) override;

 private:
  std::map<std::tuple<std::string, std::string, std::string>, std::string> values_;
};

// The user's settings files (~/.config/<app>.conf through QSettings), one file per application.
// A non-empty folder puts the files there instead (tests).
class UserSettings : public Settings {
 public:
  explicit UserSettings(std::string folder = {});
  std::string Get(std::string_view app, std::string_view section, std::string_view key,
                  std::string_view fallback) const override;
  void Save(std::string_view app, std::string_view section, std::string_view key, std::string_view value) override;
  void Delete(std::string_view app, std::string_view section, std::string_view key) override;

 private:
  std::string folder_;
};

}  // namespace veridane
