// veridane_prologix_emulator: a simulated bench behind emulated Prologix adapters, so that the
// program's real adapter back end can be run, tested and measured without hardware.
//
//   veridane_prologix_emulator [--bench NAME|FILE.toml] [--port N] [--no-tcp] [--no-pty]
//                              [--data DIR] [--lifetime SECONDS] [--announce DIR] [--ar488]
//                              [--shared-bench] [--in-pieces] [--trace FILE]
//
// --ar488 makes the adapters say they are AR488s (and answer "++findlstn"). Each TCP
// connection gets a bench of its own, freshly switched on; the pseudo-terminal keeps one.
// --shared-bench puts every connection and the pseudo-terminal on one bench (one bus, one
// command at a time), so that several hosts see the same instruments. --in-pieces sends every
// answer in pieces cut at awkward bytes (after a byte 4, inside a block's "#<n>"), as a slow
// or busy network may deliver it. --trace writes what each bench's instruments receive and
// answer to FILE.1, FILE.2, ... (one file per bench, in the order they are switched on).
//
// Prints what it serves, one line each, then "ready":
//   tcp 127.0.0.1:PORT      connect with --bench prologix-tcp:127.0.0.1:PORT
//   pty /dev/pts/N          connect with --bench prologix:/dev/pts/N
//   data DIR                the bench's instrument data (for the setting InstrumentData)
// While it runs, a link to its pseudo-terminal sits in the folder where `veridane
// --list-adapters` looks for adapters on pseudo-terminals ($XDG_RUNTIME_DIR/veridane-adapters,
// else /tmp/veridane-adapters-UID; --announce names another, "" none).
// The bench runs on the real clock: the program's waits and the adapter's timeouts are real
// on the other side of the link, and the simulated instruments must see the same time pass.
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "platform/event_loop.h"
#include "sim/bench/bench.h"
#include "sim/prologix_emulator/emulator_server.h"

namespace {

int Usage(const std::string& problem) {
  if (!problem.empty()) std::cerr << problem << "\n";
  std::cerr << "usage: veridane_prologix_emulator [--bench NAME|FILE.toml] [--port N] [--no-tcp] [--no-pty]"
               " [--data DIR] [--lifetime SECONDS] [--announce DIR] [--ar488] [--shared-bench] [--in-pieces]"
               " [--trace FILE]\n";
  return problem.empty() ? 0 : 2;
}

// Set by SIGTERM and SIGINT, so that the announcement is taken back before the emulator ends.
volatile std::sig_atomic_t stopRequested = 0;
void RequestStop(int) { stopRequested = 1; }

// The folder the program's adapter survey reads (kept in step with AnnounceFolder() there).
std::string DefaultAnnounceFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && *runtime != '\0') return std::string(runtime) + "/veridane-adapters";
  return "/tmp/veridane-adapters-" + std::to_string(::getuid());
}

// The link to the pseudo-terminal, removed when the emulator ends normally; one left by a
// killed emulator points nowhere and is skipped by the survey.
class Announcement {
 public:
  Announcement(const std::string& folder, const std::string& target) {
    if (folder.empty()) return;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    link_ = std::filesystem::path(folder) / ("prologix-emulator-" + std::to_string(::getpid()));
    std::filesystem::remove(link_, error);
    std::filesystem::create_symlink(target, link_, error);
    if (error) link_.clear();
  }
  ~Announcement() {
    std::error_code error;
    if (!link_.empty()) std::filesystem::remove(link_, error);
  }

 private:
  std::filesystem::path link_;
};

// A bench with a clock of its own: each runs on its own thread.
struct OwnBench : veridane::sim::ServedBench {
  static std::unique_ptr<OwnBench> Open(const std::string& name, const veridane::sim::BenchOptions& options,
                                        const std::string& trace = "") {
    static std::atomic<int> opened{0};
    auto own = std::make_unique<OwnBench>();
    try {
      own->bench = veridane::sim::Bench::Open(name, own->clock, options);
      if (!trace.empty()) own->bench->TraceToFile(trace + "." + std::to_string(++opened));
    } catch (const std::exception& error) {
      std::cerr << "The bench \"" << name << "\" cannot be used: " << error.what() << "\n";
      return nullptr;
    }
    return own;
  }
  veridane::Gpib488& Bus() override { return bench->Bus(); }
  veridane::EventLoop& Clock() override { return clock; }

  veridane::RealEventLoop clock;
  std::unique_ptr<veridane::sim::Bench> bench;
};

}  // namespace

