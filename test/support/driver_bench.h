#pragma once
// A bench for driver tests: the recording driver, the scripted technician, the virtual clock
// and the bus layer over them, with helpers to open handles and to read back the traffic as
// "address:text" lines in the order it went out.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "instruments/instrument_roles.h"
#include "instruments/run_flags.h"
#include "gpib/bus/gpib_bus.h"
#include "platform/event_loop.h"
#include "test/support/recording_gpib.h"
#include "test/support/scripted_operator.h"

namespace veridane::testing {

class DriverBench : public ::testing::Test {
 protected:
  // A handle pointing at a primary address, as FindDevice would hand it out.
  int16_t Device(int address) { return bus.ibdev(0, static_cast<int16_t>(address), 0, 12, 1, 0); }

  // Every write in order, each as "address:text".
  std::vector<std::string> Traffic() const {
    std::vector<std::string> lines;
    for (const GpibCall& call : gpib.CallsOf("ibwrt")) lines.push_back(std::to_string(call.address) + ":" + call.data);
    return lines;
  }
  void ClearTraffic() { gpib.ClearLog(); }

  // Return-to-local calls, as the addresses they went to.
  std::vector<int> LocalCalls() const {
    std::vector<int> addresses;
    for (const GpibCall& call : gpib.CallsOf("ibloc")) addresses.push_back(call.address);
    return addresses;
  }

  void TearDown() override { op.ExpectAllConsumed(); }

  RecordingGpib gpib;
  ScriptedOperator op;
  VirtualClock clock;
  GpibBus bus{gpib, op, clock};
  InstrumentRoles roles;
  Automation autoMode = Automation::Manual;
};

// A folder of its own under the system temp folder, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    path_ = std::filesystem::temp_directory_path() /
            ("veridane-drivers-" + std::to_string(reinterpret_cast<uintptr_t>(this)) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace veridane::testing
