#pragma once
// The oscilloscope under test: who it is, and the set-up, reset and operation-complete wait
// that every test relies on.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/gpib488.h"

namespace veridane {

class GpibBus;
class Operator;

struct ScopeIdentity {
  int16_t ScopeDevice = 0;
  std::string ScopeModel;      // e.g. "TDS 340A"
  int16_t ScopeModelCode = 0;  // 1 (310), 2 (320), 4 (340, 340A), 5 (350), 6 (360), 8 (380)
  std::string ScopeFirmware;   // e.g. "1.04 "
  std::string LogFolderName;   // "LOG" + model number, e.g. "LOG340A"
};

// Model code for a model number text ("340A" gives 4), 0 when the model is not supported.
int16_t ModelCodeFor(std::string_view modelNumber);

// Firmware text of an "ID?" reply: the 5 characters starting 4 after "FV" (so "FV:v1.04,..."
// gives "1.04,"); empty when the reply carries no "FV".
std::string FirmwareFromId(std::string_view reply);

// "CH 1", "CH 2", "EXT", "EXT/10"; empty for any other number.
std::string ChannelName(int16_t channel);

class ScopeControl {
 public:
  ScopeControl(GpibBus& bus, Operator& op, ScopeIdentity& scope);

  // Reads the model from the "ID?" reply; an unsupported or unreadable model ends the program.
  void IdentifyScope();
  // Queries "ID?" again and keeps the firmware text.
  void ReadFirmware();
  void InitScope();
  void ScopeReset();
  // Waits for "*OPC?" with the given driver timeout code (0..17).
  void WaitOPC(DriverTimeout timeout);

 private:
  GpibBus& bus_;
  Operator& op_;
  ScopeIdentity& scope_;
};

}  // namespace veridane
