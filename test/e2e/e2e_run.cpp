#include "test/e2e/e2e_run.h"

#include <unistd.h>

#include "platform/numbers.h"
#include "platform/paths.h"
#include "sim/bench/shipped_benches.h"
#include "test/support/borrowed_bench.h"
#include "test/support/shell_run.h"

namespace veridane::testing {

namespace {

// A folder per test (and per process, as ctest may run tests side by side).
std::string FolderNameForThisTest() {
  std::string name = "e2e";
  if (const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info())
    name += std::string("-") + info->test_suite_name() + "-" + info->name();
  for (char& c : name)
    if (c == '/') c = '_';
  return name + "-" + std::to_string(getpid());
}

std::unique_ptr<sim::Bench> OpenBench(const std::string& bench, EventLoop& clock) {
  if (bench.find('\n') == std::string::npos) return sim::Bench::Shipped(bench, clock);
  return sim::Bench::FromText(bench, "variant.toml", clock);
}

}  // namespace

E2eRun::E2eRun(const std::string& benchText, sim::TechnicianOptions options)
    : root(FolderNameForThisTest()), bench(OpenBench(benchText, clock)) {
  bench->SetTrace([this](const std::string& line) { OnTraceLine(line); });
  technician = std::make_unique<sim::VirtualTechnician>(*bench, options);
  logDialogs = std::make_unique<PresetLogDialogs>(*technician);
  launcher.Adopt(std::make_unique<BorrowedBench>(*bench), true, clock);
  program = &launcher.Compose(*technician, view, view, *logDialogs, TestVersions());
  startup = &launcher.startup();
}

bool E2eRun::Start() {
  try {
    if (!startup->Load(false) || !startup->Activate()) {
      ADD_FAILURE() << "start-up ended the program\n" << Transcript();
      return false;
    }
  } catch (const ProgramEnded&) {
    ADD_FAILURE() << "start-up ended the program\n" << Transcript();
    return false;
  }
  return startup->Phase() == StartupPhase::Ready;
}

void E2eRun::RunTest(int16_t n) {
  ASSERT_TRUE(program->HasTest(n)) << "no menu command for test " << n;
  const size_t begin = trace.size();
  program->RunTest(n);
  testTraces_[n] = {begin, trace.size()};
}

std::vector<double> E2eRun::MeasurementReplies(int16_t n) const {
  std::vector<double> replies;
  const auto span = testTraces_.find(n);
  if (span == testTraces_.end()) return replies;
  const std::string address = std::to_string(bench->Description().scopeAddress);
  const std::string query = "W " + address + " <- MEASU:MEAS1:VAL?";
  const std::string reply = "R " + address + " -> ";
  for (size_t i = span->second.begin; i + 1 < span->second.end; ++i) {
    if (trace[i] != query || trace[i + 1].rfind(reply, 0) != 0) continue;
    replies.push_back(NumericValue(std::string_view(trace[i + 1]).substr(reply.size())));
  }
  return replies;
}

void E2eRun::FullSequence() { program->FullSequence(); }

void E2eRun::OnTrace(std::string text, std::function<void()> action) {
  traceActions_.push_back({std::move(text), std::move(action)});
}

void E2eRun::OnTraceLine(const std::string& line) {
  trace.push_back(line);
  for (size_t i = 0; i < traceActions_.size(); ++i) {
    if (line.find(traceActions_[i].text) == std::string::npos) continue;
    auto action = std::move(traceActions_[i].action);
    traceActions_.erase(traceActions_.begin() + static_cast<std::ptrdiff_t>(i));
    action();
    return;
  }
}

std::vector<sim::TranscriptEntry> E2eRun::PromptsCaptioned(std::string_view caption) const {
  std::vector<sim::TranscriptEntry> found;
  for (const sim::TranscriptEntry& entry : technician->Transcript())
    if (entry.kind == sim::TranscriptEntry::Kind::Prompt && entry.caption == caption) found.push_back(entry);
  return found;
}

std::string ShippedBenchWith(std::string_view name, std::string_view from, std::string_view to) {
  std::string text(sim::ShippedBenchText(name).value_or(""));
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from << " not in " << name;
  EXPECT_EQ(text.find(from, at + 1), std::string::npos) << from << " twice in " << name;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

}  // namespace veridane::testing
