#include "pv/catalogue.h"

#include <array>
#include <string>

#include "pv/procedures/analog_bandwidth.h"
#include "pv/procedures/dc_voltage.h"
#include "pv/procedures/offset_at_zero.h"
#include "pv/procedures/sample_rate.h"
#include "pv/procedures/self_cal.h"
#include "pv/procedures/trigger_sensitivity.h"

namespace veridane {

namespace {

// Each procedure is handed the parts it uses.
void RunSelfCal(PvContext& pv) { SelfCalMenu(pv.scope, pv.bench.scanners, pv.op, pv.state, pv.test); }
void RunOffsetZero(PvContext& pv) { OffsetZero(pv.scope, pv.test); }
void RunGain(PvContext& pv) { Gain(pv.scope, pv.bench, pv.test); }
void RunBandwidth(PvContext& pv) { Bandwidth(pv.scope, pv.bench, pv.op, pv.test); }
void RunSampleRate(PvContext& pv) { SampleRate(pv.scope, pv.bench, pv.op, pv.test); }
void RunTrigger(PvContext& pv) { Trigger(pv.scope, pv.bench, pv.op, pv.test); }

constexpr auto kCatalogue = std::to_array<CatalogueEntry>({
    {kSelfCalEntry, "Self Cal", "SPC", "Self &Cal (SPC)", "selfcal", &RunSelfCal},
    {kTestOffsetZero, "Offset at Zero", "OffsetZero", "&Offset at Zero", "offset", &RunOffsetZero},
    {kTestGain, "DC Voltage Measurement", "Gain", "&DC Voltage Measurement", "dcv", &RunGain},
    {kTestBandwidth, "Analog Bandwidth", "Bandwidth", "Analog &Bandwidth", "bandwidth", &RunBandwidth},
    {kTestSampleRate, "Long Term Sample Rate & Delay Time", "SampleRate", "Long Term &Sample Rate && Delay Time",
     "samplerate", &RunSampleRate},
    {kTestTrigger, "Edge Trigger Sensitivity", "Trigger", "Edge &Trigger Sensitivity", "trigger", &RunTrigger},
});

// Row n is test n (row 0 the self calibration), and they fit the run state's tables.
constexpr bool NumberedInOrder() {
  for (size_t i = 0; i < kCatalogue.size(); ++i)
    if (kCatalogue[i].number != static_cast<int16_t>(i)) return false;
  return true;
}
static_assert(NumberedInOrder(), "catalogue rows are numbered 0, 1, 2, ... in order");
static_assert(kCatalogue.size() - 1 <= static_cast<size_t>(kMostTests), "more tests than the run state has room for");

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::span<const CatalogueEntry> TestCatalogue() { return kCatalogue; }

const CatalogueEntry* FindTestByRunName(std::string_view name) {
  for (const CatalogueEntry& entry : kCatalogue)
    if (SameIgnoringCase(entry.runName, name)) return &entry;
  return nullptr;
}

void GiveTitles(FrameHooks& hooks) {
  for (const CatalogueEntry& test : kCatalogue)
    if (test.number != kSelfCalEntry) hooks.Titles[static_cast<size_t>(test.number)] = std::string(test.title);
}

void RegisterPvTests(PvContext& pv) {
  FrameHooks& hooks = pv.test.frame.Hooks();
  GiveTitles(hooks);
  for (const CatalogueEntry& test : TestCatalogue()) {
    if (test.entry == nullptr) continue;
    std::function<void()> run = [&pv, entry = test.entry] { entry(pv); };
    if (test.number == kSelfCalEntry) hooks.SelfCal = std::move(run);
    else hooks.Tests[static_cast<size_t>(test.number)] = std::move(run);
  }
}

std::string RunNames() {
  std::string names;
  for (const CatalogueEntry& entry : kCatalogue) names += (names.empty() ? "" : ", ") + std::string(entry.runName);
  return names;
}

}  // namespace veridane
