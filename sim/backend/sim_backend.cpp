#include "sim/backend/sim_backend.h"

#include <memory>
#include <string>
#include <vector>

#include "platform/text8.h"
#include "sim/bench/bench.h"
#include "sim/bench/bench_file.h"
#include "sim/bench/shipped_benches.h"
#include "sim/backend/simulated_standards.h"
#include "sim/technician/virtual_technician.h"

namespace veridane::sim {

namespace {

// The technician sets a knob within this fraction of where it should be.
constexpr double kKnobError = 0.04;

// The bench name a connection text gives: "sim" is the default bench, "sim:NAME" names a
// shipped bench or a file; empty when the text is not a simulated bench.
std::string BenchName(std::string_view text) {
  if (text == "sim") return "default";
  if (text.starts_with("sim:")) return std::string(text.substr(4));
  if (text.ends_with(".toml") || text.find('/') != std::string_view::npos || ShippedBenchText(text).has_value())
    return std::string(text);
  return {};
}

class SimulatedBench : public OpenedBench {
 public:
  explicit SimulatedBench(std::unique_ptr<Bench> bench) : bench_(std::move(bench)) {}

  Gpib488& Driver() override { return bench_->Bus(); }
  std::filesystem::path InstrumentDataFolder() const override { return bench_->InstrumentDataFolder(); }

  Operator* Helper(Operator& person, const BenchHelpOptions& options) override {
    switch (options.help) {
      case BenchHelp::None:
        return nullptr;
      case BenchHelp::Assistant: {
        // A prompt the technician does not know goes to the person with the box's refusal
        // offered, never a guess.
        TechnicianOptions assistant;
        assistant.unknownPrompts = UnknownPromptPolicy::kAnswerRefusal;
        technician_ = std::make_unique<VirtualTechnician>(*bench_, person, assistant);
        break;
      }
      case BenchHelp::Alone: {
        TechnicianOptions alone;
        alone.autoModeAnswer = options.manual ? kNo : kYes;
        // Hands are not exact: the closed-loop setting has something to correct.
        alone.knobError = kKnobError;
        alone.witness = options.witness;
        technician_ = std::make_unique<VirtualTechnician>(*bench_, alone);
        break;
      }
    }
    return technician_.get();
  }

  std::string HelperTranscript() const override { return technician_ ? technician_->TranscriptText() : ""; }
  bool InjectsFaults() const override { return sim::InjectsFaults(bench_->Description()); }
  std::string StandardsRegisterText() const override { return SimulatedStandardsText(); }

 private:
  std::unique_ptr<Bench> bench_;
  std::unique_ptr<VirtualTechnician> technician_;
};

std::string ShippedList() {
  std::string list;
  for (const std::string& name : ShippedBenchNames()) list += (list.empty() ? "" : ", ") + name;
  return list;
}

// Every shipped bench under the text that opens it, with the description line of its file. A
// shipped file that does not read says so in place of its description rather than hiding it.
std::vector<BenchListing> ShippedListings() {
  std::vector<BenchListing> listings;
  for (const std::string& name : ShippedBenchNames()) {
    BenchListing listing;
    listing.text = "sim:" + name;
    try {
      listing.description =
          Text8FromUtf8(ParseBenchText(*ShippedBenchText(name), ShippedBenchFileName(name)).description);
    } catch (const std::exception& error) {
      listing.description = "(cannot be read: " + Text8FromUtf8(error.what()) + ")";
    }
    listings.push_back(std::move(listing));
  }
  return listings;
}

}  // namespace

BenchScheme SimulatedBenchScheme() {
  BenchScheme scheme;
  scheme.name = "sim";
  scheme.simulated = true;
  scheme.matches = [](std::string_view text) { return !BenchName(text).empty(); };
  scheme.open = [](std::string_view text, EventLoop& loop, const Settings&) -> std::unique_ptr<OpenedBench> {
    const std::string shown = "\"" + Text8FromUtf8(text) + "\"";
    try {
      return std::make_unique<SimulatedBench>(Bench::Open(BenchName(text), loop));
    } catch (const BenchFileError& error) {
      throw BenchOpenError("The bench " + shown + " cannot be used:\n" + Text8FromUtf8(error.what()));
    } catch (const std::exception& error) {
      throw BenchOpenError("The bench " + shown + " cannot be set up:\n" + Text8FromUtf8(error.what()));
    }
  };
  scheme.hint = "Shipped benches: " + ShippedList();
  scheme.list = ShippedListings;
  return scheme;
}

}  // namespace veridane::sim
