// The same store against a real PostgreSQL server: a throwaway cluster in a temporary folder on
// a loopback port, made with Debian's postgresql binaries. Skipped, saying why, only when the
// server binaries or Qt's PostgreSQL driver are missing.
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "pv/frame/run_state.h"
#include "results/results_recorder.h"
#include "results/results_schema.h"
#include "test/results/results_fixture.h"
#include "test/support/fake_operator.h"

namespace veridane {
namespace {

namespace fs = std::filesystem;

std::string ServerBinaries() {
  std::error_code ignored;
  if (!fs::exists("/usr/lib/postgresql", ignored)) return "";
  std::string best;
  for (const auto& entry : fs::directory_iterator("/usr/lib/postgresql", ignored)) {
    const fs::path bin = entry.path() / "bin";
    if (fs::exists(bin / "initdb") && fs::exists(bin / "pg_ctl") && bin.string() > best) best = bin.string();
  }
  return best;
}

int FreeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  ::close(fd);
  return port;
}

// The server refuses to run as root; as root the cluster belongs to the postgres user.
class ThrowawayServer {
 public:
  ThrowawayServer() {
    bin_ = ServerBinaries();
    if (bin_.empty()) {
      why_ = "the PostgreSQL server binaries (Debian package postgresql) are not installed";
      return;
    }
    if (!QSqlDatabase::isDriverAvailable("QPSQL")) {
      why_ = "Qt's PostgreSQL driver (Debian package libqt6sql6-psql) is not installed";
      return;
    }
    folder_ = fs::temp_directory_path() / ("veridane-pg-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    fs::permissions(folder_, fs::perms::all);
    asRoot_ = ::geteuid() == 0;
    port_ = FreeLoopbackPort();
    const std::string data = (folder_ / "data").string();
    const std::string log = (folder_ / "setup.log").string();
    if (!Run(bin_ + "/initdb -D " + data + " -A trust -U postgres -E UTF8 --no-sync >" + log + " 2>&1") ||
        !Run(bin_ + "/pg_ctl -D " + data + " -l " + (folder_ / "server.log").string() + " -w -t 60 -o '-p " +
             std::to_string(port_) + " -k " + folder_.string() + " -c listen_addresses=127.0.0.1 -c fsync=off' start >>" +
             log + " 2>&1") ||
        !Run(bin_ + "/createdb -h 127.0.0.1 -p " + std::to_string(port_) + " -U postgres veridane >>" + log + " 2>&1")) {
      std::ifstream text(log);
      std::string content((std::istreambuf_iterator<char>(text)), std::istreambuf_iterator<char>());
      ADD_FAILURE() << "the throwaway PostgreSQL server did not start:\n" << content;
      why_ = "the server did not start";
      return;
    }
    started_ = true;
  }
  ~ThrowawayServer() {
    if (started_) Run(bin_ + "/pg_ctl -D " + (folder_ / "data").string() + " -m immediate stop >/dev/null 2>&1");
    std::error_code ignored;
    if (!folder_.empty()) fs::remove_all(folder_, ignored);
  }

  bool Started() const { return started_; }
  const std::string& WhyNot() const { return why_; }
  StoreTarget Target(const std::string& database = "veridane") const {
    return ParseStoreTarget("postgresql://postgres@127.0.0.1:" + std::to_string(port_) + "/" + database, "");
  }
  bool CreateDatabase(const std::string& name) const {
    return Run(bin_ + "/createdb -h 127.0.0.1 -p " + std::to_string(port_) + " -U postgres " + name + " >/dev/null 2>&1");
  }

 private:
  // As root the whole command, its redirections too, runs as the postgres user.
  bool Run(const std::string& command) const {
    std::string line = command;
    if (asRoot_) {
      std::string quoted;
      for (char c : command) quoted += c == '"' ? std::string("\\\"") : std::string(1, c);
      line = "runuser -u postgres -- sh -c \"" + quoted + "\"";
    }
    return std::system(line.c_str()) == 0;
  }

  std::string bin_;
  std::string why_;
  bool asRoot_ = false;
  fs::path folder_;
  int port_ = 0;
  bool started_ = false;
};

class PostgresStore : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new ThrowawayServer(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    if (!server_->Started()) GTEST_SKIP() << "No PostgreSQL test: " << server_->WhyNot();
  }
  static ThrowawayServer* server_;
};
ThrowawayServer* PostgresStore::server_ = nullptr;

TEST_F(PostgresStore, RunsAndRowsRoundTripThroughTheServer) {
  ResultsStore store(server_->Target());
  ASSERT_TRUE(store.Open()) << store.LastError();
  const int64_t run = *store.AddRun(testing::SomeRun("B012345", "2026-12-07T10:00:00Z"));
  StepResult row = testing::OffsetResult("CH2 2 mV/div", 0.0032f, 0.0050f);
  row.text = " CH 2  2 mV/div  \xB1" "3.20 mV  5.00 mV   FAIL";
  ASSERT_TRUE(store.AddRow(run, "2026-12-07T10:00:05Z", row)) << store.LastError();
  ASSERT_TRUE(store.AddRow(run, "2026-12-07T10:00:06Z", testing::OffsetResult("CH2 10 mV/div", 0.004f, std::nullopt)));

  // A second bench on the same server sees the rows; the schema is not made twice.
  ResultsStore other(server_->Target());
  ASSERT_TRUE(other.Open()) << other.LastError();
  std::vector<StoredRow> rows = other.Rows({"B012345", "Offset at Zero", "", {}});
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].result.text, row.text);
  EXPECT_EQ(rows[0].run.facts.operatorName, "J. M\xFCller");
  EXPECT_FLOAT_EQ(static_cast<float>(*rows[0].result.measured), 0.0050f);
  EXPECT_EQ(rows[0].result.verdict, Verdict::Fail);
  EXPECT_FALSE(rows[1].result.measured.has_value());
  EXPECT_EQ(other.Serials(), std::vector<std::string>{"B012345"});
  // Tests with rows, and one that failed on a finding before any row, in catalogue order.
  ASSERT_TRUE(store.SetTestOutcomes(run, {{3, "Analog Bandwidth", TestOutcome::Failed, "Analog Bandwidth - SIGNAL COULD NOT BE SET"}}));
  EXPECT_EQ(other.TestNames("B012345"), (std::vector<std::string>{"Offset at Zero", "Analog Bandwidth"}));
}

