#include "test/parlex/parlex_fixture.h"

#include <fstream>
#include <iterator>

namespace veridane::parlex::testing {

std::string ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << bytes;
}

ParlexRig::ParlexRig(Gpib488& driver, EventLoop& loop, std::vector<int16_t> listeners)
    : seams{driver, technician, loop, settings, dialogs, folder.Path() + "/Parlex", std::move(listeners), DriverTimeout::ThreeSeconds, ""} {}

void ParlexRig::Open() {
  form = std::make_unique<ManualPresenter>(seams, state, view);
  form->Load();
  form->Activate();
}

bool ParlexRig::Close() {
  if (!form->QueryUnload()) return false;
  form->Unload();
  return true;
}

}  // namespace veridane::parlex::testing
