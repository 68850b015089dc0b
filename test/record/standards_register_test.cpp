#include <gtest/gtest.h>

#include <chrono>

#include "instruments/instrument_roles.h"
#include "record/standards_check.h"
#include "record/standards_register.h"

namespace veridane {
namespace {

using std::chrono::day;
using std::chrono::month;
using std::chrono::year;
using std::chrono::year_month_day;

constexpr const char* kRegister = R"(# two calibrators of one model, a generator
[[standard]]
model = "Fluke 5100B"
serial = "5100-4471"
asset = "LAB-0012"
certificate = "CAL-2026-0412"
calibrated = 2026-03-02
due = 2027-03-02

  [[standard.uncertainty]]
  function = "dc_voltage"
  percent = 0.005
  absolute = 10e-6

[[standard]]
model = "fluke 5100b"
serial = "5100-0007"
asset = "LAB-0013"
certificate = "CAL-2026-0500"
calibrated = 2025-12-01
due = 2026-12-01

[[standard]]
model = "SG 5030"
serial = "B020311"
asset = "LAB-0020"
certificate = "CAL-2026-0077"
calibrated = 2026-01-10
due = 2026-12-20

  [[standard.uncertainty]]
  function = "ac_amplitude"
  band_low_hz = 50e3
  band_high_hz = 250e6
  percent = 1.5
  published_limit = true

