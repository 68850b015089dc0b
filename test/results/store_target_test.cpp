// Which database the setting "ResultsDatabase" names.
#include <gtest/gtest.h>

#include "platform/settings.h"
#include "results/store_target.h"

namespace veridane {
namespace {

TEST(StoreTarget, WithoutSettingTheSqliteFileIsInTheRunsDataFolder) {
  MemorySettings settings;
  StoreTarget real = StoreTargetFromSettings(settings, "/data/Veridane");
  EXPECT_EQ(real.kind, StoreKind::SQLite);
  EXPECT_EQ(real.file, "/data/Veridane/results.db");
  // The simulated bench's folder is handed in by the caller, so its results stay apart.
  EXPECT_EQ(StoreTargetFromSettings(settings, "/data/Veridane/Simulated").file, "/data/Veridane/Simulated/results.db");
  settings.Save("Veridane", "Settings", "ResultsDatabase", "  /srv/lab/results.sqlite ");
  EXPECT_EQ(StoreTargetFromSettings(settings, "/data/Veridane").file, "/srv/lab/results.sqlite");
}

TEST(StoreTarget, OffTurnsTheStoreOff) {
  for (const char* text : {"off", "NONE", " Off "}) {
    StoreTarget target = ParseStoreTarget(text, "/data");
    EXPECT_EQ(target.kind, StoreKind::None) << text;
    EXPECT_TRUE(target.error.empty()) << text;
  }
}

TEST(StoreTarget, PostgresAddressIsTakenApart) {
  StoreTarget target = ParseStoreTarget("postgresql://bench%203@lab-db.example:6543/pv_results?sslmode=require&application_name=v", "/d");
  ASSERT_EQ(target.kind, StoreKind::PostgreSQL) << target.error;
  EXPECT_EQ(target.host, "lab-db.example");
  EXPECT_EQ(target.port, 6543);
  EXPECT_EQ(target.database, "pv_results");
  EXPECT_EQ(target.user, "bench 3");
  EXPECT_TRUE(target.password.empty());
  EXPECT_EQ(target.options, "sslmode=require;application_name=v");
  EXPECT_EQ(target.Describe(), "postgresql://bench 3@lab-db.example:6543/pv_results");

  StoreTarget plain = ParseStoreTarget("postgres://db/results", "/d");
  EXPECT_EQ(plain.kind, StoreKind::PostgreSQL);
  EXPECT_EQ(plain.host, "db");
  EXPECT_EQ(plain.port, 5432);
  EXPECT_TRUE(plain.user.empty());
}

TEST(StoreTarget, PasswordInTheSettingIsUsedButNeverDescribed) {
  StoreTarget target = ParseStoreTarget("postgresql://pv:s3cret@db:5432/results", "/d");
  EXPECT_EQ(target.password, "s3cret");
  EXPECT_EQ(target.Describe().find("s3cret"), std::string::npos);
}

TEST(StoreTarget, UnusableAddressesSayWhy) {
  // A mistyped scheme or a relative name would otherwise become an SQLite file in whatever
  // folder the program was started from.
  for (const char* text : {"postgresql://db", "postgresql://db/", "postgresql://db:99999/r", "postgresql://db:x/r",
                           "postgresql:/u@h/db", "postgresq://u@h/db", "mysql://h/db", "results.db", "~/results.db",
                           "C:\\Lab\\results.db"}) {
    StoreTarget target = ParseStoreTarget(text, "/d");
    EXPECT_EQ(target.kind, StoreKind::None) << text;
    EXPECT_NE(target.error.find(text), std::string::npos) << target.error;
  }
}

}  // namespace
}  // namespace veridane
