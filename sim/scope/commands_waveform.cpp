// The waveform transfer: DATA (source, encoding, width, start and stop) and CURVE?, which
// sends the displayed record of the source channel as the programming manual describes it: a
// definite-length block ("#<n><length><points>") of signed (RI) or offset (RP) binary
// points, most significant byte first (SRI/SRP: least first), or the points as signed decimal
// numbers separated by commas (ASCII). One point is 25 levels a division on 8 bits, 256 times
// finer on 16 bits.
#include <algorithm>
#include <cmath>

#include "sim/scope/scope_commands.h"

namespace veridane::sim {

namespace {

using S = const Suffixes&;
using A = const Arguments&;
using Reply = std::optional<std::string>;

const std::vector<std::string_view> kEncodings{"ASCIi", "RIBinary", "RPBinary", "SRIbinary", "SRPbinary"};
constexpr int kLevelsPerDivision = 25;

Outcome SetPoint(A a, int& target) {
  std::optional<double> value = NumberArgument(a);
  if (!value) return Outcome::CommandError;
  double point = std::round(*value);
  const Outcome outcome = Clamped(point, 1, ScopePhysics::kCurvePoints, point);
  target = static_cast<int>(point);
  return outcome;
}

Reply Curve(ScopeCore& c) {
  const WaveformTransfer& data = c.transfer;
  if (c.settings.acquire.running) c.physics.NextAcquisition();
  const std::vector<double> record = c.physics.RecordDivisions(c.settings, data.source);
  const int first = std::min(data.start, data.stop), last = std::max(data.start, data.stop);
  const int scale = kLevelsPerDivision * (data.width == 2 ? 256 : 1);
  const int high = data.width == 2 ? 32767 : 127;
  const bool offsetBinary = data.encoding == 2 || data.encoding == 4;
  const bool swapped = data.encoding == 3 || data.encoding == 4;
  std::string points;
  for (int i = first; i <= last; ++i) {
    const int level = std::clamp(static_cast<int>(std::lround(record[static_cast<size_t>(i - 1)] * scale)), -high - 1, high);
    if (data.encoding == 0) {
      points += (points.empty() ? "" : ",") + std::to_string(level);
      continue;
    }
    const unsigned value = static_cast<unsigned>(level + (offsetBinary ? high + 1 : 0)) & (data.width == 2 ? 0xFFFF : 0xFF);
    if (data.width == 1) {
      points += static_cast<char>(value);
    } else if (swapped) {
      points += static_cast<char>(value & 0xFF);
      points += static_cast<char>(value >> 8);
    } else {
      points += static_cast<char>(value >> 8);
      points += static_cast<char>(value & 0xFF);
    }
  }
  if (data.encoding == 0) return points;
  const std::string length = std::to_string(points.size());
  return "#" + std::to_string(length.size()) + length + points;
}

}  // namespace

void AddWaveformCommands(std::vector<CommandEntry>& t) {
  // Not part of SET?: the set-up a program saves and sends back is the front panel's.
  t.push_back({{"DATa", "SOUrce"},
               [](ScopeCore& c, S, A a) {
                 std::optional<size_t> choice = ChoiceArgument(a, {"CH1", "CH2"});
                 if (!choice) return Outcome::CommandError;
                 c.transfer.source = static_cast<int>(*choice) + 1;
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S) -> Reply { return "CH" + std::to_string(c.transfer.source); }, false});
  t.push_back({{"DATa", "ENCdg"},
               [](ScopeCore& c, S, A a) {
                 std::optional<size_t> choice = ChoiceArgument(a, kEncodings);
                 if (!choice) return Outcome::CommandError;
                 c.transfer.encoding = *choice;
                 return Outcome::Ok;
               },
               [](ScopeCore& c, S) -> Reply { return c.Choice(kEncodings[c.transfer.encoding]); }, false});
  t.push_back({{"DATa", "WIDth"},
               [](ScopeCore& c, S, A a) {
                 std::optional<double> value = NumberArgument(a);
                 if (!value) return Outcome::CommandError;
                 double width = std::round(*value);
                 const Outcome outcome = Clamped(width, 1, 2, width);
                 c.transfer.width = static_cast<int>(width);
                 return outcome;
               },
               [](ScopeCore& c, S) -> Reply { return std::to_string(c.transfer.width); }, false});
  t.push_back({{"DATa", "STARt"}, [](ScopeCore& c, S, A a) { return SetPoint(a, c.transfer.start); },
               [](ScopeCore& c, S) -> Reply { return std::to_string(c.transfer.start); }, false});
  t.push_back({{"DATa", "STOP"}, [](ScopeCore& c, S, A a) { return SetPoint(a, c.transfer.stop); },
               [](ScopeCore& c, S) -> Reply { return std::to_string(c.transfer.stop); }, false});
  t.push_back({{"DATa"},
               [](ScopeCore& c, S, A a) {
                 if (!ChoiceArgument(a, {"INIT"})) return Outcome::CommandError;
                 c.transfer = WaveformTransfer{};
                 return Outcome::Ok;
               },
               nullptr, false});
  t.push_back({{"CURVe"}, nullptr, [](ScopeCore& c, S) -> Reply { return Curve(c); }, false});
}

}  // namespace veridane::sim
