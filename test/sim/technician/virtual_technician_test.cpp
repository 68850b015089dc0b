// The technician on a real simulated bench: each prompt form leaves the bench as a person
// would leave it, and the answers are those a person who started the run would give.
#include <gtest/gtest.h>

#include <memory>

#include "platform/event_loop.h"
#include "sim/bench/bench.h"
#include "sim/technician/virtual_technician.h"

namespace veridane::sim {
namespace {

class TechnicianTest : public ::testing::Test {
 protected:
  void Open(const char* bench, TechnicianOptions options = {}) {
    bench_ = Bench::Shipped(bench, clock_);
    technician_ = std::make_unique<VirtualTechnician>(*bench_, options);
  }
  int16_t Show(std::string_view text, int16_t style, std::string_view caption) {
    return technician_->ShowMessBox(text, style, caption);
  }
  Bench& B() { return *bench_; }

  VirtualClock clock_;
  std::unique_ptr<Bench> bench_;
  std::unique_ptr<VirtualTechnician> technician_;
};

TEST_F(TechnicianTest, CalibratorSettingReachesChannelOne) {
  Open("scope-only");
  EXPECT_EQ(Show("Connect the Calibrator to CH 1.", 65, "DC Voltage Measurement"), kOk);
  EXPECT_EQ(Show("-990 mV, DC", 49, "Set the Calibrator"), kOk);
  Signal ch1 = B().SignalAt(ScopeInput::Ch1);
  EXPECT_EQ(ch1.kind, Signal::Kind::Dc);
  EXPECT_NEAR(ch1.dcVolts, -0.99, 1e-12);
  EXPECT_EQ(Show("98  V, DC", 49, "Set the Calibrator"), kOk);
  EXPECT_NEAR(B().SignalAt(ScopeInput::Ch1).dcVolts, 98, 1e-12);
  // The reset prompt (OK only) for 0 V.
  EXPECT_EQ(Show("0  V, DC", 48, "Set the Calibrator"), kOk);
  EXPECT_NEAR(B().SignalAt(ScopeInput::Ch1).dcVolts, 0, 1e-12);
}

TEST_F(TechnicianTest, MovingTheSignalLeavesTheOldInputOpen) {
  Open("scope-only");
  Show("Connect the Calibrator to CH 1.", 65, "DC Voltage Measurement");
  Show("60.0 mV, DC", 49, "Set the Calibrator");
  EXPECT_EQ(Show("Move the signal to CH 2.", 65, "DC Voltage Measurement"), kOk);
  EXPECT_EQ(B().SignalAt(ScopeInput::Ch1).kind, Signal::Kind::None);
  EXPECT_EQ(B().SignalAt(ScopeInput::Ch2).kind, Signal::Kind::Dc);
  EXPECT_NEAR(B().SignalAt(ScopeInput::Ch2).dcVolts, 0.06, 1e-12);

  EXPECT_EQ(Show("Test Passed.              \n\nDisconnect all input signals.", 64, "DC Voltage Measurement / End of Test"),
            kOk);
  for (ScopeInput input : {ScopeInput::Ch1, ScopeInput::Ch2, ScopeInput::ExtTrig}) {
    EXPECT_EQ(B().SignalAt(input).kind, Signal::Kind::None);
    EXPECT_FALSE(B().Wires().CableAt(input));
  }
}

TEST_F(TechnicianTest, DisconnectAllLeavesEveryInputOpen) {
  Open("scope-only");
  Show("Connect the Signal Generator to CH 1 trough a 50 ohm termination.", 65, "Analog Bandwidth");
  Show("Frequency:  50.0 kHz\nAmplitude:   600.0 mV pp (212.1 mV rms)", 49, "Set the Signal Generator");
  Show("Connect the Calibrator to CH 2.", 65, "DC Voltage Measurement");
  Show("8.4  V, DC", 49, "Set the Calibrator");
  ASSERT_EQ(B().SignalAt(ScopeInput::Ch1).kind, Signal::Kind::Sine);
  ASSERT_EQ(B().SignalAt(ScopeInput::Ch2).kind, Signal::Kind::Dc);
  EXPECT_EQ(Show("Disconnect all input signals.", 65, "Offset at Zero"), kOk);
  for (ScopeInput input : {ScopeInput::Ch1, ScopeInput::Ch2, ScopeInput::ExtTrig}) {
    EXPECT_EQ(B().SignalAt(input).kind, Signal::Kind::None);
  }
}

TEST_F(TechnicianTest, SetSGPromptsSetTheHandGenerator) {
  Open("scope-only");
  Show("Connect the Signal Generator to CH 1 trough a 50 ohm termination.", 65, "Analog Bandwidth");
  EXPECT_TRUE(B().Wires().Terminated(ScopeInput::Ch1));
  EXPECT_EQ(Show("Frequency:  50.0 kHz\nAmplitude:   12.00 mV pp (4.243 mV rms)", 49, "Set the Signal Generator"), kOk);
  EXPECT_DOUBLE_EQ(B().HandGenerator().FrequencyHz(), 50e3);
  EXPECT_DOUBLE_EQ(B().HandGenerator().Vpp(), 0.012);
  EXPECT_TRUE(B().HandGenerator().OutputOn());
  // Terminated: the scope sees the generator's rated level.
  EXPECT_NEAR(B().SignalAt(ScopeInput::Ch1).vpp, 0.012, 1e-12);

  Show("Frequency:  100.0 MHz\nDon't Change the Amplitude.", 49, "Set the Signal Generator");
  EXPECT_DOUBLE_EQ(B().HandGenerator().FrequencyHz(), 100e6);
  EXPECT_DOUBLE_EQ(B().HandGenerator().Vpp(), 0.012);
  Show("Dont Change the Frequency.\nAmplitude:   5.000  V pp (1.768  V rms)", 49, "Set the Signal Generator");
  EXPECT_DOUBLE_EQ(B().HandGenerator().FrequencyHz(), 100e6);
  EXPECT_DOUBLE_EQ(B().HandGenerator().Vpp(), 5);
}

TEST_F(TechnicianTest, BandwidthAndTriggerCablingMovesTheTermination) {
  Open("scope-only");
  Show("Connect the Signal Generator through a 50 ohm termination to CH 1.", 65, "Edge Trigger Sensitivity");
  Show("Move the signal (including the 50 ohm termination) to CH 2.", 65, "Edge Trigger Sensitivity");
  EXPECT_FALSE(B().Wires().Terminated(ScopeInput::Ch1));
  EXPECT_TRUE(B().Wires().Terminated(ScopeInput::Ch2));
  EXPECT_EQ(B().Wires().CableAt(ScopeInput::Ch2)->source, "SG");
  Show("Move the signal (including the 50 ohm termination) to EXT TRIG.", 65, "Edge Trigger Sensitivity");
  EXPECT_FALSE(B().Wires().Terminated(ScopeInput::Ch2));
  EXPECT_TRUE(B().Wires().Terminated(ScopeInput::ExtTrig));
  EXPECT_FALSE(B().Wires().CableAt(ScopeInput::Ch2));
  EXPECT_EQ(B().Wires().CableAt(ScopeInput::ExtTrig)->source, "SG");
}

TEST_F(TechnicianTest, TimeMarksAreConnectedSetAndRetuned) {
  Open("scope-only");
  Show("Connect the a Time Mark Generator to CH 1 through a 50 ohm termination.\r\nSet it to 10 ms.", 65,
       "Long Term Sample Rate & Delay Time");
  EXPECT_DOUBLE_EQ(B().HandTimeMarks().Period(), 0.01);
  EXPECT_EQ(B().SignalAt(ScopeInput::Ch1).kind, Signal::Kind::TimeMarks);
  EXPECT_TRUE(B().Wires().Terminated(ScopeInput::Ch1));
  // The program's hand loop names "the signal": here that is the time marks, not the generator.
  double generatorBefore = B().HandGenerator().FrequencyHz();
  EXPECT_EQ(Show("The frequency is out of limit!\nIncrease the signal frequency to 200 Hz.\n\nTry again ?", 19,
                 "Frequency Error"),
            kYes);
  EXPECT_DOUBLE_EQ(B().HandGenerator().FrequencyHz(), generatorBefore);
  EXPECT_GT(B().HandTimeMarks().Period(), 0);
  EXPECT_NE(B().HandTimeMarks().Period(), 0.01);
}

TEST_F(TechnicianTest, AutoBenchSetupAndTerminationPrompts) {
  Open("default");
  ASSERT_TRUE(B().Wires().Terminated(ScopeInput::Ch1));  // the bench file fits them all
  EXPECT_EQ(Show("Connect the System Channel cables (1 & 2) to CH 1 and CH 2.\n"
                 "Connect the System EXT TRIG (cable #2) to EXT TRIG.\nDon't use any terminations.",
                 64, "Setup"),
            kOk);
  for (ScopeInput input : {ScopeInput::Ch1, ScopeInput::Ch2, ScopeInput::ExtTrig}) {
    EXPECT_FALSE(B().Wires().Terminated(input));
    EXPECT_FALSE(B().Wires().CableAt(input));
  }
  Show("Insert a 50 ohm termination in the path to all scope inputs (including EXT TRIG).", 65, "Analog Bandwidth");
  for (ScopeInput input : {ScopeInput::Ch1, ScopeInput::Ch2, ScopeInput::ExtTrig}) {
    EXPECT_TRUE(B().Wires().Terminated(input));
  }
  Show("If present remove any a 50 ohm termination(s) at the inputs.", 65, "DC Voltage Measurement");
  EXPECT_FALSE(B().Wires().Terminated(ScopeInput::ExtTrig));
  Show("Insert a 50 ohm termination in the path to CH1 input.", 65, "Long Term Sample Rate & Delay Time");
  EXPECT_TRUE(B().Wires().Terminated(ScopeInput::Ch1));
  EXPECT_FALSE(B().Wires().Terminated(ScopeInput::Ch2));
}

TEST_F(TechnicianTest, QuestionsOfTheRunGetSensibleAnswers) {
  TechnicianOptions options;
  options.autoModeAnswer = kNo;
  options.createLogAnswer = kYes;
  Open("default", options);
  EXPECT_EQ(Show("Do you wish to continue in Auto mode ?\nSG 5030 will be used for SG.\n\nCancel terminates this application.",
                 35, "Auto mode possible"),
            kNo);
  EXPECT_EQ(Show("You have selected to do a Full Sequence PV of the TDS 340.\nAre you sure you want to continue ?", 36,
                 "Adjust"),
            kYes);
  EXPECT_EQ(Show("Logging has not been selected.\nDo you want to create a Log File ?", 36, "Log File"), kYes);
  EXPECT_EQ(Show("Do you wish to perform a Self Cal ?\nThis will take approximately 4 minutes.", 36, "SPC"), kYes);
  EXPECT_EQ(Show("Remove all input signals.", 1, "SPC"), kOk);
  EXPECT_EQ(Show("Self Calibration has been succesfully performed.", 64, "SPC"), kOk);
  EXPECT_EQ(Show("The Log File SN123 already exists.\nDo you want to overwrite it ?", 20, "File Error"), kNo);
  EXPECT_EQ(Show("Full Sequence Passed.", 64, "End of Full Sequence"), kOk);
  EXPECT_EQ(Show("Are you sure ?", 36, "Disable Auto Mode"), kYes);
  EXPECT_EQ(technician_->ErrorCount(), 0);
  EXPECT_EQ(technician_->UnknownCount(), 0);
}

TEST_F(TechnicianTest, ErrorReportsAreReadAndCounted) {
  Open("scope-only");
  EXPECT_EQ(Show("Timeout error\nSelect OK to continue or Cancel to terminate program.", 49, "GPIB ERROR # 6"), kOk);
  EXPECT_EQ(Show(" 5E+07, 4\n\nCorrect problem and restart.", 16, "SetSG Parameter mismatch"), kOk);
  EXPECT_EQ(technician_->ErrorCount(), 2);
  EXPECT_THROW(technician_->EndProgram(), ProgramEnded);
  EXPECT_EQ(technician_->Transcript().back().kind, TranscriptEntry::Kind::EndProgram);
}

TEST_F(TechnicianTest, EveryInformationBoxOfStartUpIsAcknowledged) {
  Open("scope-only");
  // A read-only data folder: the run goes on without logs, and the warning counts as trouble.
  EXPECT_EQ(Show("The data folder\n/ro/Veridane\ncannot be created. Log files cannot be written in this run.", 48,
                 "Data Folder"),
            kOk);
  EXPECT_EQ(technician_->ErrorCount(), 1);
  EXPECT_EQ(Show("This bench is simulated.", 48, "Bench"), kOk);
  EXPECT_EQ(technician_->UnknownCount(), 0);
}

TEST_F(TechnicianTest, UnknownPromptThrowsAndIsRecorded) {
  Open("scope-only");
  try {
    Show("Please calibrate the flux capacitor.", 65, "Offset at Zero");
    FAIL() << "an unknown prompt passed";
  } catch (const UnknownPrompt& unknown) {
    EXPECT_EQ(unknown.Caption(), "Offset at Zero");
    EXPECT_EQ(unknown.Text(), "Please calibrate the flux capacitor.");
    // What a script's log shows: the prompt, its text, and that it was not known.
    EXPECT_EQ(std::string(unknown.what()),
              "The virtual technician could not follow the prompt \"Offset at Zero\" "
              "(\"Please calibrate the flux capacitor.\"): it does not know this prompt");
  }
  ASSERT_EQ(technician_->Transcript().size(), 1u);
  EXPECT_FALSE(technician_->Transcript()[0].understood);
  // A misspelt setting is not taken for a setting.
  EXPECT_THROW(Show("-990 mV DC", 49, "Set the Calibrator"), UnknownPrompt);
  // Understood but impossible: nothing is plugged in to move.
  try {
    Show("Move the signal to CH 2.", 65, "DC Voltage Measurement");
    FAIL() << "moving nothing passed";
  } catch (const UnknownPrompt& unknown) {
    EXPECT_FALSE(unknown.Reason().empty());
  }
  EXPECT_EQ(technician_->UnknownCount(), 3);
}

TEST_F(TechnicianTest, RefusalPolicyAnswersWithTheBoxsRefusal) {
  TechnicianOptions options;
  options.unknownPrompts = UnknownPromptPolicy::kAnswerRefusal;
  Open("scope-only", options);
  EXPECT_EQ(Show("Something new.", 64, "Offset at Zero"), kOk);  // OK only: nothing else to press
  EXPECT_EQ(Show("Something new.", 65, "Offset at Zero"), kCancel);
  EXPECT_EQ(Show("Something new.", 2 + 48, "Offset at Zero"), kAbort);
  EXPECT_EQ(Show("Something new ?", 36, "Question"), kNo);
  EXPECT_EQ(Show("Something new ?", 35, "Question"), kCancel);
  EXPECT_EQ(technician_->UnknownCount(), 5);
}

TEST_F(TechnicianTest, ACorrectionQuestionIsNotAnsweredForever) {
  TechnicianOptions options;
  options.maxRepeats = 3;
  Open("scope-only", options);
  const char* text = "Unable set the SG 5030 amplitude to within 5.00%.\n\nDo you wish to try again ?";
  EXPECT_EQ(Show(text, 20, "Amplitude Error"), kYes);
  EXPECT_EQ(Show(text, 20, "Amplitude Error"), kYes);
  EXPECT_EQ(Show(text, 20, "Amplitude Error"), kYes);
  EXPECT_EQ(Show(text, 20, "Amplitude Error"), kNo);
  // Another prompt in between starts the count again.
  Show("Full Sequence Passed.", 64, "End of Full Sequence");
  EXPECT_EQ(Show(text, 20, "Amplitude Error"), kYes);
}

TEST_F(TechnicianTest, HandLoopGivesUpByAcceptingTheSignal) {
  TechnicianOptions options;
  options.maxRepeats = 2;
  Open("scope-only", options);
  Show("Connect the Signal Generator to CH 1 trough a 50 ohm termination.", 65, "Analog Bandwidth");
  Show("Frequency:  50.0 kHz\nAmplitude:   600.0 mV pp (212.1 mV rms)", 49, "Set the Signal Generator");
  const char* tryAgain = "The frequency is out of limit!\nIncrease the signal frequency to 100.0 kHz.\n\nTry again ?";
  EXPECT_EQ(Show(tryAgain, 19, "Frequency Error"), kYes);
  EXPECT_EQ(Show(tryAgain, 19, "Frequency Error"), kYes);
  EXPECT_EQ(Show(tryAgain, 19, "Frequency Error"), kNo);
  // Without "Try again ?" only Cancel stops the loop.
  const char* okCancel = "The frequency is out of limit!\nIncrease the Signal Generator output frequency to 100.0 kHz.";
  EXPECT_EQ(Show(okCancel, 17, "Frequency Error"), kOk);
  EXPECT_EQ(Show(okCancel, 17, "Frequency Error"), kOk);
  EXPECT_EQ(Show(okCancel, 17, "Frequency Error"), kCancel);
}

// A scope gone from the bus: every reading fails with an error box between the questions of
// the levelling loop, and the two questions take turns. Neither resets the count of the other.
TEST_F(TechnicianTest, ErrorsAndTurnsBetweenCorrectionQuestionsDoNotHideTheLoop) {
  TechnicianOptions options;
  options.maxRepeats = 3;
  Open("scope-only", options);
  Show("Connect the Signal Generator to CH 1 trough a 50 ohm termination.", 65, "Analog Bandwidth");
  const char* large =
      "The amplitude error is greater than 35% !\nThe cause is probably a bad or not connected 50 ohm terminator or "
      "an incorrect setup. \n\nDo you wish to continue ?";
  const char* knob = "The amplitude is out of limit!\nIncrease the signal amplitude to 600.0 mV P-P.\n\nTry again ?";
  std::vector<int16_t> largeAnswers, knobAnswers;
  for (int turn = 0; turn < 5; ++turn) {
    EXPECT_EQ(Show("Unable to write to device (ibwrt): timeout", 49, "GPIB ERROR # 6"), kOk);
    largeAnswers.push_back(Show(large, 20, "Large Amplitude Error"));
    knobAnswers.push_back(Show(knob, 19, "Amplitude Error"));
  }
  EXPECT_EQ(largeAnswers, (std::vector<int16_t>{kYes, kYes, kYes, kNo, kNo}));
  EXPECT_EQ(knobAnswers, (std::vector<int16_t>{kYes, kYes, kYes, kNo, kNo}));
}

TEST_F(TechnicianTest, ALoopNoAnswerEndsMakesTheTechnicianLeaveSayingWhere) {
  TechnicianOptions options;
  options.maxSamePrompt = 10;
  options.maxPromptsPerStep = 25;
  options.maxTranscript = 8;
  Open("scope-only", options);
  for (int i = 0; i < 10; ++i) Show("Unable to read from device", 49, "GPIB ERROR # 6");
  try {
    Show("Unable to read from device", 49, "GPIB ERROR # 6");
    FAIL() << "the eleventh same error box was answered";
  } catch (const TechnicianGaveUp& gaveUp) {
    EXPECT_NE(std::string(gaveUp.what()).find("\"GPIB ERROR # 6\" (\"Unable to read from device\"): it came 11 times"),
              std::string::npos)
        << gaveUp.what();
  }
  // Different boxes, but still no step ends: the count of all prompts of the step stops it.
  Show("Full Sequence Passed.", 64, "End of Full Sequence");
  EXPECT_THROW(
      for (int i = 0; i < 30; ++i) Show("Unable to read from device " + std::to_string(i), 49, "GPIB ERROR # 6"),
      TechnicianGaveUp);
  // The transcript keeps its newest entries only and says how many went.
  EXPECT_LE(technician_->Transcript().size(), 8u);
  EXPECT_EQ(technician_->TranscriptText().rfind("(", 0), 0u);
  EXPECT_NE(technician_->TranscriptText().find(" earlier entries left out)\n"), std::string::npos);
}

TEST_F(TechnicianTest, EveryAnswerIsShownToTheWitnessAndTheDatabaseBoxIsAcknowledged) {
  TechnicianOptions options;
  std::vector<std::pair<std::string, int16_t>> seen;
  options.witness = [&seen](std::string_view, int16_t, std::string_view caption, BoxAnswer answer) {
    seen.emplace_back(std::string(caption), answer);
  };
  Open("scope-only", options);
  EXPECT_EQ(Show("The results database /nowhere/results.sqlite cannot be used:\nno folder\n\nThe tests and the log go "
                 "on; results are not stored in the database until the program is started again.",
                 48, "Results Database"),
            kOk);
  EXPECT_EQ(technician_->ErrorCount(), 1);
  EXPECT_EQ(Show("Are you sure ?", 36, "Disable Auto Mode"), kYes);
  const std::vector<std::pair<std::string, int16_t>> expected = {{"Results Database", kOk},
                                                                 {"Disable Auto Mode", kYes}};
  EXPECT_EQ(seen, expected);
}

TEST_F(TechnicianTest, KnobErrorIsHumanSizedAndRepeatable) {
  TechnicianOptions options;
  options.knobError = 0.02;
  options.seed = 7;
  std::vector<double> first;
  for (int run = 0; run < 2; ++run) {
    Open("scope-only", options);
    std::vector<double> levels;
    bool anyOff = false;
    for (int i = 0; i < 20; ++i) {
      Show("Dont Change the Frequency.\nAmplitude:   600.0 mV pp (212.1 mV rms)", 49, "Set the Signal Generator");
      double vpp = B().HandGenerator().Vpp();
      EXPECT_NEAR(vpp, 0.6, 0.6 * 0.02 + 1e-12);
      anyOff = anyOff || std::abs(vpp - 0.6) > 1e-6;
      levels.push_back(vpp);
    }
    EXPECT_TRUE(anyOff) << "a 2 % knob error never showed";
    if (run == 0) {
      first = levels;
    } else {
      EXPECT_EQ(levels, first) << "the same seed must give the same run";
    }
  }
  // The calibrator is keyed in: no knob error there.
  Show("Connect the Calibrator to CH 1.", 65, "DC Voltage Measurement");
  Show("-990 mV, DC", 49, "Set the Calibrator");
  EXPECT_DOUBLE_EQ(B().HandCalibrator().Volts(), -0.99);
}

TEST_F(TechnicianTest, TranscriptKeepsPromptsAnswersActionsAndInfo) {
  Open("scope-only");
  Show("Connect the Calibrator to CH 1.", 65, "DC Voltage Measurement");
  technician_->ShowInfo("Please Wait ...");
  const std::vector<TranscriptEntry>& t = technician_->Transcript();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].caption, "DC Voltage Measurement");
  EXPECT_EQ(t[0].style, 65);
  EXPECT_EQ(t[0].answer, kOk);
  EXPECT_NE(t[0].action.find("CALIB"), std::string::npos);
  EXPECT_EQ(t[1].kind, TranscriptEntry::Kind::Info);
  EXPECT_EQ(t[1].text, "Please Wait ...");
  std::string text = technician_->TranscriptText();
  EXPECT_NE(text.find("[DC Voltage Measurement] Connect the Calibrator to CH 1. -> OK"), std::string::npos);
  EXPECT_NE(text.find("info: Please Wait ..."), std::string::npos);
}

