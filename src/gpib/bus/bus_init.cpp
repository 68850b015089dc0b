// Bus start-up: take control of the bus and note which primary addresses answer as listeners.
#include "gpib/bus/gpib_bus.h"
#include "platform/numbers.h"

namespace veridane {

namespace {

constexpr int16_t kBoard = 0;
constexpr int16_t kListLimit = 15;  // the board itself plus at most 14 instruments
constexpr int16_t kModeFatal = 1;
constexpr int16_t kModeQuietWhenEmpty = -1;

}  // namespace

size_t ListenerTable::FreeCount() const {
  size_t count = 0;
  for (const Listener& listener : found) count += listener.free ? 1 : 0;
  return count;
}

std::vector<int16_t> ListenerTable::Addresses() const {
  std::vector<int16_t> addresses;
  for (const Listener& listener : found) addresses.push_back(listener.address);
  return addresses;
}

void GpibBus::GpibInit(int16_t mode) {
  listeners.found.clear();

  std::vector<int16_t> addresses;
  for (int16_t address = 0; address <= 30; ++address) addresses.push_back(address);
  addresses.push_back(kNoAddr);

  SendIFC(kBoard);
  ibsre(kBoard, 1);
  std::vector<int16_t> results(kListLimit, 0);
  FindLstn(kBoard, addresses, results, kListLimit);

  if (!status.Err()) {
    // Entry 0 of the result is the board itself; instruments follow until the first 0.
    for (size_t i = 1; i <= ListenerTable::kMostListeners && i < results.size(); ++i) {
      if (results[i] == 0) break;
      listeners.found.push_back(Listener{results[i]});
    }
    return;
  }

  int16_t iberr = status.iberr;
  if (iberr == kEbus && mode == kModeQuietWhenEmpty) return;
  std::string text;
  if (iberr == kEbus) {
    text = "No listeners found.";
  } else if (iberr == kEtab) {
    text = "Too many listeners found.\nMax 14 listeners allowed.";
  }
  if (mode == kModeFatal || iberr != kEbus) text += "\n\nCorrect problem and restart.";
  if (!text.empty()) op_.ShowMessBox(text, kCritical, "Initialization Error" + PlainText(int{iberr}));
  if (mode == kModeFatal) op_.EndProgram();
}

}  // namespace veridane
