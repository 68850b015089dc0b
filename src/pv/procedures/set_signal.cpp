#include "pv/procedures/set_signal.h"

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "platform/numbers.h"
#include "report/format.h"

namespace veridane {

namespace {

struct Quantity;

// A pass number past the "Unable set" question: the next pass measures before correcting.
constexpr int kPassAfterLargeError = 7;
constexpr int kQuestionPass = 6;

class SignalLoop {
 public:
  SignalLoop(SignalParts& parts, int16_t handle, float frequency, bool quiet, bool hand)
      : parts_(parts),
        handle_(handle),
        F_(frequency),
        quiet_(quiet),
        hand_(hand),
        generator_(parts.roles.SGDevice != 0) {}

  void SaveSettings();
  void FirstReadings();
  void RegulateFrequency(float FT);
  void RegulateAmplitude(float A, float AT);
  void Restore();

 private:
  void Write(std::string_view command) { parts_.scope.bus.GpibWrite(handle_, command); }
  std::string Query(std::string_view query) { return parts_.scope.bus.GpibQuery(handle_, query); }
  void Settle();
  float ReadFrequency();
  float ReadAmplitude();
  void Abort() { parts_.stop.Raise(); }
  void EndLiveReading();
  std::string Subject() const { return hand_ ? std::string("signal") : parts_.roles.SGName + " output"; }
  void Regulate(const Quantity& q, float& measured);

