// The GPIB back ends side by side at the driver level: short queries per second and bytes per
// second through the driver interface alone, an echo device answering at once and no tracing
// (the median of three runs of a third of SECONDS each); then the start-up time of the program
// to its first prompt, and the share of a Full Sequence that is the program's own work rather
// than the waits its tests prescribe. Measured, never asserted. The program's own message path
// beside a Python VISA stack is benchmark/adapter_speed.sh, which also reads this table.
//
//   build/benchmark/veridane_backend_benchmark [SECONDS-PER-MEASUREMENT] [--driver-only]
//
// The far side of every link is the simulated bench (in process, the board and VISA libraries
// made of it, the Prologix emulator over TCP and a pseudo-terminal), with the conformance
// devices; an echo device at address 20 answers the queries.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "gpib/backends/board_library.h"
#include "gpib/backends/real_backends.h"
#include "gpib/backends/visa_library.h"
#include "platform/event_loop.h"
#include "sim/bench/bench.h"
#include "sim/bus/conformance_devices.h"
#include "sim/prologix_emulator/emulator_server.h"
#include "test/e2e/backends/child_process.h"

namespace {

using namespace veridane;
namespace fs = std::filesystem;

double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

fs::path Scratch(const std::string& name) {
  fs::path folder = fs::temp_directory_path() / ("veridane-backend-benchmark-" + std::to_string(::getpid())) / name;
  fs::create_directories(folder);
  return folder;
}

struct ServedDefaultBench : sim::ServedBench {
  ServedDefaultBench() {
    sim::BenchOptions options;
    options.dataFolder = Scratch("served").string();
    bench = sim::Bench::Open("default", clock, options);
    sim::ConformanceDevices::AttachTo(bench->SimulatedBus());
  }
  Gpib488& Bus() override { return bench->Bus(); }
  EventLoop& Clock() override { return clock; }
  RealEventLoop clock;
  std::unique_ptr<sim::Bench> bench;
};

// One back end in process: its driver and whatever serves it.
struct Route {
  std::string name;
  std::unique_ptr<Gpib488> driver;
  std::unique_ptr<sim::ServedBench> local;
  std::unique_ptr<sim::EmulatorServer> server;
  std::atomic<bool> stop{false};
  std::thread serving;
  Gpib488& Driver() { return driver ? *driver : local->Bus(); }
  ~Route() {
    driver.reset();
    stop = true;
    if (serving.joinable()) serving.join();
  }
};

std::unique_ptr<Route> OpenRoute(const std::string& name) {
  auto route = std::make_unique<Route>();
  route->name = name;
  std::string error;
  if (name == "simulator") {
    route->local = std::make_unique<ServedDefaultBench>();
  } else if (name == "board library") {
    route->driver = BoardLibrary::Load(0, VERIDANE_SIM_GPIB_LIBRARY, BoardLibraryOptions{}, error);
  } else if (name == "VISA library") {
    route->driver = VisaLibrary::Load(0, VERIDANE_SIM_VISA_LIBRARY, VisaLibraryOptions{}, error);
  } else {
    const bool tcp = name == "Prologix TCP";
    route->server = std::make_unique<sim::EmulatorServer>([] { return std::make_unique<ServedDefaultBench>(); });
    if (tcp ? route->server->ListenTcp(0, error) : route->server->OpenPty(error)) {
      Route* r = route.get();
      route->serving = std::thread([r] { r->server->Serve(-1, [r] { return r->stop.load(); }); });
      route->driver = OpenPrologix(tcp ? "prologix-tcp:127.0.0.1:" + std::to_string(route->server->TcpPort())
                                       : "prologix:" + route->server->PtyPath(),
                                   error);
    }
  }
  if (!error.empty()) std::cerr << name << ": " << error << "\n";
  return route;
}

// Queries per second: "*IDN?" and its 18-byte answer, for `seconds`.
double QueriesPerSecond(Gpib488& driver, double seconds) {
  const int ud = driver.ibdev(0, sim::ConformanceDevices::kEchoAddress, 0, 11, 1, 0);
  int count = 0;
  const double start = Seconds();
  while (Seconds() - start < seconds) {
    driver.ibwrt(ud, "*IDN?");
    std::string buffer(512, '\0');
    driver.ibrd(ud, buffer);
    if (driver.Status().ibsta & kErr) return 0;
    ++count;
  }
  return count / (Seconds() - start);
}

// Bytes per second: a 64 KiB binary block echoed back, counting both ways.
double BytesPerSecond(Gpib488& driver, double seconds) {
  const int ud = driver.ibdev(0, sim::ConformanceDevices::kEchoAddress, 0, 12, 1, 0);
  std::string data;
  for (int i = 0; i < 65536; ++i) data += static_cast<char>(i % 251);
  const std::string block = "#565536" + data;
  double bytes = 0;
  const double start = Seconds();
  while (Seconds() - start < seconds) {
    driver.ibwrt(ud, block);
    for (;;) {
      std::string buffer(4096, '\0');
      driver.ibrd(ud, buffer);
      if (driver.Status().ibsta & kErr) return 0;
      bytes += driver.Status().ibcntl;
      if (driver.Status().ibsta & kEnd) break;
    }
    bytes += static_cast<double>(block.size());
  }
  return bytes / (Seconds() - start);
}

// A headless run of the built program; the environment gives it its own home and settings.
std::map<std::string, std::string> ProgramHome(const std::string& name, const std::map<std::string, std::string>& settings) {
  const fs::path home = Scratch("home-" + std::to_string(std::hash<std::string>{}(name)));
  fs::create_directories(home / "config" / "Veridane");
  std::ofstream ini(home / "config" / "Veridane" / "Veridane.ini");
  ini << "[Settings]\nSkipSplash=1\n";
  for (const auto& [key, value] : settings) ini << key << "=" << value << "\n";
  // The stand-in libraries write their bench's instrument data where the program reads it.
  if (!settings.contains("InstrumentData")) ini << "InstrumentData=" << (home / "simdata").string() << "\n";
  return {{"HOME", home.string()},
          {"XDG_DATA_HOME", (home / "data").string()},
          {"XDG_CONFIG_HOME", (home / "config").string()},
          {"XDG_RUNTIME_DIR", (home / "run").string()},
          {"NO_COLOR", "1"},
          {"VERIDANE_SIM_BENCH", "default"},
          {"VERIDANE_SIM_DATA", (home / "simdata").string()}};
}

// Seconds from starting the program to its first prompt (on stderr, with the answer given).
double StartupSeconds(const std::string& bench, const std::map<std::string, std::string>& settings) {
  const double start = Seconds();
  testing::ChildProcess run(VERIDANE_PROGRAM, {"--headless", "--bench", bench, "--run", "offset"},
                            ProgramHome(bench, settings), "/proc/self/fd/1");
  std::string line;
  while (run.ReadLine(line, 60)) {
    if (line.find("] -> ") != std::string::npos) return Seconds() - start;
  }
  return -1;
}

// The program's own share of a Full Sequence: its wall time on the simulated bench, where
// every wait is virtual, against the waits (the trace's last time stamp, on the run's clock).
double OwnShareOfFullSequence(double& wallSeconds, double& waitedSeconds) {
  const fs::path trace = Scratch("trace") / "full.trace";
  const double start = Seconds();
  testing::ChildProcess run(VERIDANE_PROGRAM, {"--headless", "--bench", "sim", "--run", "full", "--trace", trace.string()},
                            ProgramHome("full", {}));
  std::string output;
  run.Finish(output, 600);
  wallSeconds = Seconds() - start;
  std::ifstream in(trace);
  std::string line, last;
  while (std::getline(in, line))
    if (!line.empty() && (line[0] == ' ' || std::isdigit(static_cast<unsigned char>(line[0])))) last = line;
  waitedSeconds = std::atof(last.c_str());
  return wallSeconds / (wallSeconds + waitedSeconds);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 2.0;
  bool driverOnly = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--driver-only") {
      driverOnly = true;
    } else {
      seconds = std::atof(argv[i]);
    }
  }
  constexpr int kRuns = 3;
  ::setenv(sim::ConformanceDevices::kEnvironment, "1", 1);
  ::setenv("VERIDANE_SIM_BENCH", "default", 1);
  ::setenv("VERIDANE_SIM_DATA", Scratch("stand-ins").c_str(), 1);

  // The emulator as a separate process, for the program's start-up over both links.
  testing::ChildProcess emulator(VERIDANE_EMULATOR, {"--bench", "default", "--announce", "", "--data",
                                                      Scratch("emulator").string()});
  std::string tcp, pty, data, line;
  while (emulator.ReadLine(line, 20) && line != "ready") {
    if (line.starts_with("tcp ")) tcp = line.substr(4);
    if (line.starts_with("pty ")) pty = line.substr(4);
    if (line.starts_with("data ")) data = line.substr(5);
  }
  const std::map<std::string, std::pair<std::string, std::map<std::string, std::string>>> startups = {
      {"simulator", {"sim", {}}},
      {"board library", {"gpib:0", {{"GpibLibrary", VERIDANE_SIM_GPIB_LIBRARY}}}},
      {"VISA library", {"visa:GPIB0", {{"VisaLibrary", VERIDANE_SIM_VISA_LIBRARY}}}},
      {"Prologix TCP", {"prologix-tcp:" + tcp, {{"InstrumentData", data}}}},
      {"Prologix pty", {"prologix:" + pty, {{"InstrumentData", data}}}},
  };

  const std::vector<std::string> names = {"simulator", "board library", "VISA library", "Prologix TCP", "Prologix pty"};
  std::map<std::string, std::pair<double, double>> speeds;
  for (const std::string& name : names) {
    std::vector<double> queries, bytes;
    for (int run = 0; run < kRuns; ++run) {
      std::unique_ptr<Route> route = OpenRoute(name);
      queries.push_back(QueriesPerSecond(route->Driver(), seconds / kRuns));
      bytes.push_back(BytesPerSecond(route->Driver(), seconds / kRuns));
    }
    speeds[name] = {Median(queries), Median(bytes)};
  }
  if (driverOnly) {
    std::printf("| Back end | Queries/s | Bytes/s |\n|---|---:|---:|\n");
    for (const std::string& name : names) {
      std::printf("| %s | %.0f | %.2f MB/s |\n", name.c_str(), speeds[name].first, speeds[name].second / 1e6);
    }
    std::error_code ignored;
    fs::remove_all(fs::temp_directory_path() / ("veridane-backend-benchmark-" + std::to_string(::getpid())), ignored);
    return 0;
  }
  // The program starts on the plain default bench, as a technician's would be.
  ::unsetenv(sim::ConformanceDevices::kEnvironment);
  std::printf("| Back end | Queries/s | Bytes/s | Start-up to first prompt |\n|---|---:|---:|---:|\n");
  for (const std::string& name : names) {
    const auto& [bench, settings] = startups.at(name);
    const double startup = StartupSeconds(bench, settings);
    std::printf("| %s | %.0f | %.2f MB/s | %.2f s |\n", name.c_str(), speeds[name].first, speeds[name].second / 1e6,
                startup);
    std::fflush(stdout);
  }
  double wall = 0, waited = 0;
  const double share = OwnShareOfFullSequence(wall, waited);
  std::printf("\nFull Sequence on the simulated bench: %.2f s of the program's own work, %.0f s of prescribed waits: "
              "%.2f %% is the program's own.\n",
              wall, waited, share * 100);
  std::error_code ignored;
  fs::remove_all(fs::temp_directory_path() / ("veridane-backend-benchmark-" + std::to_string(::getpid())), ignored);
  return 0;
}
