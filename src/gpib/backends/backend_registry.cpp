#include "gpib/backends/backend_registry.h"

#include <memory>

#include "gpib/backends/real_backends.h"
#include "platform/text8.h"

namespace veridane {

namespace {

// A real board or adapter: its driver, and what opening it found wrong.
class HardwareBench : public OpenedBench {
 public:
  HardwareBench(std::unique_ptr<Gpib488> driver, std::string notice)
      : driver_(std::move(driver)), notice_(std::move(notice)) {}
  Gpib488& Driver() override { return *driver_; }
  std::string Notice() const override { return notice_; }

 private:
  std::unique_ptr<Gpib488> driver_;
  std::string notice_;
};

std::unique_ptr<OpenedBench> OpenHardware(std::string_view text, const Settings& settings) {
  std::string error;
  std::unique_ptr<Gpib488> driver =
      OpenRealBackend(text, settings.Get("Veridane", "Settings", "GpibLibrary", ""), error);
  if (!driver) throw BenchOpenError(Text8FromUtf8(error));
  return std::make_unique<HardwareBench>(std::move(driver), Text8FromUtf8(error));
}

}  // namespace

void BackendRegistry::Register(BenchScheme scheme) { schemes_.push_back(std::move(scheme)); }

const BenchScheme* BackendRegistry::Find(std::string_view text) const {
  for (const BenchScheme& scheme : schemes_)
    if (scheme.matches && scheme.matches(text)) return &scheme;
  return nullptr;
}

std::string BackendRegistry::Hints() const {
  std::string hints;
  for (const BenchScheme& scheme : schemes_)
    if (!scheme.hint.empty()) hints += (hints.empty() ? "" : "\n") + scheme.hint;
  return hints;
}

void RegisterHardwareSchemes(BackendRegistry& registry) {
  struct Prefixes {
    const char* name;
    std::vector<std::string_view> prefixes;
  };
  const Prefixes known[] = {
      {"gpib", {"gpib:", "ni:"}},
      {"prologix-tcp", {"prologix-tcp:"}},
      {"prologix", {"prologix:"}},
      {"ar488", {"ar488:"}},
  };
  for (const Prefixes& entry : known) {
    BenchScheme scheme;
    scheme.name = entry.name;
    scheme.matches = [prefixes = entry.prefixes](std::string_view text) {
      for (std::string_view prefix : prefixes)
        if (text.starts_with(prefix)) return true;
      return false;
    };
    scheme.open = [](std::string_view text, EventLoop&, const Settings& settings) { return OpenHardware(text, settings); };
    registry.Register(std::move(scheme));
  }
}

}  // namespace veridane
