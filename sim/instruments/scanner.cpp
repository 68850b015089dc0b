#include "sim/instruments/scanner.h"

#include <utility>

#include "platform/text8.h"
#include "sim/instruments/command_text.h"

namespace veridane::sim {

const std::vector<ScannerModel>& ScannerModels() {
  static const std::vector<ScannerModel> models = {
      {"SI 5020", "ID TEK/SI5020,V81.1,F1.0", "AB", "0123456789"},
      {"SI 5010", "ID TEK/SI5010,V79.1,F1.0", "AB", "0123456789"},
  };
  return models;
}

const ScannerModel* FindScannerModel(std::string_view name) {
  auto squeeze = [](std::string_view text) {
    std::string out;
    for (char c : UpperCase(text)) {
      if (c != ' ') out += c;
    }
    return out;
  };
  for (const ScannerModel& model : ScannerModels()) {
    if (squeeze(model.name) == squeeze(name)) return &model;
  }
  return nullptr;
}

Scanner::Scanner(ScannerModel model) : InstrumentDevice(model.name, "\r\n"), model_(std::move(model)) {}

bool Scanner::IsRelay(std::string_view code) const {
  return code.size() == 2 && model_.groups.find(code[0]) != std::string::npos &&
         model_.relays.find(code[1]) != std::string::npos;
}

bool Scanner::Close(std::string_view code) {
  if (!IsRelay(code)) return false;
  closed_.insert(std::string(code));
  return true;
}

bool Scanner::Switch(const std::string& list, bool close) {
  std::vector<std::string> codes = SplitCommands(UpperCase(list), ',');
  if (codes.empty()) return false;
  if (!close && codes.size() == 1 && codes[0] == "ALL") {
    OpenAll();
    return true;
  }
  for (const std::string& code : codes) {
    if (!IsRelay(code)) return false;
  }
  for (const std::string& code : codes) {
    if (close) {
      closed_.insert(code);
    } else {
      closed_.erase(code);
    }
  }
  return true;
}

void Scanner::Execute(std::string_view message) {
  for (const std::string& text : SplitCommands(message)) {
    Command command = ParseCommand(text);
    const std::string& h = command.header;
    if (h == "ID?") {
      Reply(model_.idReply);
    } else if (h == "INIT") {
      OpenAll();
    } else if (h == "CLOSE?") {
      std::string list;
      for (const std::string& code : closed_) list += (list.empty() ? "" : ",") + code;
      Reply("CLOSE " + list);
    } else if (h == "CLOSE" || h == "OPEN") {
      if (!Switch(command.args, h == "CLOSE")) {
        CommandError("bad relay list: " + text);
        return;
      }
    } else {
      CommandError("unknown command: " + text);
      return;
    }
  }
}

}  // namespace veridane::sim
