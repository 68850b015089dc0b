// What a result log's runs are recorded with, in the window: kept with the log when it is
// created, offered again when it is opened to append, asked empty when the store is off.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <unistd.h>

#include "results/results_store.h"
#include "test/support/shell_run.h"
#include "ui/qt/log_record_form.h"
#include "ui/qt/record_window.h"

namespace veridane {
namespace {

using testing::CaptionOperator;
using testing::ShellRun;

// Answers the next LogRecordForm with `act` once it is up.
void AnswerRecordForm(const std::function<void(LogRecordForm&)>& act) {
  QTimer::singleShot(0, [act] {
    auto* form = dynamic_cast<LogRecordForm*>(QApplication::activeModalWidget());
    ASSERT_NE(form, nullptr);
    act(*form);
  });
}

TEST(RecordWindow, ALogsRecordIsKeptWithItAndOfferedAgainWhenItIsOpened) {
  CaptionOperator technician;
  ShellRun run(technician, "scope-only", "record-window-" + std::to_string(::getpid()));
  Program& program = *run.program;
  const StoreTarget target = ParseStoreTarget("", run.root.String());
  const std::string log = run.root.String() + "/LOG340/U7.log";

  ApplyRecordEntries(program, LogRecordEntries{RunLabel::AsLeft, 22.5, 40.0, "Acme", "A-17"});
  EXPECT_EQ(program.Record().customer, "Acme");
  EXPECT_EQ(program.Record().assetId, "A-17");
  KeepLogRecord(nullptr, program, target, log, true);
  // Another unit's log in between; opening U7 again offers U7's record, as kept.
  ApplyRecordEntries(program, LogRecordEntries{RunLabel::AsFound, {}, {}, "Other Lab", "X-1"});
  std::string offeredCustomer, offeredTemperature;
  int offeredCondition = -1;
  AnswerRecordForm([&](LogRecordForm& form) {
    offeredCustomer = form.Boxes().customer->text().toStdString();
    offeredTemperature = form.Boxes().temperature->text().toStdString();
    offeredCondition = form.Boxes().condition->currentIndex();
    form.Boxes().humidity->setText("38");  // today's conditions
    QTest::mouseClick(form.ButtonOK(), Qt::LeftButton);
  });
  KeepLogRecord(nullptr, program, target, log, false);
  EXPECT_EQ(offeredCustomer, "Acme");
  EXPECT_EQ(offeredTemperature, "22.5");
  EXPECT_EQ(offeredCondition, 1);
  EXPECT_EQ(program.Record().customer, "Acme");
  EXPECT_EQ(program.Record().humidityPercent, 38.0);
  EXPECT_EQ(program.Record().label, RunLabel::AsLeft);
  ResultsStore store(target);
  ASSERT_TRUE(store.Open()) << store.LastError();
  ASSERT_TRUE(store.LogContextOf(LogFileKey(log)).has_value());
  EXPECT_EQ(store.LogContextOf(LogFileKey(log))->humidityPercent, 38.0);

  // With the store off the same question comes empty; Cancel carries nothing of the last
  // log's record into this one.
  bool empty = false;
  AnswerRecordForm([&](LogRecordForm& form) {
    empty = form.Boxes().customer->text().isEmpty() && form.Boxes().temperature->text().isEmpty();
    form.reject();
  });
  KeepLogRecord(nullptr, program, StoreTarget{}, log, false);
  EXPECT_TRUE(empty);
  EXPECT_EQ(program.Record().customer, "");
  EXPECT_FALSE(program.Record().temperatureC.has_value());
}

}  // namespace
}  // namespace veridane
