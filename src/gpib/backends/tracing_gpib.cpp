#include "gpib/backends/tracing_gpib.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace veridane {

namespace {

std::string Join(std::initializer_list<int> values) {
  std::string text;
  for (int v : values) text += " " + std::to_string(v);
  return text;
}

}  // namespace

std::string EscapedBusText(std::string_view data) {
  std::string text;
  for (char c : data) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\r') {
      text += "\\r";
    } else if (c == '\n') {
      text += "\\n";
    } else if (c == '\t') {
      text += "\\t";
    } else if (c == '\\') {
      text += "\\\\";
    } else if (byte < 0x20 || byte == 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      text += hex;
    } else {
      text += c;
    }
  }
  return text;
}

TracingGpib::TracingGpib(Gpib488& inner, EventLoop& clock, Sink sink)
    : inner_(inner), clock_(clock), sink_(std::move(sink)), start_(clock.Now()) {}

void TracingGpib::Line(const std::string& text) {
  if (!sink_) return;
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%9.3f ", clock_.Now() - start_);
  std::string line = stamp + text;
  const GpibStatus status = inner_.Status();
  if ((status.ibsta & kErr) != 0) line += "  [ERR iberr " + std::to_string(status.iberr) + "]";
  else if ((status.ibsta & kTimo) != 0) line += "  [TIMO]";
  sink_(line);
}

int TracingGpib::RegisterGlobals() {
  const int result = inner_.RegisterGlobals();
  if (sink_) Line("RegisterGlobals -> " + std::to_string(result));
  return result;
}

void TracingGpib::UnregisterGlobals() {
  inner_.UnregisterGlobals();
  Line("UnregisterGlobals");
}

void TracingGpib::SendIFC(int board) {
  inner_.SendIFC(board);
  Line("SendIFC" + Join({board}));
}

void TracingGpib::ibsre(int board, int value) {
  inner_.ibsre(board, value);
  Line("ibsre" + Join({board, value}));
}

void TracingGpib::FindLstn(int board, const std::vector<int16_t>& addresses, std::vector<int16_t>& results,
                           int limit) {
  inner_.FindLstn(board, addresses, results, limit);
  std::string found;
  const int32_t count = inner_.Status().ibcntl;
  for (int32_t i = 0; i < count && i < static_cast<int32_t>(results.size()); ++i)
    found += " " + std::to_string(results[static_cast<size_t>(i)]);
  Line("FindLstn" + Join({board, limit}) + " ->" + found);
}

int TracingGpib::ibdev(int board, int pad, int sad, int tmo, int eot, int eos) {
  const int handle = inner_.ibdev(board, pad, sad, tmo, eot, eos);
  Line("ibdev" + Join({board, pad, sad, tmo, eot, eos}) + " -> " + std::to_string(handle));
  return handle;
}

void TracingGpib::ibpad(int ud, int pad) {
  inner_.ibpad(ud, pad);
  Line("ibpad" + Join({ud, pad}));
}

void TracingGpib::ibclr(int ud) {
  inner_.ibclr(ud);
  Line("ibclr" + Join({ud}));
}

void TracingGpib::ibrsp(int ud, uint8_t& statusByte) {
  inner_.ibrsp(ud, statusByte);
  Line("ibrsp" + Join({ud}) + " -> " + std::to_string(statusByte));
}

void TracingGpib::ibwrt(int ud, std::string_view data) {
  inner_.ibwrt(ud, data);
  Line("W " + std::to_string(ud) + " <- " + EscapedBusText(data));
}

void TracingGpib::ibrd(int ud, std::string& buffer) {
  inner_.ibrd(ud, buffer);
  const auto count = static_cast<size_t>(std::max<int32_t>(0, inner_.Status().ibcntl));
  Line("R " + std::to_string(ud) + " -> " + EscapedBusText(std::string_view(buffer).substr(0, count)));
}

void TracingGpib::ibtmo(int ud, int code) {
  inner_.ibtmo(ud, code);
  Line("ibtmo" + Join({ud, code}));
}

void TracingGpib::ibask(int ud, int option, int& value) {
  inner_.ibask(ud, option, value);
  Line("ibask" + Join({ud, option}) + " -> " + std::to_string(value));
}

void TracingGpib::ibwait(int ud, int mask) {
  inner_.ibwait(ud, mask);
  Line("ibwait" + Join({ud, mask}));
}

void TracingGpib::ibloc(int ud) {
  inner_.ibloc(ud);
  Line("ibloc" + Join({ud}));
}

void TracingGpib::ibwrtf(int ud, const std::string& path) {
  inner_.ibwrtf(ud, path);
  Line("ibwrtf" + Join({ud}) + " " + path);
}

void TracingGpib::ibrdf(int ud, const std::string& path) {
  inner_.ibrdf(ud, path);
  Line("ibrdf" + Join({ud}) + " " + path);
}

void TracingGpib::DevClear(int board, int address) {
  inner_.DevClear(board, address);
  Line("DevClear" + Join({board, address}));
}

TracingGpib::Sink TraceFileSink(const std::string& path, std::ostream& complaints) {
  auto file = std::make_shared<std::ofstream>(path, std::ios::binary | std::ios::trunc);
  if (!*file) return {};
  auto told = std::make_shared<bool>(false);
  return [file, told, path, &complaints](const std::string& line) {
    if (*told) return;
    *file << line << '\n';
    file->flush();
    if (!*file) {
      *told = true;
      complaints << "The trace file " << path << " could not be written (disk full?); the trace ends here.\n";
    }
  };
}

}  // namespace veridane
