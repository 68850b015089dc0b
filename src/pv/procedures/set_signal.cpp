#include "pv/procedures/set_signal.h"

#include <cmath>
#include <string>

#include "platform/numbers.h"
#include "report/format.h"

namespace veridane {

namespace {

// The scope answers 9.9E37 for a reading it could not make; anything this large is no reading.
constexpr double kNoReading = 1E15;

// A pass number past the "Unable set" question: the next pass measures before correcting.
constexpr int kPassAfterLargeError = 7;
constexpr int kQuestionPass = 6;

class SignalLoop {
 public:
  SignalLoop(PvContext& pv, int16_t handle, float frequency, bool quiet, bool hand)
      : pv_(pv), handle_(handle), F_(frequency), quiet_(quiet), hand_(hand), generator_(pv.roles.SGDevice != 0) {}

  void SaveSettings();
  void FirstReadings();
  void RegulateFrequency(float FT);
  void RegulateAmplitude(float A, float AT);
  void Restore();

 private:
  void Write(std::string_view command) { pv_.bus.GpibWrite(handle_, command); }
  std::string Query(std::string_view query) { return pv_.bus.GpibQuery(handle_, query); }
  void Settle();
  float ReadFrequency();
  float ReadAmplitude();
  void Abort() { pv_.state.AbortFlag = true; }
  void EndLiveReading();
  std::string Subject() const { return hand_ ? std::string("signal") : pv_.roles.SGName + " output"; }
  int16_t AdjustStyle() const { return hand_ ? kYesNoCancel + kCritical : kOkCancel + kCritical; }
  std::string TryAgain() const { return hand_ ? "\n\nTry again ?" : ""; }
  int16_t UnableQuestion(std::string_view quantity, float tolerance);

  PvContext& pv_;
  const int16_t handle_;
  const float F_;  // MHz, sign removed; also chooses the settling
  const bool quiet_;
  const bool hand_;
  const bool generator_;

