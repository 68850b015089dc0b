// The levelled generator with its attenuator: command texts per model, the compensated Auto
// path, the level limits and the prompts that replace a missing generator.
#include "instruments/signal_generator.h"
#include "test/support/driver_bench.h"

namespace veridane::testing {
namespace {

constexpr int kSG = 10;
constexpr int kAtt = 11;

class SignalGeneratorTest : public DriverBench {
 protected:
  void Generator(int16_t model, std::string name) {
    roles.SGDevice = Device(kSG);
    roles.AttenuatorDevice = Device(kAtt);
    roles.SGModel = model;
    roles.SGName = std::move(name);
  }
  SignalGenerator& sg() {
    if (!sg_) sg_ = std::make_unique<SignalGenerator>(bus, op, roles, autoMode, folder.path());
    return *sg_;
  }

  TempFolder folder;
  std::unique_ptr<SignalGenerator> sg_;
};

TEST_F(SignalGeneratorTest, SG5030FullAutoAfterResetSwitchesAttenuatorToOneFirst) {
  Generator(5030, "SG 5030");
  autoMode = Automation::Full;
  sg().compTable[0][0] = 2.95f;
  sg().SGReset();
  EXPECT_EQ(Traffic(), (std::vector<std::string>{"10:OUT OFF", "10:REFREQ OFF;AMPL .01;FRE 1000", "11:INIT"}));
  EXPECT_EQ(LocalCalls(), (std::vector<int>{kSG, kAtt}));
  ClearTraffic();
  double before = clock.Now();

  sg().SetSG(SignalSetting::Both(0.05f, 3));
  EXPECT_EQ(Traffic(), (std::vector<std::string>{"10:OUT OFF", "11:ATT  1.00", "10:AMPL 2.95;FRE 50000;OUT ON"}));
  EXPECT_GE(clock.Now() - before, 0.5);
  EXPECT_EQ(LocalCalls(), (std::vector<int>{kSG}));
  EXPECT_EQ(sg().state.lastAttenuation, 1);
  EXPECT_EQ(sg().state.lastAmplitude, 3);

  // Same ratio again: the attenuator is left alone and the output stays on.
  ClearTraffic();
  sg().SetSG(SignalSetting::Both(0.05f, 3.05f));
  EXPECT_EQ(Traffic(), (std::vector<std::string>{"10:AMPL 2.95;FRE 50000;OUT ON"}));
}

TEST_F(SignalGeneratorTest, SG5030FiveVoltLevelUsesSecondRow) {
  Generator(5030, "SG 5030");
  autoMode = Automation::Full;
  sg().compTable[0][2] = 3.1f;
  sg().compTable[1][2] = 5.2f;
  sg().SetSG(SignalSetting::Both(50, 4.9f));
  EXPECT_EQ(Traffic().back(), "10:AMPL 5.2;FRE 5E+07;OUT ON");
  ClearTraffic();
  sg().SetSG(SignalSetting::Both(50, 1.2f));  // ratio 2.5 from row 0
  EXPECT_EQ(Traffic(), (std::vector<std::string>{"10:OUT OFF", "11:ATT  2.50", "10:AMPL 3.1;FRE 5E+07;OUT ON"}));
}

TEST_F(SignalGeneratorTest, SmeFullAutoDividesTheCompensatedLevel) {
  Generator(3000, "R&S SME03");
  autoMode = Automation::Full;
  sg().compTable[0][0] = 2.4f;
  sg().compTable[0][3] = 2.2627417f;  // 0.8 V rms
  sg().SetSG(SignalSetting::Both(100, 0.006f));
  EXPECT_EQ(Traffic(), (std::vector<std::string>{"10:OUTP OFF", "11:ATT   400", "10:POW .8V;FREQ 1E+08;OUTP ON"}));
  EXPECT_EQ(sg().state.lastAttenuation, 400);
}

TEST_F(SignalGeneratorTest, LevelOffTheLadderIsScaledFromTheFirstEntry) {
  Generator(5030, "SG 5030");
  autoMode = Automation::Full;
  sg().compTable[0][0] = 3.0f;
  sg().compTable[0][3] = 3.3f;
  sg().SetSG(SignalSetting::Both(100, 0.05f));
  EXPECT_EQ(Traffic(), (std::vector<std::string>{"10:OUT OFF", "11:ATT  1.00", "10:AMPL .055;FRE 1E+08;OUT ON"}));
}

TEST_F(SignalGeneratorTest, LadderWindowsIncludeTheirBounds) {
  Generator(5030, "SG 5030");
  autoMode = Automation::Full;
  sg().compTable[0][0] = 3.0f;
  sg().compTable[1][0] = 5.0f;
  for (float level : {2.94f, 3.06f}) {
    ClearTraffic();
    sg().SetSG(SignalSetting::Both(0.05f, level));
    EXPECT_EQ(Traffic().back(), "10:AMPL 3;FRE 50000;OUT ON") << level;
  }
  for (float level : {4.9f, 5.1f}) {
    ClearTraffic();
    sg().SetSG(SignalSetting::Both(0.05f, level));
    EXPECT_EQ(Traffic().back(), "10:AMPL 5;FRE 50000;OUT ON") << level;
  }
}

TEST_F(SignalGeneratorTest, AmplitudeOnlyNeverUsesTheTable) {
  Generator(5030, "SG 5030");
  autoMode = Automation::Full;
  sg().compTable[0][0] = 2.95f;
  sg().SetSG(SignalSetting::Amplitude(0.5f));
  EXPECT_EQ(Traffic(), (std::vector<std::string>{"10:OUT OFF", "11:ATT  1.00", "10:AMPL .5;OUT ON"}));
}

TEST_F(SignalGeneratorTest, NegativeFrequencyIsSetDirectly) {
  Generator(5030, "SG 5030");
  autoMode = Automation::Full;
  sg().SetSG(SignalSetting::Both(60, 0.5f).Direct());
  EXPECT_EQ(Traffic().back(), "10:AMPL .5;FRE 6E+07;OUT ON");
  ClearTraffic();
  sg().SetSG(SignalSetting::Both(50, 3).Direct());
  EXPECT_EQ(Traffic(), (std::vector<std::string>{"10:AMPL 3;FRE 5E+07;OUT ON"}));
}

TEST_F(SignalGeneratorTest, AmplitudeFromTenUpIsRms) {
  Generator(3000, "R&S SME03");
  autoMode = Automation::Full;
  sg().SetSG(SignalSetting::RmsLevel(50, 0.5f));
  EXPECT_EQ(Traffic().back(), "10:POW .5V;FREQ 5E+07;OUTP ON");
  EXPECT_FLOAT_EQ(sg().state.lastAmplitude, 1.4142135f);

  roles.SGModel = 5030;
  ClearTraffic();
  sg().SetSG(SignalSetting::RmsLevel(50, 0.5f));
  EXPECT_EQ(Traffic().back(), "10:AMPL 1.414214;FRE 5E+07;OUT ON");
}

// The report of a level the generator cannot give quotes it as it was always coded: an RMS
// level 10 above its volts, a p-p level as it is.
TEST_F(SignalGeneratorTest, RmsLevelAboveTheLimitIsReportedInItsCodedForm) {
  Generator(6061, "Fluke 6061B");
  op.Expect(" 5E+07, 11.5\n\nCorrect problem and restart.", 16, "SetSG Parameter mismatch", kOk);
  EXPECT_THROW(sg().SetSG(SignalSetting::RmsLevel(50, 1.5f)), ProgramEnded);
  EXPECT_TRUE(Traffic().empty());
}

// A direct setting never goes through the table, even in full Auto and for a level on the
// ladder; an RMS level is always direct.
TEST_F(SignalGeneratorTest, DirectAndRmsSettingsBypassTheCompensation) {
  Generator(5030, "SG 5030");
  autoMode = Automation::Full;
  sg().compTable[0][0] = 2.95f;
  sg().compTable[0][2] = 2.9f;
  sg().SetSG(SignalSetting::Both(50, 3));
  EXPECT_EQ(Traffic().back(), "10:AMPL 2.9;FRE 5E+07;OUT ON");
  sg().SetSG(SignalSetting::Both(50, 3).Direct());
  EXPECT_EQ(Traffic().back(), "10:AMPL 3;FRE 5E+07;OUT ON");
  sg().SetSG(SignalSetting::RmsLevel(50, 1));
  EXPECT_EQ(Traffic().back(), "10:AMPL 2.828427;FRE 5E+07;OUT ON");
}

TEST_F(SignalGeneratorTest, FlukeCommandTexts) {
  Generator(6061, "Fluke 6061B");
  sg().SetSG(SignalSetting::Both(1, 0.6f));
  EXPECT_EQ(Traffic(), (std::vector<std::string>{"10:RO0", "11:ATT  1.00", "10:AP .212132V;FR 1000000HZ;RO1"}));
}

TEST_F(SignalGeneratorTest, ZeroAmplitudeKeepsTheLastOneAndSendsOnlyTheFrequency) {
  Generator(5030, "SG 5030");
  sg().SetSG(SignalSetting::Both(1, 0.5f).Direct());
  ClearTraffic();
  sg().SetSG(SignalSetting::Frequency(2).Direct());
  EXPECT_EQ(Traffic(), (std::vector<std::string>{"10:FRE 2000000;OUT ON"}));
  EXPECT_EQ(sg().state.lastAmplitude, 0.5f);
}

TEST_F(SignalGeneratorTest, ForgottenAmplitudeCannotBeKept) {
  Generator(5030, "SG 5030");
  sg().SetSG(SignalSetting::Both(1, 0.5f).Direct());
  ClearTraffic();
  sg().ForgetLastSetting();
  EXPECT_TRUE(Traffic().empty());
  EXPECT_EQ(sg().state.lastAttenuation, 0);
  EXPECT_EQ(sg().state.lastAmplitude, 0);
  op.Expect("No previous value found !", 16, "No Amplitude change ERROR", kOk);
  EXPECT_THROW(sg().SetSG(SignalSetting::Frequency(50)), ProgramEnded);
  EXPECT_TRUE(Traffic().empty());
}

TEST_F(SignalGeneratorTest, LevelsAboveTheModelLimitEndTheProgram) {
  struct Case {
    int16_t model;
    float ok;
    float tooHigh;
    std::string text;
  };
  for (const Case& c : {Case{3000, 3.5f, 4.0f, " 5E+07, 4"}, Case{5030, 5.5f, 5.6f, " 5E+07, 5.6"},
                        Case{6060, 2.8f, 2.9f, " 5E+07, 2.9"}}) {
    SCOPED_TRACE(c.model);
    Generator(c.model, "G");
    sg_.reset();
    sg().SetSG(SignalSetting::Both(50, c.ok).Direct());
    ClearTraffic();
    op.Expect(c.text + "\n\nCorrect problem and restart.", 16, "SetSG Parameter mismatch", kOk);
    EXPECT_THROW(sg().SetSG(SignalSetting::Both(50, c.tooHigh).Direct()), ProgramEnded);
    EXPECT_TRUE(Traffic().empty());
  }
}

TEST_F(SignalGeneratorTest, FrequencyBeyondTheTableEndsTheProgram) {
  Generator(3000, "R&S SME03");
  autoMode = Automation::Full;
  sg().compTable[0][0] = 2.4f;
  sg().compTable[0][21] = 2.4f;
  sg().SetSG(SignalSetting::Both(1020, 2.4f));  // entry 21, the last one
  ClearTraffic();
  op.Expect(" 1.05E+09, 2.4\n\nCorrect problem and restart.", 16, "SetSG Parameter mismatch", kOk);
  EXPECT_THROW(sg().SetSG(SignalSetting::Both(1050, 2.4f)), ProgramEnded);
  EXPECT_TRUE(Traffic().empty());
}

TEST_F(SignalGeneratorTest, SG5030AboveItsLastEntryHoldsTheLastPair) {
  Generator(5030, "SG 5030");
  autoMode = Automation::Full;
  sg().compTable[0][0] = 3.0f;
  sg().compTable[0][11] = 3.2f;  // 500 MHz, the file's last pair
  sg().compTable[1][11] = 5.3f;
  sg().SetSG(SignalSetting::Both(550, 3));
  EXPECT_EQ(Traffic().back(), "10:AMPL 3.2;FRE 5.5E+08;OUT ON");
  sg().SetSG(SignalSetting::Both(600, 5));
  EXPECT_EQ(Traffic().back(), "10:AMPL 5.3;FRE 6E+08;OUT ON");
}

TEST_F(SignalGeneratorTest, EmptyTableInAutoNeverSendsAnUnusableLevel) {
  Generator(3000, "R&S SME03");
  autoMode = Automation::Full;
  op.Expect(" 5E+07, .05\n\nCorrect problem and restart.", 16, "SetSG Parameter mismatch", kOk);
  EXPECT_THROW(sg().SetSG(SignalSetting::Both(50, 0.05f)), ProgramEnded);
  EXPECT_TRUE(Traffic().empty());
}

TEST_F(SignalGeneratorTest, WithoutGeneratorTheTechnicianIsAsked) {
  op.Expect("Frequency:  50.0 MHz\nAmplitude:   600.0 mV pp (212.1 mV rms)", 48, "Set the Signal Generator", kOk);
  sg().SetSG(SignalSetting::Both(50, 0.6f).OkOnly());
  op.Expect("Frequency:  50.0 MHz\nAmplitude:   600.0 mV pp (212.1 mV rms)", 49, "Set the Signal Generator", kOk);
  EXPECT_EQ(sg().SetSG(SignalSetting::Both(50, 0.6f)), Setting::Made);
  op.Expect("Dont Change the Frequency.\nAmplitude:   1.200  V pp (424.3 mV rms)", 49, "Set the Signal Generator", kCancel);
  EXPECT_EQ(sg().SetSG(SignalSetting::Amplitude(1.2f)), Setting::Cancelled);
  op.Expect("Frequency:  1.0 MHz\nDon't Change the Amplitude.", 49, "Set the Signal Generator", kOk);
  sg().SetSG(SignalSetting::Frequency(1));
  EXPECT_TRUE(Traffic().empty());
}

TEST_F(SignalGeneratorTest, ResetWithoutGeneratorAsksForFiftyKilohertzWithOkOnly) {
  op.Expect("Frequency:  50.0 kHz\nAmplitude:   10.00 mV pp (3.536 mV rms)", 48, "Set the Signal Generator", kOk);
  sg().SGReset();
  EXPECT_TRUE(Traffic().empty());
}

TEST_F(SignalGeneratorTest, OnScopePromptOnlyWithoutGenerator) {
  op.Expect("Frequency:  50.0 MHz\nAmplitude:   600.0 mV pp as seen on the scope.", 49, "Set the Signal Generator", kCancel);
  EXPECT_EQ(sg().SetSGOnScope(SignalSetting::Both(50, 0.6f).Direct()), Setting::Cancelled);
  op.Expect("Don't change the Frequency.\nAmplitude:   1.200  V pp as seen on the scope.", 49, "Set the Signal Generator", kOk);
  sg().SetSGOnScope(SignalSetting::Amplitude(1.2f));

  Generator(5030, "SG 5030");
  sg().SetSGOnScope(SignalSetting::Both(50, 0.6f).Direct());
  EXPECT_EQ(Traffic().back(), "10:AMPL .6;FRE 5E+07;OUT ON");
}

TEST_F(SignalGeneratorTest, ResetTextsPerModel) {
  Generator(3000, "R&S SME03");
  sg().state.lastAttenuation = 4;
  sg().state.lastAmplitude = 1;
  sg().SGReset();
  EXPECT_EQ(Traffic(), (std::vector<std::string>{"10:OUTP OFF", "10:*RST", "10:UNIT:POW V", "10:POW 10 mV;FREQ 1E6", "11:INIT"}));
  EXPECT_EQ(sg().state.lastAttenuation, 0);
  EXPECT_EQ(sg().state.lastAmplitude, 0);

  roles.SGModel = 6062;
  ClearTraffic();
  sg().SGReset();
  EXPECT_EQ(Traffic(), (std::vector<std::string>{"10:RO0", "10:CL", "10:AP10MV;FR1MZ;RO0", "11:INIT"}));
}

TEST_F(SignalGeneratorTest, AttenuatorAndModuleCommands) {
  int16_t att = Device(kAtt);
  sg().SetAttenuator(att, 500);
  sg().SetAttenuator(att, 2.5f);
  sg().SetAttenuator(0, 4);
  sg().InitModule(att);
  sg().InitModule(0);
  EXPECT_EQ(Traffic(), (std::vector<std::string>{"11:ATT   500", "11:ATT  2.50", "11:INIT"}));
  EXPECT_EQ(LocalCalls(), (std::vector<int>{kAtt}));
}

}  // namespace
}  // namespace veridane::testing