TEST_F(PostgresStore, PreviousSchemaIsMigratedOnTheServer) {
  ASSERT_TRUE(server_->CreateDatabase("veridane_v1"));
  {
    ResultsStore first(server_->Target("veridane_v1"));
    ASSERT_TRUE(first.Open()) << first.LastError();
  }
  // Back to version 1 by hand, as an older program left it.
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", "pg-raw");
    const StoreTarget target = server_->Target("veridane_v1");
    db.setHostName(QString::fromStdString(target.host));
    db.setPort(target.port);
    db.setDatabaseName("veridane_v1");
    db.setUserName("postgres");
    ASSERT_TRUE(db.open());
    for (const char* sql : {"DELETE FROM schema_version WHERE version = 8", "DROP TABLE log_context",
                            "DELETE FROM schema_version WHERE version = 7",
                            "ALTER TABLE results DROP COLUMN uncertainty_contributions",
                            "DELETE FROM schema_version WHERE version = 6",
                            "ALTER TABLE results DROP COLUMN uncertainty", "ALTER TABLE results DROP COLUMN tur",
                            "ALTER TABLE results DROP COLUMN decision_rule", "ALTER TABLE results DROP COLUMN decision",
                            "ALTER TABLE results DROP COLUMN uncertainty_budget",
                            "DELETE FROM schema_version WHERE version = 5", "DROP TABLE certificates", "DROP TABLE run_tests", "DROP TABLE run_standards",
                            "DROP TABLE run_context", "DELETE FROM schema_version WHERE version = 4", "DROP TABLE log_sessions",
                            "DELETE FROM schema_version WHERE version = 3",
                            "DROP INDEX runs_by_serial", "DROP INDEX results_by_run", "ALTER TABLE runs DROP COLUMN source",
                            "DELETE FROM schema_version WHERE version = 2"})
      ASSERT_TRUE(QSqlQuery(db).exec(sql)) << sql;
    EXPECT_EQ(ReadSchemaVersion(db), 1);
    db.close();
  }
  QSqlDatabase::removeDatabase("pg-raw");
  ResultsStore store(server_->Target("veridane_v1"));
  ASSERT_TRUE(store.Open()) << store.LastError();
  RunFacts imported = testing::SomeRun("B7", "2020-01-01T00:00:00Z");
  imported.source = "/logs/old.log";
  ASSERT_TRUE(store.AddRun(imported).has_value()) << store.LastError();
  EXPECT_TRUE(store.HasImported("/logs/old.log", "2020-01-01T00:00:00Z"));
}

