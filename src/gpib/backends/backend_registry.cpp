#include "gpib/backends/backend_registry.h"

#include <algorithm>
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
  const HardwareLibraries libraries{settings.Get("Veridane", "Settings", "GpibLibrary", ""),
                                    settings.Get("Veridane", "Settings", "VisaLibrary", "")};
  std::unique_ptr<Gpib488> driver = OpenRealBackend(text, libraries, error);
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
  // One scheme per back end, in the order of HardwareForms(), matching by its forms.
  std::vector<std::string_view> names;
  for (const HardwareForm& form : HardwareForms())
    if (std::find(names.begin(), names.end(), form.scheme) == names.end()) names.push_back(form.scheme);
  for (std::string_view name : names) {
    BenchScheme scheme;
    scheme.name = std::string(name);
    scheme.matches = [name](std::string_view text) {
      const HardwareForm* form = MatchHardwareForm(text);
      return form != nullptr && form->scheme == name;
    };
    scheme.open = [](std::string_view text, EventLoop&, const Settings& settings) { return OpenHardware(text, settings); };
    if (name == names.front()) {
      std::string forms;
      for (const HardwareForm& form : HardwareForms()) forms += (forms.empty() ? "" : ", ") + std::string(form.example);
      scheme.hint = "GPIB boards and adapters: " + forms;
    }
    registry.Register(std::move(scheme));
  }
}

}  // namespace veridane