  [[standard.uncertainty]]
  function = "frequency"
  percent = 0.001
  k = 2.1
)";

// The register with one line replaced: the way each bad entry is made below.
std::string With(const std::string& from, const std::string& to) {
  std::string text = kRegister;
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return text.replace(at, from.size(), to);
}

std::string ErrorOf(const std::string& text) {
  try {
    ParseStandardsRegister(text, "standards.toml");
  } catch (const StandardsRegisterError& error) {
    return error.what();
  }
  return "no error";
}

TEST(StandardsRegisterTest, ReadsEntriesWithDatesAndUncertainties) {
  const StandardsRegister reg = ParseStandardsRegister(kRegister, "standards.toml");
  ASSERT_EQ(reg.standards.size(), 3u);
  const ReferenceStandard& calibrator = reg.standards[0];
  EXPECT_EQ(calibrator.serial, "5100-4471");
  EXPECT_EQ(calibrator.certificate, "CAL-2026-0412");
  EXPECT_EQ(IsoDate(calibrator.calibrated), "2026-03-02");
  EXPECT_EQ(IsoDate(calibrator.due), "2027-03-02");
  EXPECT_EQ(calibrator.line, 2);
  ASSERT_EQ(calibrator.uncertainty.size(), 1u);
  EXPECT_EQ(calibrator.uncertainty[0].function, StandardFunction::DcVoltage);
  EXPECT_DOUBLE_EQ(calibrator.uncertainty[0].absolute, 10e-6);
  EXPECT_DOUBLE_EQ(calibrator.uncertainty[0].coverageFactor, 2);  // the default
  EXPECT_FALSE(calibrator.uncertainty[0].bandLowHz.has_value());

  const ReferenceStandard& generator = reg.standards[2];
  ASSERT_EQ(generator.uncertainty.size(), 2u);
  EXPECT_EQ(generator.uncertainty[0].function, StandardFunction::AcAmplitude);
  EXPECT_DOUBLE_EQ(*generator.uncertainty[0].bandLowHz, 50e3);
  EXPECT_DOUBLE_EQ(*generator.uncertainty[0].bandHighHz, 250e6);
  EXPECT_TRUE(generator.uncertainty[0].publishedLimit);
  EXPECT_DOUBLE_EQ(generator.uncertainty[1].coverageFactor, 2.1);
}

TEST(StandardsRegisterTest, BadEntriesNameFileAndLine) {
  // Missing and mistyped dates.
  EXPECT_EQ(ErrorOf(With("due = 2027-03-02\n", "")), "standards.toml:2: standard 1: the date \"due\" is missing");
  EXPECT_EQ(ErrorOf(With("calibrated = 2026-03-02", "calibrated = \"2026-03-02\"")),
            "standards.toml:7: standard 1: \"calibrated\" must be a date such as 2027-03-02 (no quotes)");
  EXPECT_EQ(ErrorOf(With("due = 2027-03-02", "due = 2026-03-01")),
            "standards.toml:8: standard 1 (LAB-0012): due 2026-03-01 is not after calibrated 2026-03-02");
  // Unknown keys, in an entry and in an uncertainty, and at the top.
  EXPECT_EQ(ErrorOf(With("certificate = \"CAL-2026-0412\"", "certifcate = \"CAL-2026-0412\"")),
            "standards.toml:6: standard 1: unknown key \"certifcate\" (known: model, serial, asset, certificate, "
            "calibrated, due, uncertainty)");
  EXPECT_NE(ErrorOf(With("  percent = 1.5", "  precent = 1.5")).find("standards.toml:35: standard 3 (LAB-0020), uncertainty: unknown key \"precent\""),
            std::string::npos);
  EXPECT_EQ(ErrorOf("lab = \"x\"\n" + std::string(kRegister)),
            "standards.toml:1: unknown key \"lab\" (entries are [[standard]] tables)");
  // Duplicate assets, whatever their case.
  EXPECT_EQ(ErrorOf(With("asset = \"LAB-0013\"", "asset = \"lab-0012\"")),
            "standards.toml:18: asset \"lab-0012\" is already in the register (line 5)");
  // TOML itself, and empty texts.
  EXPECT_EQ(ErrorOf(With("serial = \"B020311\"", "serial = B020311")).rfind("standards.toml:25: ", 0), 0u);
  EXPECT_EQ(ErrorOf(With("serial = \"5100-4471\"", "serial = \" \"")), "standards.toml:4: standard 1: \"serial\" is empty");
}

TEST(StandardsRegisterTest, UncertaintyEntriesAreChecked) {
  EXPECT_NE(ErrorOf(With("function = \"frequency\"", "function = \"freq\"")).find("standards.toml:39: standard 3 (LAB-0020), uncertainty: unknown function \"freq\""), std::string::npos);
  EXPECT_NE(ErrorOf(With("  published_limit = true", "  published_limit = true\n  k = 2")).find("either k"),
            std::string::npos);
  EXPECT_NE(ErrorOf(With("band_high_hz = 250e6", "band_high_hz = 10e3")).find("band_high_hz must lie above"), std::string::npos);
  EXPECT_NE(ErrorOf(With("  percent = 0.005\n  absolute = 10e-6\n", "")).find("needs \"percent\", \"absolute\" or both"),
            std::string::npos);
  EXPECT_NE(ErrorOf(With("k = 2.1", "k = 0")).find("coverage factor k must be above 0"), std::string::npos);
  EXPECT_NE(ErrorOf(With("percent = 0.001", "percent = nan")).find("finite"), std::string::npos);
  // One function twice over the same frequencies (here every frequency) is refused; two bands
  // side by side are not.
  const std::string twice = With("  percent = 0.005\n  absolute = 10e-6\n",
                                 "  percent = 0.005\n\n  [[standard.uncertainty]]\n  function = \"dc_voltage\"\n  percent = 5\n");
  EXPECT_NE(ErrorOf(twice).find("standards.toml:14: standard 1 (LAB-0012), uncertainty: a second figure for dc_voltage "
                                "over the same frequencies as line 10"),
            std::string::npos)
      << ErrorOf(twice);
  EXPECT_EQ(ErrorOf(With("  percent = 1.5\n  published_limit = true\n",
                         "  percent = 1.5\n  published_limit = true\n\n  [[standard.uncertainty]]\n"
                         "  function = \"ac_amplitude\"\n  band_low_hz = 250e6\n  absolute = 0.01\n")),
            "no error");
}

TEST(StandardsRegisterTest, AFileThatIsNoRegisterIsRefused) {
  try {
    LoadStandardsRegister("/");
    FAIL() << "a folder was read as a register";
  } catch (const StandardsRegisterError& error) {
    EXPECT_EQ(error.Line(), 0);
    EXPECT_NE(std::string(error.what()).find("folder"), std::string::npos) << error.what();
  }
}

TEST(StandardsCheckTest, ModelsMatchWhateverTheSpellingAndVariant) {
  EXPECT_TRUE(ModelMatches("Fluke 5100B", "Fluke 5100A/B"));
  EXPECT_TRUE(ModelMatches("fluke 5100a", "Fluke 5100A/B"));
  EXPECT_FALSE(ModelMatches("Fluke 5100C", "Fluke 5100A/B"));
  EXPECT_TRUE(ModelMatches("SG5030", "SG 5030"));
  EXPECT_TRUE(ModelMatches("CG-5011", "CG 5011"));
  EXPECT_FALSE(ModelMatches("CG 5010", "CG 5011"));
  EXPECT_FALSE(ModelMatches("", "SG 5030"));
}

TEST(StandardsCheckTest, DueDatesAndChoicesDecideEachInstrument) {
  const StandardsRegister reg = ParseStandardsRegister(kRegister, "standards.toml");
  InstrumentRoles roles;
  roles.CalibratorDevice = 7;
  roles.CalibratorName = "Fluke 5100A/B";
  roles.SGDevice = 8;
  roles.SGName = "SG 5030";
  roles.TimeMarkDevice = 6;
  roles.TimeMarkName = "CG 5011";
  const std::vector<BenchInstrument> bench = BenchInstruments(roles);
  ASSERT_EQ(bench.size(), 3u);
  // Listed as the certificate lists them, whatever order start-up found them in.
  EXPECT_EQ(bench[0].role, "Calibrator");
  EXPECT_EQ(bench[1].role, "Signal generator");
  EXPECT_EQ(bench[2].role, "Time-mark generator");
  EXPECT_EQ(bench[2].model, "CG 5011");
  const year_month_day today{year{2026}, month{12}, day{7}};

  // Two calibrators and no choice: the run cannot say which one it used.
  std::vector<StandardUse> uses = CheckStandards(reg, bench, {}, today);
  EXPECT_EQ(uses[0].state, StandardState::Ambiguous);
  EXPECT_EQ(uses[0].candidates, (std::vector<std::string>{"LAB-0012", "LAB-0013"}));
  EXPECT_EQ(uses[1].state, StandardState::DueSoon);
  EXPECT_EQ(uses[1].daysToDue, 13);
  EXPECT_EQ(uses[2].state, StandardState::Unmatched);
  EXPECT_TRUE(Blocking(uses));
  EXPECT_EQ(StandardProblems(uses),
            (std::vector<std::string>{"Calibrator Fluke 5100A/B: several entries (LAB-0012, LAB-0013), none chosen",
                                      "Signal generator SG 5030 (asset LAB-0020, due 2026-12-20): due in 13 days",
                                      "Time-mark generator CG 5011: not in the register"}));

  // Choosing the overdue calibrator, by the model as detected and the asset in any case.
  uses = CheckStandards(reg, {bench[0], bench[1]}, {{"FLUKE 5100A/B", "lab-0013"}}, today);
  EXPECT_EQ(uses[0].state, StandardState::Overdue);
  EXPECT_EQ(uses[0].daysToDue, -6);
  EXPECT_EQ(StateText(uses[0]), "OVERDUE since 2026-12-01");
  EXPECT_TRUE(Blocking(uses));

  // The other one: nothing blocks, the generator is still reported; on its due date it is
  // still in use, the day after it is not.
  uses = CheckStandards(reg, {bench[0], bench[1]}, {{"FLUKE 5100A/B", "LAB-0012"}}, today);
  EXPECT_EQ(uses[0].standard->serial, "5100-4471");
  EXPECT_EQ(uses[0].state, StandardState::InCalibration);
  EXPECT_FALSE(Blocking(uses));
  EXPECT_EQ(StandardProblems(uses).size(), 1u);
  EXPECT_EQ(CheckStandards(reg, {bench[1]}, {}, year_month_day{year{2026}, month{12}, day{20}})[0].state,
            StandardState::DueSoon);
  // A calibration dated after today is said, not refused.
  EXPECT_EQ(StandardProblems(CheckStandards(reg, {bench[1]}, {}, year_month_day{year{2026}, month{1}, day{9}})),
            std::vector<std::string>{"Signal generator SG 5030 (asset LAB-0020, due 2026-12-20): calibrated 2026-01-10, "
                                     "a date still to come; check the register"});
  EXPECT_EQ(CheckStandards(reg, {bench[1]}, {}, year_month_day{year{2026}, month{12}, day{21}})[0].state,
            StandardState::Overdue);

  // A choice of an asset of another model is no choice.
  uses = CheckStandards(reg, {bench[0]}, {{"FLUKE 5100A/B", "LAB-0020"}}, today);
  EXPECT_EQ(uses[0].state, StandardState::Ambiguous);
}

}  // namespace
}  // namespace veridane