TEST_F(PostgresStore, RecorderWritesThroughTheSetting) {
  ASSERT_TRUE(server_->CreateDatabase("veridane_recorder"));
  gpibtest::FakeOperator op;
  RunFacts facts = testing::SomeRun("B5", "");
  ResultsRecorder recorder(RecorderSeams{server_->Target("veridane_recorder"), [&] { return facts; },
                                         [] { return std::string("2026-12-07T10:00:00Z"); }, op});
  StepResult result = testing::OffsetResult("CH1 2 mV/div", 0.0032f, 0.0001f);
  recorder.Step(AssessedStep{result});
  recorder.BeginRun();  // the same test again: a second run
  recorder.Step(AssessedStep{result});
  EXPECT_TRUE(op.prompts.empty()) << op.prompts[0].text;
  EXPECT_EQ(recorder.Store()->Runs("B5").size(), 2u);
}

// Another session keeps the results table locked: the row gives up after the set wait.
TEST_F(PostgresStore, LockedTableCostsTheRowNotTheBenchsTime) {
  ASSERT_TRUE(server_->CreateDatabase("veridane_locked"));
  StoreTarget target = server_->Target("veridane_locked");
  target.waitMilliseconds = 200;
  ResultsStore store(target);
  ASSERT_TRUE(store.Open()) << store.LastError();
  const int64_t run = *store.AddRun(testing::SomeRun("B6", "2026-12-07T10:00:00Z"));
  {
    QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", "pg-locker");
    db.setHostName(QString::fromStdString(target.host));
    db.setPort(target.port);
    db.setDatabaseName("veridane_locked");
    db.setUserName("postgres");
    ASSERT_TRUE(db.open());
    ASSERT_TRUE(db.transaction());
    ASSERT_TRUE(QSqlQuery(db).exec("LOCK TABLE results IN ACCESS EXCLUSIVE MODE"));
    EXPECT_FALSE(store.AddRow(run, "2026-12-07T10:00:05Z", testing::OffsetResult("CH1 2 mV/div", 0.0032f, 0.001f)));
    EXPECT_NE(store.LastError().find("lock timeout"), std::string::npos) << store.LastError();
    db.rollback();
    db.close();
  }
  QSqlDatabase::removeDatabase("pg-locker");
  // The lock gone, the store works again.
  EXPECT_TRUE(store.AddRow(run, "2026-12-07T10:00:06Z", testing::OffsetResult("CH1 2 mV/div", 0.0032f, 0.001f)))
      << store.LastError();
}

TEST(PostgresStoreDown, ServerThatDoesNotAnswerIsReportedNotWaitedFor) {
  if (!QSqlDatabase::isDriverAvailable("QPSQL")) GTEST_SKIP() << "Qt's PostgreSQL driver is not installed";
  ResultsStore store(ParseStoreTarget("postgresql://postgres@127.0.0.1:" + std::to_string(FreeLoopbackPort()) + "/none", ""));
  EXPECT_FALSE(store.Open());
  EXPECT_FALSE(store.LastError().empty());
}

}  // namespace
}  // namespace veridane
