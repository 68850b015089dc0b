// The built program on a simulated bench reached through its real back ends: the Prologix
// emulator over TCP and over a pseudo-terminal, and the board and VISA libraries made of the
// simulator loaded through dlopen. A headless Offset at Zero and DC Voltage print the same tables as on
// the in-process simulator.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "test/e2e/backends/child_process.h"

namespace veridane::testing {
namespace {

namespace fs = std::filesystem;

// Generous: the runs wait on the real clock here, and the machine may be busy.
constexpr double kRunSeconds = 600;
constexpr double kStartSeconds = 20;
const std::vector<std::string> kRun = {"--headless", "--run", "offset,dcv"};

class Scratch {
 public:
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "veridane-realhw-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~Scratch() {
    std::error_code error;
    if (!path_.empty()) fs::remove_all(path_, error);
  }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

struct RunResult {
  int exitCode = -1;
  std::string tables;
  std::string messages;
};

std::string ReadAll(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A headless run with its own home, settings (section Settings) and environment, started at
// once so that several runs wait on the real clock side by side.
class ProgramRun {
 public:
  ProgramRun(const std::string& bench, const std::map<std::string, std::string>& settings,
             std::map<std::string, std::string> env = {}) {
    const fs::path config = home_.Path() / "config" / "Veridane";
    fs::create_directories(config);
    {
      std::ofstream ini(config / "Veridane.ini");
      ini << "[Settings]\nSkipSplash=1\n";
      for (const auto& [key, value] : settings) ini << key << "=" << value << "\n";
    }
    env["HOME"] = home_.Path().string();
    env["XDG_DATA_HOME"] = (home_.Path() / "data").string();
    env["XDG_CONFIG_HOME"] = (home_.Path() / "config").string();
    env["XDG_RUNTIME_DIR"] = (home_.Path() / "run").string();
    env["NO_COLOR"] = "1";
    std::vector<std::string> args = kRun;
    args.push_back("--bench");
    args.push_back(bench);
    process_ = std::make_unique<ChildProcess>(VERIDANE_PROGRAM, args, env, (home_.Path() / "messages.txt").string());
  }
  RunResult Finish() {
    RunResult result;
    result.exitCode = process_->Finish(result.tables, kRunSeconds);
    result.messages = ReadAll(home_.Path() / "messages.txt");
    return result;
  }

 private:
  Scratch home_;
  std::unique_ptr<ChildProcess> process_;
};

// An emulator serving the default bench on one link ("--no-pty" or "--no-tcp"), and what it
// announced, all inside a scratch folder (it is killed, and leaves nothing behind). Each run gets its own: two programs on one bench would set each other's scope.
struct Emulator {
  explicit Emulator(const std::string& without)
      : process(VERIDANE_EMULATOR, {"--bench", "default", without, "--data", (folder.Path() / "data").string(), "--announce",
                                    (folder.Path() / "veridane-adapters").string(), "--lifetime",
                                    std::to_string(static_cast<int>(kRunSeconds * 2))}) {
    std::string line;
    while (process.ReadLine(line, kStartSeconds)) {
      if (line.starts_with("tcp ")) tcp = line.substr(4);
      if (line.starts_with("pty ")) pty = line.substr(4);
      if (line.starts_with("data ")) data = line.substr(5);
      if (line == "ready") {
        ready = true;
        break;
      }
    }
  }
  Scratch folder;
  ChildProcess process;
  bool ready = false;
  std::string tcp, pty, data;
};

// The runs on a real link wait on the real clock (the settling times of the tests, the
// detection's time-outs): a few minutes each, so all of them run at the same time.
TEST(RealBackEnds, EveryBackEndPrintsTheSimulatorsTables) {
  Emulator overTcp("--no-pty");
  Emulator overPty("--no-tcp");
  ASSERT_TRUE(overTcp.ready && !overTcp.tcp.empty());
  ASSERT_TRUE(overPty.ready && !overPty.pty.empty());
  Scratch boardData;
  ProgramRun reference("sim", {});
  // The network adapter written as labs write it in VISA.
  const std::string host = overTcp.tcp.substr(0, overTcp.tcp.find(':'));
  const std::string port = overTcp.tcp.substr(overTcp.tcp.find(':') + 1);
  ProgramRun tcp("TCPIP0::" + host + "::" + port + "::SOCKET", {{"InstrumentData", overTcp.data}});
  ProgramRun pty("prologix:" + overPty.pty, {{"InstrumentData", overPty.data}});
  ProgramRun board("gpib:0", {{"GpibLibrary", VERIDANE_SIM_GPIB_LIBRARY}, {"InstrumentData", boardData.Path().string()}},
                   {{"VERIDANE_SIM_BENCH", "default"}, {"VERIDANE_SIM_DATA", boardData.Path().string()}});
  Scratch visaData;
  ProgramRun visa("visa:GPIB0", {{"VisaLibrary", VERIDANE_SIM_VISA_LIBRARY}, {"InstrumentData", visaData.Path().string()}},
                  {{"VERIDANE_SIM_BENCH", "default"}, {"VERIDANE_SIM_DATA", visaData.Path().string()}});

  const RunResult expected = reference.Finish();
  ASSERT_EQ(expected.exitCode, 0) << expected.messages;
  ASSERT_NE(expected.tables.find("PASS"), std::string::npos) << expected.tables;
  for (auto [how, run] : {std::pair{"TCPIP0::...::SOCKET", &tcp}, {"prologix", &pty}, {"gpib:0", &board}, {"visa:GPIB0", &visa}}) {
    const RunResult result = run->Finish();
    EXPECT_EQ(result.exitCode, expected.exitCode) << how << ":\n" << result.messages;
    EXPECT_EQ(result.tables, expected.tables) << how << ":\n" << result.messages;
  }
}

TEST(RealBackEnds, AMissingLibraryIsNamedAndTheRunEndsWithoutACrash) {
  const RunResult run = ProgramRun("gpib:0", {{"GpibLibrary", "/nonexistent/libgpib.so.0"}}).Finish();
  EXPECT_TRUE(run.exitCode == 3 || run.exitCode == 4) << run.exitCode << "\n" << run.messages;
  EXPECT_NE(run.messages.find("/nonexistent/libgpib.so.0"), std::string::npos) << run.messages;
  EXPECT_NE(run.messages.find("GpibLibrary"), std::string::npos) << run.messages;
}

TEST(RealBackEnds, ListAdaptersFindsTheEmulatorsPseudoTerminalAndTheLibrary) {
  Emulator emulator("--no-tcp");
  ASSERT_TRUE(emulator.ready && !emulator.pty.empty());
  Scratch home;
  fs::create_directories(home.Path() / "config" / "Veridane");
  std::ofstream(home.Path() / "config" / "Veridane" / "Veridane.ini")
      << "[Settings]\nGpibLibrary=" << VERIDANE_SIM_GPIB_LIBRARY << "\n";
  // The emulator announced itself in its own runtime folder, where the program looks.
  const std::string runtime = emulator.folder.Path().string();
  ChildProcess list(VERIDANE_PROGRAM, {"--list-adapters"},
                    {{"HOME", home.Path().string()}, {"XDG_CONFIG_HOME", (home.Path() / "config").string()},
                     {"XDG_RUNTIME_DIR", runtime}});
  std::string output;
  EXPECT_EQ(list.Finish(output, kStartSeconds * 3), 0);
  EXPECT_NE(output.find("prologix:" + emulator.pty + "\tPrologix"), std::string::npos) << output;
  EXPECT_NE(output.find("gpib:0\tGPIB board 0 through " + std::string(VERIDANE_SIM_GPIB_LIBRARY)), std::string::npos)
      << output;
}

}  // namespace
}  // namespace veridane::testing