  std::string source_;
  std::string savedMeas1_, savedMeas2_, savedImmediate_, savedMethod_, savedAcquire_;
  float frequency_ = 0;  // MHz
  float amplitude_ = 0;  // V p-p
  bool live_ = false;    // a live reading was put on the scope display for the technician
};

float ErrorPercent(float measured, float wanted) { return std::fabs(measured / wanted - 1) * 100; }

void SignalLoop::SaveSettings() {
  const std::string selected = Query("SEL?");
  source_ = selected.size() > 3 ? selected.substr(selected.size() - 3) : selected;
  // With headers on the replies read as commands, so that they can simply be sent back.
  Write("HEAD ON");
  savedMeas1_ = WithoutUnits(Query("MEASU:MEAS1?"));
  savedMeas2_ = WithoutUnits(Query("MEASU:MEAS2?"));
  savedImmediate_ = WithoutUnits(Query("MEASU:IMM?"));
  savedMethod_ = Query("MEASU:METH?");
  savedAcquire_ = Query("ACQ?");
  Write("HEAD OFF");
}

void SignalLoop::Settle() {
  if (F_ >= 0.0001f) Write("TRIG:MAI SETL");
  if (F_ <= 50) {
    Write("ACQ:MODE AVE;NUMAV 16");
    pv_.bus.Wait(2);
  }
  if (F_ > 0 && F_ < 0.0001f) pv_.bus.Wait(2);
  if (F_ > 50) pv_.bus.Wait(6);
}

float SignalLoop::ReadFrequency() {
  double mhz = NumericValue(Query("MEASU:IMM:VAL?")) / 1000000.0;
  return std::isfinite(mhz) && mhz <= kNoReading ? static_cast<float>(mhz) : 0.0f;
}

// An amplitude the scope could not measure is no signal, like an empty reply: never a divisor.
float SignalLoop::ReadAmplitude() {
  double volts = NumericValue(Query("MEASU:IMM:VAL?"));
  return std::isfinite(volts) && std::fabs(volts) <= kNoReading ? static_cast<float>(volts) : 0.0f;
}

void SignalLoop::FirstReadings() {
  Write("MEASU:IMM:TYP FREQ;SOU " + source_);
  Write("MEASU:METH MINM");
  Settle();
  frequency_ = ReadFrequency();
  Write("MEASU:IMM:TYP PK2");
  amplitude_ = ReadAmplitude();
  Write("ACQ:MODE SAM");
}

void SignalLoop::EndLiveReading() {
  if (!live_) return;
  Write(savedMeas1_);
  Write(savedMeas2_);
  live_ = false;
}

int16_t SignalLoop::UnableQuestion(std::string_view quantity, float tolerance) {
  return pv_.op.ShowMessBox("Unable set the " + pv_.roles.SGName + " " + std::string(quantity) + " to within" +
                                FormatDigits(tolerance, 103) + "%.\n\nDo you wish to try again ?",
                            kYesNo + kCritical, std::string(quantity == "frequency" ? "Frequency" : "Amplitude") + " Error");
}

void SignalLoop::RegulateFrequency(float FT) {
  Write("MEASU:IMM:TYP FREQ");
  float setting = F_;
  int pass = 0;
  // Exit Test pressed during a settling wait also ends the loop.
  while (!pv_.state.AbortFlag) {
    ++pass;
    if (pass >= 2) {
      Settle();
      frequency_ = ReadFrequency();
      Write("ACQ:MODE SAM");
      pv_.bus.Wait(1);
    }
    const float error = ErrorPercent(frequency_, F_);
    if (error <= FT) break;

    if (error > 25 && !hand_) {
      int16_t answer = pv_.op.ShowMessBox(
          "The frequency error is greater than 25% !\nThe cause is probably an incorrect setup. \n\nDo you wish to continue ?",
          kYesNo + kCritical, "Large Frequency Error");
      if (answer == kNo) {
        Abort();
        break;
      }
      if (generator_) pass = kPassAfterLargeError;
    }

    if (hand_ || !generator_) {
      std::string text = "The frequency is out of limit!\n" + std::string(F_ > frequency_ ? "In" : "De") + "crease the " +
                         Subject() + " frequency to " + FormatValue(F_ * 1000000.0f, ";Hz", 103) + "." + TryAgain();
      if (!live_) {
        Write("MEASU:MEAS1:TYPE FREQ;SOU " + source_ + ";STATE ON");
        Write("MEASU:MEAS2:STATE OFF");
        Write("ACQ:MODE AVE;NUMAV 2");
        live_ = true;
      }
      int16_t answer = pv_.op.ShowMessBox(text, AdjustStyle(), "Frequency Error");
      if (answer == kCancel) {
        Abort();
        break;
      }
      if (answer == kNo) break;  // the technician takes the signal as it is
      pass = 1;
      continue;
    }

    if (pass == kQuestionPass) {
      if (UnableQuestion("frequency", FT) == kNo) {
        Abort();
        break;
      }
      pass = 1;  // and correct at once: five more corrections before the next question
    } else if (pass > kQuestionPass) {
      pass = 1;  // measure again before correcting
      continue;
    }
    if (frequency_ > 0) {
      setting = F_ * setting / frequency_;
      pv_.generator.SetSG(setting, 0);
    }
  }
  EndLiveReading();
}

void SignalLoop::RegulateAmplitude(float A, float AT) {
  Write("MEASU:IMM:TYP PK2PK");
  float setting = A;
  int pass = 0;
  while (!pv_.state.AbortFlag) {
    ++pass;
    if (pass >= 2) {
      Settle();
      amplitude_ = ReadAmplitude();
      Write("ACQ:MODE SAM");
      pv_.bus.Wait(1);
    }
    const float error = ErrorPercent(amplitude_, A);
    if (error <= AT) break;

    // No signal at all (or a reading below it) always asks, whoever is adjusting: no
    // correction may divide by it.
    const bool noSignal = !(amplitude_ > 0);
    if (noSignal || (error > 35 && !hand_ && !quiet_)) {
      int16_t answer = pv_.op.ShowMessBox(
          "The amplitude error is greater than 35% !\nThe cause is probably a bad or not connected 50 ohm terminator "
          "or an incorrect setup. \n\nDo you wish to continue ?",
          kYesNo + kCritical, "Large Amplitude Error");
      if (answer == kNo) {
        Abort();
        break;
      }
      if (generator_) pass = kPassAfterLargeError;
    }

    if (hand_ || !generator_) {
      std::string text = "The amplitude is out of limit!\n" + std::string(amplitude_ >= A ? "De" : "In") + "crease the " +
                         Subject() + " amplitude to" + FormatValue(A, "V", 103) + " P-P." + TryAgain();
      if (!live_) {
        Write("MEASU:Meas1:TYPE PK2;SOU " + source_ + ";STATE ON");
        Write("ACQ:MODE AVE;NUMAV 4");
        live_ = true;
      }
      int16_t answer = pv_.op.ShowMessBox(text, AdjustStyle(), "Amplitude Error");
      if (answer == kCancel) {
        Abort();
        break;
      }
      if (answer == kNo) break;
      pass = 1;
      continue;
    }

    if (pass == kQuestionPass) {
      if (UnableQuestion("amplitude", AT) == kNo) {
        Abort();
        break;
      }
      pass = 1;
    } else if (pass > kQuestionPass) {
      pass = 1;
      continue;
    }
    if (amplitude_ > 0) {
      setting = A * setting / amplitude_;
      pv_.generator.SetSG(0, setting);
    }
  }
  EndLiveReading();
}

void SignalLoop::Restore() {
  Write(savedMethod_);
  Write(savedImmediate_);
  Write(savedAcquire_);
  pv_.scopeControl.WaitOPC(13);
}

}  // namespace

std::string WithoutUnits(std::string_view reply) {
  std::string text(reply);
  size_t units = text.find(";UNI");
  if (units == std::string::npos) return text;
  size_t next = text.find(';', units + 1);
  text.erase(units, next == std::string::npos ? std::string::npos : next - units);
  return text;
}

void SetSignal(PvContext& pv, int16_t device, float F, float FT, float A, float AT) {
  const bool generator = pv.roles.SGDevice != 0;
  const bool quiet = device < 0;
  const int16_t handle = quiet ? static_cast<int16_t>(-device) : device;

  bool regulateFrequency = F != 0 && FT != 0;
  if (F < 0) {
    F = -F;
    if (generator) regulateFrequency = false;
  }
  bool hand = false;
  if (FT < 0) {
    FT = -FT;
    hand = true;
  }
  bool regulateAmplitude = A != 0 && AT != 0;
  if (A < 0) {
    A = -A;
    if (generator) regulateAmplitude = false;
  }
  if (AT < 0) {
    AT = -AT;
    hand = true;
  }

  SignalLoop loop(pv, handle, F, quiet, hand);
  loop.SaveSettings();
  loop.FirstReadings();
  if (regulateFrequency) loop.RegulateFrequency(FT);
  if (regulateAmplitude && !pv.state.AbortFlag) loop.RegulateAmplitude(A, AT);
  loop.Restore();
}

}  // namespace veridane
