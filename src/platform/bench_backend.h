#pragma once
// A bench the program can work on, chosen by a connection text ("sim", "sim:NAME", "FILE.toml",
// "gpib:0", "prologix:/dev/ttyUSB0", ...). A back end registers a BenchScheme; the registry
// (gpib/backends) finds the scheme for a text and opens it. What an opened bench gives the
// program is the GPIB driver plus a few facts about the bench; the program never learns which
// back end it talks to.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/event_loop.h"
#include "platform/gpib488.h"
#include "platform/operator.h"
#include "platform/settings.h"

namespace veridane {

// Help a bench may offer at the prompts (the simulator's virtual technician).
enum class BenchHelp {
  None,       // the person answers everything
  Assistant,  // the bench does the physical part of a prompt, then the person answers
  Alone,      // the bench does the physical part and answers by itself
};

struct BenchHelpOptions {
  BenchHelp help = BenchHelp::None;
  bool manual = false;  // answer No to the Auto-mode offer
  // Told of every prompt a helper answers alone, with its answer; may throw to end the run.
  std::function<void(std::string_view text, int16_t style, std::string_view caption, BoxAnswer answer)> witness;
};

// Thrown by BenchScheme::open with a text for the technician (8-bit, LF line breaks).
class BenchOpenError : public std::runtime_error {
 public:
  explicit BenchOpenError(const std::string& text) : std::runtime_error(text) {}
};

// Thrown by a bench's helper when it cannot follow a prompt; the run ends with its text.
class PromptNotFollowed : public std::logic_error {
 public:
  explicit PromptNotFollowed(const std::string& text) : std::logic_error(text) {}
};

class OpenedBench {
 public:
  virtual ~OpenedBench() = default;
  virtual Gpib488& Driver() = 0;
  // Where the generator compensation and scanner files are read; empty: the program's own
  // folder for a real bench (setting "InstrumentData").
  virtual std::filesystem::path InstrumentDataFolder() const { return {}; }
  // The bench's help wrapped around `person`, owned by the bench; nullptr when it has none.
  virtual Operator* Helper(Operator& /*person*/, const BenchHelpOptions& /*options*/) { return nullptr; }
  // What the helper did, for the end of a headless run (8-bit text, LF line ends).
  virtual std::string HelperTranscript() const { return {}; }
  // A problem found while opening that the technician must read before start-up (e.g. what to
  // install); start-up then meets the bench as it is and reports its own GPIB error.
  virtual std::string Notice() const { return {}; }
  // A bench made to fail (a simulated fault): it is used when asked for, never remembered as
  // the bench to start on next time.
  virtual bool InjectsFaults() const { return false; }
  // The register of reference standards the bench ships (TOML text), used when the lab names
  // none; empty for a real bench, whose standards only the lab's register knows.
  virtual std::string StandardsRegisterText() const { return {}; }
};

// One bench a scheme ships, for `--list-benches`.
struct BenchListing {
  std::string text;         // the connection text that opens it ("sim:scope-only")
  std::string description;  // one line (8-bit); empty when the bench has none
};

struct BenchScheme {
  std::string name;       // "sim", "gpib", "prologix", ...
  bool simulated = false;  // results go to the "Simulated" folders, captions get the mark
  // True when a connection text belongs to this scheme.
  std::function<bool(std::string_view text)> matches;
  // Opens the bench; throws BenchOpenError. Empty: known, but not available in this build.
  std::function<std::unique_ptr<OpenedBench>(std::string_view text, EventLoop& loop, const Settings& settings)> open;
  // A line for the "Unknown bench" message, e.g. the names of the shipped benches.
  std::string hint;
  // The benches this scheme ships, in the order to show them. Empty: it ships none.
  std::function<std::vector<BenchListing>()> list;
};

}  // namespace veridane