// The person at the GUI: sees each prompt after the technician's physical part, and answers.
class Person : public Operator {
 public:
  explicit Person(Bench& bench) : bench_(bench) {}
  BoxAnswer ShowMessBox(std::string_view text, int16_t, std::string_view) override {
    seen.emplace_back(text);
    std::optional<Cable> cable = bench_.Wires().CableAt(ScopeInput::Ch1);
    ch1WhenAsked.push_back(cable ? cable->source : "");
    return answer;
  }
  void ShowInfo(std::string_view text) override { info.emplace_back(text); }
  [[noreturn]] void EndProgram() override { throw ProgramEnded(); }

  BoxAnswer answer = kCancel;
  std::vector<std::string> seen;
  std::vector<std::string> ch1WhenAsked;
  std::vector<std::string> info;

 private:
  Bench& bench_;
};

TEST_F(TechnicianTest, AssistantActsFirstThenThePersonAnswers) {
  bench_ = Bench::Shipped("scope-only", clock_);
  Person person(*bench_);
  TechnicianOptions options;
  options.unknownPrompts = UnknownPromptPolicy::kAnswerRefusal;
  VirtualTechnician assistant(*bench_, person, options);
  EXPECT_EQ(assistant.ShowMessBox("Connect the Calibrator to CH 1.", 65, "DC Voltage Measurement"), kCancel);
  ASSERT_EQ(person.ch1WhenAsked.size(), 1u);
  EXPECT_EQ(person.ch1WhenAsked[0], "CALIB");  // plugged in before the person was asked
  person.answer = kOk;
  // An unknown prompt still reaches the person, whose answer counts.
  EXPECT_EQ(assistant.ShowMessBox("Something new.", 65, "Offset at Zero"), kOk);
  EXPECT_EQ(person.seen.size(), 2u);
  assistant.ShowInfo("+Self Cal in progress.");
  EXPECT_EQ(person.info, std::vector<std::string>{"+Self Cal in progress."});
  EXPECT_EQ(assistant.UnknownCount(), 1);
  EXPECT_THROW(assistant.EndProgram(), ProgramEnded);
}

}  // namespace
}  // namespace veridane::sim
