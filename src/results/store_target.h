#pragma once
// Which database holds the results, from the setting "ResultsDatabase":
//   (empty)                            SQLite file results.db in the data folder (the
//                                      "Simulated" folder for a simulated bench)
//   off | none                         no results store
//   postgresql://[user@]host[:port]/db[?sslmode=require]   a PostgreSQL server shared by benches
//   /an/absolute/path                  an SQLite file of that path
// Anything else is a mistake (postgresql:/ with one slash, a relative name, another scheme) and
// is refused with a message rather than taken for a file name in whatever folder the program
// was started from.
// A password is not expected in the setting: the server's client library reads it from the
// user's ~/.pgpass (or PGPASSFILE), so it never sits in the settings file in clear text.
#include <string>
#include <string_view>

#include "platform/settings.h"

namespace veridane {

enum class StoreKind { None, SQLite, PostgreSQL };

struct StoreTarget {
  StoreKind kind = StoreKind::None;
  std::string file;  // SQLite: file-system path
  // PostgreSQL:
  std::string host;
  int port = 5432;
  std::string database;
  std::string user;
  std::string password;  // only when the setting carries one anyway
  std::string options;   // "sslmode=require;..." for the driver's connect options
  std::string error;     // the setting could not be understood (kind is None then)
  // How long one write may wait for a lock another program holds (SQLite's busy time-out,
  // PostgreSQL's lock_timeout; a statement gets three times as long). Then the row is
  // reported as not stored instead of holding the bench up.
  int waitMilliseconds = 5000;

  // For messages: the file, or "postgresql://user@host:port/db" without the password.
  std::string Describe() const;
};

inline constexpr std::string_view kResultsDatabaseKey = "ResultsDatabase";

// dataFolder is the run's data folder (with "/Simulated" for a simulated bench).
StoreTarget ParseStoreTarget(std::string_view setting, const std::string& dataFolder);
StoreTarget StoreTargetFromSettings(const Settings& settings, const std::string& dataFolder);

}  // namespace veridane
