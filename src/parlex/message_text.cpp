#include "parlex/message_text.h"

#include <algorithm>
#include <cctype>

#include "platform/text8.h"

namespace veridane::parlex {

namespace {

constexpr const char* kHelpLines[] = {
    "",
    "*** Parlex Help ***",
    "",
    "*With this program you can communicate manually with",
    " devices on the GPIB bus in a simple way. Click on",
    " an address button to select a device. Type your",
    " message in the Outgoing Message box or select from",
    " the drop down list. Click on Send or hit <Enter> to",
    " send the message.",
    "",
    "*Outgoing message: Each new sent message is stored in",
    " the drop down list of the Outgoing Message box. This",
    " list can be saved to either startup.gmg which is",
    " automatically loaded at program start and is located",
    " in the AppData folder or to an alternate file which",
    " can be loaded manually. Nothing is automatically",
    " saved. Use the Message Lists menu to save. The *.gmg",
    " files can be edited with a text editor like Notepad.",
    "",
    "*Query: If the message ends with either one or two",
    " question marks a response from the selected device",
    " is expected. With one question mark the message is",
    " sent as typed and with two it is sent without any",
    " question marks at all. The response is displayed in",
    " the Incoming Message box.",
    "",
    "*Files: Data can be sent between a device and a file",
    " in either direction. Use File menu to select.",
    "",
    "*Syntax checking: Double click on a selected address",
    " button to enable or select from the File menu.",
    " Active Syntax Checking is indicated by blue text in",
    " the Address button.",
    "",
    "*** End Help *** Click Clear to continue ***",
};

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return Lower(x) == Lower(y);
         });
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return Lower(x) < Lower(y); });
}

}  // namespace

size_t IncomingEstimate(size_t n) {
  size_t lines = n / kIncomingLineWidth;
  size_t rest = n % kIncomingLineWidth;
  if (rest * 2 > kIncomingLineWidth || (rest * 2 == kIncomingLineWidth && lines % 2 == 1)) ++lines;
  return n + 6 * (lines + 1);
}

std::string IncomingLines(std::string_view answer, int address) {
  std::string prefix = "0" + std::to_string(address);
  prefix = prefix.substr(prefix.size() - 2) + ": ";
  std::string lines;
  for (size_t start = 0; start < answer.size(); start += kIncomingLineWidth) {
    std::string_view part = answer.substr(start, kIncomingLineWidth);
    lines += prefix;
    lines += part;
    lines += "\r\n";
    if (part.size() < kIncomingLineWidth) break;
  }
  return lines;
}

std::string HelpText() {
  std::string text;
  for (const char* line : kHelpLines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::vector<std::string> DefaultMessages() { return {"ID?", "*IDN?", "INIT", "FAC", "SET?"}; }

std::vector<std::string> EntriesFromLines(const std::vector<std::string>& lines) {
  std::vector<std::string> entries{std::string(kHelpEntry)};
  for (const std::string& line : lines) entries.push_back(Trim(line));
  return entries;
}

std::vector<std::string> LinesFromEntries(const std::vector<std::string>& entries) {
  std::vector<std::string> lines;
  for (const std::string& entry : entries) {
    if (entry != kHelpEntry) lines.push_back(Trim(entry));
  }
  return lines;
}

std::vector<std::string> SortedEntries(const std::vector<std::string>& entries) {
  std::vector<std::string> rest;
  for (const std::string& entry : entries) {
    if (entry != kHelpEntry) rest.push_back(entry);
  }
  std::stable_sort(rest.begin(), rest.end(), LessIgnoringCase);
  rest.insert(rest.begin(), std::string(kHelpEntry));
  return rest;
}

std::optional<size_t> FindEntry(const std::vector<std::string>& entries, std::string_view text) {
  for (size_t i = 0; i < entries.size(); ++i) {
    if (EqualIgnoringCase(entries[i], text)) return i;
  }
  return std::nullopt;
}

std::optional<size_t> FindCompletion(const std::vector<std::string>& entries, std::string_view text) {
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].size() >= text.size() && EqualIgnoringCase(std::string_view(entries[i]).substr(0, text.size()), text))
      return i;
  }
  return std::nullopt;
}

bool IsQuery(std::string_view outgoingText) { return outgoingText.find('?') != std::string_view::npos; }

std::string QueryMessage(std::string_view trimmedText) {
  std::string message(trimmedText);
  size_t at = message.find("??");
  if (at != std::string::npos) message.erase(at, 2);
  return message;
}

}  // namespace veridane::parlex