int main(int argc, char** argv) {
  std::string benchName = "default";
  std::string dataFolder;
  int port = 0;
  bool tcp = true;
  bool pty = true;
  bool ar488 = false;
  veridane::sim::EmulatorMode mode;
  std::string trace;
  std::optional<std::string> announce;
  double lifetime = -1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    std::string text;
    try {
      if (arg == "--bench") {
        if (!value(benchName)) return Usage("--bench needs a bench name");
      } else if (arg == "--data") {
        if (!value(dataFolder)) return Usage("--data needs a folder");
      } else if (arg == "--port") {
        if (!value(text)) return Usage("--port needs a number");
        port = std::stoi(text);
        if (port < 0 || port > 65535) return Usage("--port takes 0..65535");
      } else if (arg == "--lifetime") {
        if (!value(text)) return Usage("--lifetime needs seconds");
        lifetime = std::stod(text);
      } else if (arg == "--announce") {
        if (!value(text)) return Usage("--announce needs a folder");
        announce = text;
      } else if (arg == "--no-tcp") {
        tcp = false;
      } else if (arg == "--no-pty") {
        pty = false;
      } else if (arg == "--ar488") {
        ar488 = true;
      } else if (arg == "--shared-bench") {
        mode.sharedBench = true;
      } else if (arg == "--in-pieces") {
        mode.inPieces = true;
      } else if (arg == "--trace") {
        if (!value(trace)) return Usage("--trace needs a file");
      } else if (arg == "--help" || arg == "-h") {
        return Usage("");
      } else {
        return Usage("unknown option " + arg);
      }
    } catch (const std::exception&) {
      return Usage("not a number: " + text);
    }
  }
  // A host that hangs up in the middle of an answer must not end the emulator.
  std::signal(SIGPIPE, SIG_IGN);
  struct sigaction onStop {};
  onStop.sa_handler = RequestStop;
  ::sigaction(SIGTERM, &onStop, nullptr);
  ::sigaction(SIGINT, &onStop, nullptr);

  // The first bench fixes the instrument-data folder the others write to as well, so that the
  // program is pointed at one folder whichever connection it gets; it lives as long as the
  // emulator, which keeps a temporary folder of its making.
  veridane::sim::BenchOptions options;
  options.dataFolder = dataFolder;
  std::unique_ptr<OwnBench> first = OwnBench::Open(benchName, options, mode.sharedBench ? trace : "");
  if (!first) return 3;
  options.dataFolder = first->bench->InstrumentDataFolder();
  const std::string firstFolder = options.dataFolder;
  veridane::sim::BenchFactory factory = [&]() -> std::unique_ptr<veridane::sim::ServedBench> {
    return OwnBench::Open(benchName, options, trace);
  };
  veridane::sim::AdapterPersonality personality;
  if (ar488) {
    personality.tcpVersion = veridane::sim::PrologixSession::kAr488Version;
    personality.ptyVersion = veridane::sim::PrologixSession::kAr488Version;
    personality.ar488 = true;
  }
  if (mode.sharedBench) {
    // The first bench is the one every connection shares.
    factory = [&, shared = std::shared_ptr<OwnBench>(std::move(first))]() mutable -> std::unique_ptr<veridane::sim::ServedBench> {
      if (!shared) return nullptr;
      struct Borrowed : veridane::sim::ServedBench {
        explicit Borrowed(std::shared_ptr<OwnBench> own) : own(std::move(own)) {}
        veridane::Gpib488& Bus() override { return own->Bus(); }
        veridane::EventLoop& Clock() override { return own->Clock(); }
        std::shared_ptr<OwnBench> own;
      };
      return std::make_unique<Borrowed>(shared);
    };
  }
  veridane::sim::EmulatorServer server(factory, personality, mode);
  std::string error;
  if (tcp && !server.ListenTcp(port, error)) {
    std::cerr << "No TCP listener: " << error << "\n";
    return 4;
  }
  if (pty && !server.OpenPty(error)) {
    std::cerr << "No pseudo-terminal: " << error << "\n";
    return 4;
  }
  Announcement announcement(pty ? announce.value_or(DefaultAnnounceFolder()) : "", server.PtyPath());
  std::cout << "bench " << benchName << "\n";
  if (tcp) std::cout << "tcp 127.0.0.1:" << server.TcpPort() << "\n";
  if (pty) std::cout << "pty " << server.PtyPath() << "\n";
  std::cout << "data " << firstFolder << "\n";
  std::cout << "ready" << std::endl;
  server.Serve(lifetime, [] { return stopRequested != 0; });
  return 0;
}
