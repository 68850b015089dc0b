#include "sim/scope/sim_scope.h"

#include <algorithm>

#include "sim/scope/command_parser.h"
#include "sim/scope/scope_commands.h"

namespace veridane::sim {

namespace {

// Matches header mnemonics against the first nodes of an entry; fills their suffixes.
bool MatchPrefix(const std::vector<std::string>& header, const CommandEntry& entry, Suffixes& suffixes) {
  if (header.size() > entry.path.size() || entry.path.size() > suffixes.size()) return false;
  suffixes.fill(1);
  for (size_t i = 0; i < header.size(); ++i) {
    int suffix = 1;
    if (!MatchMnemonic(header[i], entry.path[i], &suffix)) return false;
    if (suffix < 1 || suffix > SuffixLimit(entry.path[i])) return false;
    suffixes[i] = suffix;
  }
  return true;
}

// A compound reply covers every channel and slot below the asked node, not only the first.
void ExpandSuffixes(const CommandLeaf& leaf, size_t from, std::vector<CommandLeaf>& out) {
  for (size_t i = from; i < leaf.entry->path.size(); ++i) {
    int limit = SuffixLimit(leaf.entry->path[i]);
    if (limit == 1) continue;
    for (int k = 1; k <= limit; ++k) {
      CommandLeaf copy = leaf;
      copy.suffixes[i] = k;
      ExpandSuffixes(copy, i + 1, out);
    }
    return;
  }
  out.push_back(leaf);
}

std::vector<std::string_view> Parent(const CommandEntry& entry) {
  return {entry.path.begin(), entry.path.end() - 1};
}

}  // namespace

SimScope::SimScope(ScopeConfig config, InputSignals inputs, EventLoop* clock)
    : core_(std::move(config), std::move(inputs), clock) {}

// Records an event; false for a command error, which ends the message.
bool SimScope::Error(int code, const std::string& message) {
  EventBit bit = code < 200 ? kCommandError : code < 300 ? kExecutionError : kQueryError;
  core_.status.Raise(bit, code, message);
  return bit != kCommandError;
}

void SimScope::Receive(std::string_view message) {
  remote_ = true;
  if (output_) {
    // A new message before the last reply was read: the reply is lost, as on the instrument.
    output_.reset();
    Error(410, "Query INTERRUPTED");
  }
  std::vector<std::string> replies;
  size_t start = 0;
  while (start <= message.size()) {
    size_t end = message.find('\n', start);
    if (end == std::string_view::npos) end = message.size();
    std::string_view part = message.substr(start, end - start);
    if (!part.empty() && part.find_first_not_of(" \t\r") != std::string_view::npos) {
      std::vector<std::string> path;
      for (const ScopeCommand& command : ParseProgramMessage(part)) {
        core_.outputPending = !replies.empty();
        // After a command error the rest of the message is not executed.
        if (command.malformed) {
          Error(102, "Syntax error");
          break;
        }
        bool carryOn = Execute(command, path, replies);
        core_.status.Refresh(false);
        if (!carryOn) break;
      }
    }
    start = end + 1;
  }
  if (!replies.empty()) {
    std::string text;
    for (const std::string& reply : replies) text += (text.empty() ? "" : ";") + reply;
    output_ = text;
  }
  core_.status.Refresh(output_.has_value());
}

bool SimScope::Execute(const ScopeCommand& command, std::vector<std::string>& path,
                       std::vector<std::string>& replies) {
  std::vector<std::string> header = command.header;
  if (!command.common) {
    // A header without a leading colon continues the previous command's path.
    if (!command.absolute) header.insert(header.begin(), path.begin(), path.end());
    path.assign(header.begin(), header.end() - 1);
  }

  if (command.query) {
    if (!command.arguments.empty()) return Error(108, "Parameter not allowed");
    std::optional<std::string> reply = Query(header, command.common);
    if (reply) replies.push_back(*reply);
    return !queryCommandError_;
  }

  for (const CommandEntry& entry : ScopeCommandTable()) {
    Suffixes suffixes{};
    if (entry.path.size() != header.size() || !MatchPrefix(header, entry, suffixes)) continue;
    if (!entry.set) return Error(110, "Command header error");
    switch (entry.set(core_, suffixes, command.arguments)) {
      case Outcome::Ok: return true;
      case Outcome::CommandError:
        return command.arguments.empty() ? Error(109, "Missing parameter") : Error(104, "Data type error");
      case Outcome::ExecutionError: return Error(221, "Settings conflict");
      case Outcome::OutOfRange: return Error(222, "Data out of range");
    }
    return true;
  }
  return Error(113, "Undefined header");
}

std::optional<std::string> SimScope::Query(const std::vector<std::string>& header, bool common) {
  queryCommandError_ = false;
  if (!common && header.size() == 1 && MatchMnemonic(header[0], "SET")) {
    // The whole set-up, with headers whatever HEADER says, so that it can be sent back.
    std::vector<CommandLeaf> leaves;
    for (const CommandEntry& entry : ScopeCommandTable())
      if (entry.inCompound && entry.set && entry.get) ExpandSuffixes({&entry, Suffixes{1, 1, 1, 1, 1}}, 0, leaves);
    return Compound(leaves, true);
  }
  if (header.size() == 1 && header[0] == "*LRN") return Query({"SET"}, false);

  std::vector<CommandLeaf> leaves;
  for (const CommandEntry& entry : ScopeCommandTable()) {
    Suffixes suffixes{};
    if (!MatchPrefix(header, entry, suffixes)) continue;
    if (entry.path.size() == header.size() && entry.get) {
      std::optional<std::string> value = entry.get(core_, suffixes);
      if (!value) {
        Error(221, "Settings conflict");
        return std::nullopt;
      }
      if (!core_.headers || entry.path[0][0] == '*') return *value;
      CommandLeaf leaf{&entry, suffixes};
      return (entry.bareHeader ? "" : ":") + HeaderText(leaf, 0) + " " + *value;
    }
    if (entry.path.size() > header.size() && entry.inCompound && entry.get)
      ExpandSuffixes({&entry, suffixes}, header.size(), leaves);
  }
  if (leaves.empty()) {
    queryCommandError_ = !Error(113, "Undefined header");
    return std::nullopt;
  }
  return Compound(leaves, core_.headers);
}

std::string SimScope::HeaderText(const CommandLeaf& leaf, size_t from) const {
  std::string text;
  for (size_t i = from; i < leaf.entry->path.size(); ++i) {
    if (i > from) text += ":";
    text += MnemonicText(leaf.entry->path[i], core_.verbose, leaf.suffixes[i]);
  }
  return text;
}

// Leaves under one parent follow each other with their last mnemonic only; a change of
// parent restarts from the root, so the reply reads back as commands.
std::string SimScope::Compound(const std::vector<CommandLeaf>& leaves, bool headers) {
  std::string reply;
  const CommandLeaf* previous = nullptr;
  for (const CommandLeaf& leaf : leaves) {
    std::optional<std::string> value = leaf.entry->get(core_, leaf.suffixes);
    if (!value) continue;
    if (!reply.empty()) reply += ";";
    if (headers) {
      bool sameParent = previous && Parent(*previous->entry) == Parent(*leaf.entry) &&
                        std::equal(previous->suffixes.begin(),
                                   previous->suffixes.begin() + static_cast<long>(leaf.entry->path.size() - 1),
                                   leaf.suffixes.begin());
      reply += sameParent ? HeaderText(leaf, leaf.entry->path.size() - 1) : ":" + HeaderText(leaf, 0);
      reply += " ";
    }
    reply += *value;
    previous = &leaf;
  }
  return reply;
}

std::optional<std::string> SimScope::Respond() {
  if (!output_) {
    Error(420, "Query UNTERMINATED");
    return std::nullopt;
  }
  if (core_.IsBusy()) core_.clock->Block(Seconds(core_.busyUntil - core_.clock->Now()));
  std::string reply = *output_ + "\n";
  output_.reset();
  core_.status.Refresh(false);
  return reply;
}

uint8_t SimScope::SerialPoll() { return core_.status.SerialPoll(output_.has_value()); }

bool SimScope::RequestingService() { return core_.status.RequestingService(output_.has_value()); }

void SimScope::DeviceClear() {
  output_.reset();
  core_.status.Refresh(false);
}

}  // namespace veridane::sim