  SignalParts& parts_;
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
    parts_.scope.bus.Wait(std::chrono::seconds(2));
  }
  if (F_ > 0 && F_ < 0.0001f) parts_.scope.bus.Wait(std::chrono::seconds(2));
  if (F_ > 50) parts_.scope.bus.Wait(std::chrono::seconds(6));
}

float SignalLoop::ReadFrequency() {
  // No reading counts as 0, which no setting is near.
  return static_cast<float>(ScopeReading(Query("MEASU:IMM:VAL?")).value_or(0) / 1000000.0);
}

// An amplitude the scope could not measure is no signal, like an empty reply: never a divisor.
float SignalLoop::ReadAmplitude() {
  return static_cast<float>(ScopeReading(Query("MEASU:IMM:VAL?")).value_or(0));
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

// What differs between the frequency and the amplitude loop.
struct Quantity {
  std::string_view name;           // "frequency", "amplitude"
  std::string_view caption;        // of the knob and "Unable set" prompts
  std::string_view immediateType;  // the scope's immediate measurement
  float wanted = 0;
  float tolerance = 0;  // %
  std::function<float()> read;
  std::function<bool(float error)> asksLarge;
  std::string_view largeCaption;
  std::string_view largeText;
  std::function<std::string()> knobText;
  std::vector<std::string> liveCommands;  // the reading the technician watches on the display
  std::function<void(float setting)> setGenerator;
};

void SignalLoop::Regulate(const Quantity& q, float& measured) {
  Write("MEASU:IMM:TYP " + std::string(q.immediateType));
  float setting = q.wanted;
  int pass = 0;
  // Exit Test pressed during a settling wait also ends the loop.
  while (!parts_.stop.Raised()) {
    ++pass;
    if (pass >= 2) {
      Settle();
      measured = q.read();
      Write("ACQ:MODE SAM");
      parts_.scope.bus.Wait(std::chrono::seconds(1));
    }
    const float error = ErrorPercent(measured, q.wanted);
    if (error <= q.tolerance) break;

    if (q.asksLarge(error)) {
      if (parts_.op.ShowMessBox(q.largeText, kYesNo + kCritical, q.largeCaption) == kNo) {
        parts_.stop.RaiseAnsweredNo(q.largeCaption);
        break;
      }
      if (generator_) pass = kPassAfterLargeError;
    }

    if (hand_ || !generator_) {
      const std::string text = q.knobText() + (hand_ ? "\n\nTry again ?" : "");
      if (!live_) {
        for (const std::string& command : q.liveCommands) Write(command);
        live_ = true;
      }
      const BoxAnswer answer =
          parts_.op.ShowMessBox(text, hand_ ? kYesNoCancel + kCritical : kOkCancel + kCritical, q.caption);
      if (answer == kCancel) {
        Abort();
        break;
      }
      if (answer == kNo) break;  // the technician takes the signal as it is
      pass = 1;
      continue;
    }

    if (pass == kQuestionPass) {
      const std::string question = "Unable set the " + parts_.roles.SGName + " " + std::string(q.name) + " to within" +
                                   FormatDigits(q.tolerance, 103) + "%.\n\nDo you wish to try again ?";
      if (parts_.op.ShowMessBox(question, kYesNo + kCritical, q.caption) == kNo) {
        parts_.stop.RaiseAnsweredNo(q.caption);
        break;
      }
      pass = 1;  // and correct at once: five more corrections before the next question
    } else if (pass > kQuestionPass) {
      pass = 1;  // measure again before correcting
      continue;
    }
    if (measured > 0) {
      setting = q.wanted * setting / measured;
      q.setGenerator(setting);
    }
  }
  EndLiveReading();
}

void SignalLoop::RegulateFrequency(float FT) {
  Quantity q;
  q.name = "frequency";
  q.caption = "Frequency Error";
  q.immediateType = "FREQ";
  q.wanted = F_;
  q.tolerance = FT;
  q.read = [this] { return ReadFrequency(); };
  q.asksLarge = [this](float error) { return error > 25 && !hand_; };
  q.largeCaption = "Large Frequency Error";
  q.largeText =
      "The frequency error is greater than 25% !\nThe cause is probably an incorrect setup. \n\nDo you wish to continue ?";
  q.knobText = [this] {
    return "The frequency is out of limit!\n" + std::string(F_ > frequency_ ? "In" : "De") + "crease the " + Subject() +
           " frequency to " + FormatValue(F_ * 1000000.0f, ";Hz", 103) + ".";
  };
  q.liveCommands = {"MEASU:MEAS1:TYPE FREQ;SOU " + source_ + ";STATE ON", "MEASU:MEAS2:STATE OFF", "ACQ:MODE AVE;NUMAV 2"};
  q.setGenerator = [this](float setting) {
    if (parts_.generator.SetSG(SignalSetting::Frequency(setting)) == Setting::Cancelled) Abort();
  };
  Regulate(q, frequency_);
}

void SignalLoop::RegulateAmplitude(float A, float AT) {
  Quantity q;
  q.name = "amplitude";
  q.caption = "Amplitude Error";
  q.immediateType = "PK2PK";
  q.wanted = A;
  q.tolerance = AT;
  q.read = [this] { return ReadAmplitude(); };
  // No signal at all (or a reading below it) always asks, whoever is adjusting: no correction
  // may divide by it.
  q.asksLarge = [this](float error) { return !(amplitude_ > 0) || (error > 35 && !hand_ && !quiet_); };
  q.largeCaption = "Large Amplitude Error";
  q.largeText =
      "The amplitude error is greater than 35% !\nThe cause is probably a bad or not connected 50 ohm terminator or an "
      "incorrect setup. \n\nDo you wish to continue ?";
  q.knobText = [this, A] {
    return "The amplitude is out of limit!\n" + std::string(amplitude_ >= A ? "De" : "In") + "crease the " + Subject() +
           " amplitude to" + FormatValue(A, "V", 103) + " P-P.";
  };
  q.liveCommands = {"MEASU:Meas1:TYPE PK2;SOU " + source_ + ";STATE ON", "ACQ:MODE AVE;NUMAV 4"};
  q.setGenerator = [this](float setting) {
    if (parts_.generator.SetSG(SignalSetting::Amplitude(setting)) == Setting::Cancelled) Abort();
  };
  Regulate(q, amplitude_);
}

void SignalLoop::Restore() {
  Write(savedMethod_);
  Write(savedImmediate_);
  Write(savedAcquire_);
  parts_.scope.control.WaitOPC(DriverTimeout::TenSeconds);
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

void SetSignal(SignalParts parts, int16_t device, float F, float FT, float A, float AT) {
  const bool generator = parts.roles.SGDevice != 0;
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

  SignalLoop loop(parts, handle, F, quiet, hand);
  loop.SaveSettings();
  loop.FirstReadings();
  if (regulateFrequency) loop.RegulateFrequency(FT);
  if (regulateAmplitude && !parts.stop.Raised()) loop.RegulateAmplitude(A, AT);
  loop.Restore();
}

}  // namespace veridane
