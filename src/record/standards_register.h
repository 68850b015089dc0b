#pragma once
// The lab's register of reference standards: every instrument that sets a value a scope is
// judged against, with the certificate of its last calibration and the date it falls due. The
// register is a TOML file the lab keeps (standards.toml in the data folder, or --standards):
//
//   [[standard]]
//   model = "Fluke 5100B"
//   serial = "5100-4471"
//   asset = "LAB-0012"
//   certificate = "CAL-2026-0412"
//   calibrated = 2026-03-02
//   due = 2027-03-02
//     [[standard.uncertainty]]
//     function = "dc_voltage"
//     percent = 0.005
//     absolute = 10e-6
//     k = 2
//
// Every complaint about the file names the file and the line.
#include <chrono>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "uncertainty/uncertainty_figure.h"

namespace veridane {

class StandardsRegisterError : public std::runtime_error {
 public:
  // line 0: the file as a whole (missing, unreadable).
  StandardsRegisterError(std::string file, int line, const std::string& what);
  const std::string& File() const { return file_; }
  int Line() const { return line_; }

 private:
  std::string file_;
  int line_;
};

struct ReferenceStandard {
  std::string model;  // as the lab names it; matched against the model found on the bus
  std::string serial;
  std::string asset;  // the lab's own id, unique in the register
  std::string certificate;
  std::chrono::year_month_day calibrated{};
  std::chrono::year_month_day due{};
  std::vector<UncertaintyFigure> uncertainty;
  int line = 0;  // of its [[standard]] header, for later complaints
};

struct StandardsRegister {
  std::string file;  // where it was read from ("(simulated bench)" for the shipped one)
  std::vector<ReferenceStandard> standards;
};

// A register is a few hundred entries at most.
inline constexpr std::size_t kStandardsFileLimit = 1024 * 1024;

// Throw StandardsRegisterError.
StandardsRegister ParseStandardsRegister(std::string_view text, const std::string& file);
StandardsRegister LoadStandardsRegister(const std::string& path);

// "2027-03-02"
std::string IsoDate(std::chrono::year_month_day date);
// The register's key for a function ("dc_voltage"), and back; false for an unknown key.
std::string_view StandardFunctionKey(StandardFunction function);
bool StandardFunctionFromKey(std::string_view key, StandardFunction& function);

}  // namespace veridane
