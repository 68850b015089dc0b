// Each instrument answers its identification query so that the program's search (upper-cased
// answer containing the expected text, or an exact match) recognises it, and no other search.
#include <gtest/gtest.h>

#include <string>

#include "platform/numbers.h"
#include "platform/text8.h"
#include "sim/instruments/attenuator.h"
#include "sim/instruments/calibrator.h"
#include "sim/instruments/levelled_generator.h"
#include "sim/instruments/scanner.h"
#include "sim/instruments/time_mark_generator.h"

namespace veridane::sim {
namespace {

// The answer as the bus layer hands it over: line end removed.
std::string Ask(SimDevice& device, const std::string& query) {
  device.DeviceClear();
  device.Receive(query);
  std::optional<std::string> answer = device.Respond();
  if (!answer) return "<timeout>";
  std::string text = Trim(*answer);
  if (!text.empty() && text.back() == '\n') text.pop_back();
  if (!text.empty() && text.back() == '\r') text.pop_back();
  return text;
}

bool Contains(const std::string& answer, const std::string& expected) {
  return UpperCase(answer).find(UpperCase(expected)) != std::string::npos;
}

TEST(Identification, TektronixModulesAnswerIdWithTheirModel) {
  At5010 attenuator;
  EXPECT_TRUE(Contains(Ask(attenuator, "ID?"), "AT5010"));

  Cg5011 cg;
  std::string reply = Ask(cg, "ID?");
  ASSERT_TRUE(Contains(reply, "CG50"));
  // The program names it "CG " + the four characters from the first "50".
  EXPECT_EQ("CG " + reply.substr(reply.find("50"), 4), "CG 5011");

  Scanner si5020(*FindScannerModel("SI 5020"));
  Scanner si5010(*FindScannerModel("SI5010"));
  EXPECT_TRUE(Contains(Ask(si5020, "ID?"), "SI5020"));
  EXPECT_TRUE(Contains(Ask(si5010, "ID?"), "SI5010"));
  EXPECT_FALSE(Contains(Ask(si5010, "ID?"), "SI5020"));

  auto sg = MakeGenerator(*FindGeneratorModel("SG 5030"));
  EXPECT_TRUE(Contains(Ask(*sg, "ID?"), "SG5030"));
}

TEST(Identification, CalibratorAnswersExactlyZeroPoint) {
  Fluke5100 calibrator;
  EXPECT_EQ(Ask(calibrator, "ID?"), "0.");
  // Also after it has been set: the answer does not follow the output.
  calibrator.Receive("8.4V+,N");
  EXPECT_EQ(Ask(calibrator, "ID?"), "0.");
  // The raw answer carries CR LF, which the bus layer strips before the exact comparison.
  calibrator.Receive("ID?");
  EXPECT_EQ(calibrator.Respond().value_or(""), "0.\r\n");
}

TEST(Identification, SmeAnswersStarIdnWithModelDigits) {
  for (auto [name, code] : {std::pair{"SME02", 2000}, {"SME03", 3000}, {"SME06", 6000}}) {
    auto sme = MakeGenerator(*FindGeneratorModel(name));
    std::string reply = Ask(*sme, "*IDN?");
    ASSERT_TRUE(Contains(reply, "SME")) << reply;
    size_t p = reply.find("SME");
    EXPECT_EQ(static_cast<int>(NumericValue(reply.substr(p + 3, 2))) * 1000, code);
    EXPECT_EQ("R&S SME" + reply.substr(p + 3, 2), std::string("R&S ") + name);
    // A SCPI instrument does not know the TM 5000 query: the read times out.
    EXPECT_EQ(Ask(*sme, "ID?"), "<timeout>");
  }
}

TEST(Identification, FlukeGeneratorsAnswerIdAndDoubleQuery) {
  auto fluke = MakeGenerator(*FindGeneratorModel("Fluke 6061"));
  EXPECT_TRUE(Contains(Ask(*fluke, "ID?"), "606"));
  std::string reply = Ask(*fluke, "ID??");
  EXPECT_EQ(reply, "6061B");
  EXPECT_EQ(static_cast<int>(NumericValue(reply)), 6061);
  EXPECT_EQ(Ask(*MakeGenerator(*FindGeneratorModel("fluke6060")), "ID??"), "6060B");
  EXPECT_EQ(Ask(*MakeGenerator(*FindGeneratorModel("Fluke 6062")), "ID??"), "6062A");
}

TEST(Identification, NoInstrumentMatchesAnotherRole) {
  At5010 attenuator;
  Cg5011 cg;
  Fluke5100 calibrator;
  Scanner scanner(*FindScannerModel("SI 5020"));
  auto sg = MakeGenerator(*FindGeneratorModel("SG 5030"));
  auto fluke = MakeGenerator(*FindGeneratorModel("Fluke 6062"));
  SimDevice* all[] = {&attenuator, &cg, &calibrator, &scanner, sg.get(), fluke.get()};
  const char* expected[] = {"AT5010", "CG50", "SI5020", "SG5030", "606"};
  int matches[5] = {};
  for (SimDevice* device : all) {
    std::string reply = Ask(*device, "ID?");
    if (device != &calibrator) {
      EXPECT_NE(reply, "0.");
    }
    for (int i = 0; i < 5; ++i) matches[i] += Contains(reply, expected[i]);
    EXPECT_FALSE(Contains(Ask(*device, "*IDN?"), "SME"));
  }
  for (int count : matches) EXPECT_EQ(count, 1);
}

TEST(Identification, UnknownModelNamesAreNotFound) {
  EXPECT_EQ(FindGeneratorModel("SG 503"), nullptr);
  EXPECT_EQ(FindScannerModel("SI 5030"), nullptr);
  ASSERT_NE(FindGeneratorModel("sme 03"), nullptr);
  EXPECT_EQ(FindGeneratorModel("sme 03")->code, 3000);
}

}  // namespace
}  // namespace veridane::sim
