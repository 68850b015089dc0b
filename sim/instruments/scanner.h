#pragma once
// SI 5020 and SI 5010 relay scanners. A relay is named by its group letter and its number in
// the group ("A1", "B3"). "INIT" opens every relay, "CLOSE A1,B3," and "OPEN A1" switch the
// listed ones (a trailing comma is allowed); a list with any unknown relay is refused whole.
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "sim/instruments/instrument_device.h"

namespace veridane::sim {

struct ScannerModel {
  std::string name;     // "SI 5020"
  std::string idReply;  // answer to "ID?"
  std::string groups;   // group letters
  std::string relays;   // relay numbers within a group
};

const std::vector<ScannerModel>& ScannerModels();
const ScannerModel* FindScannerModel(std::string_view name);  // "SI 5020", "si5010"

class Scanner : public InstrumentDevice {
 public:
  explicit Scanner(ScannerModel model);

  const ScannerModel& Model() const { return model_; }
  bool IsRelay(std::string_view code) const;
  bool Closed(std::string_view code) const { return closed_.count(std::string(code)) != 0; }
  const std::set<std::string>& ClosedRelays() const { return closed_; }
  bool Close(std::string_view code);  // unknown relay: false
  void OpenAll() { closed_.clear(); }

 protected:
  void Execute(std::string_view message) override;

 private:
  bool Switch(const std::string& list, bool close);
  ScannerModel model_;
  std::set<std::string> closed_;
};

}  // namespace veridane::sim
