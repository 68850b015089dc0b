// The driver interface as every back end must keep it, checked the same way on each: the
// simulator in process, the board library and the VISA library made of the simulator (through
// dlopen, as a vendor's), and the Prologix emulator over TCP and over a pseudo-terminal, the
// emulator also sending every answer in pieces cut at awkward bytes (after a byte 4, inside a
// block's "#<n>"), where a reader that trusts where a piece ends takes data for the end. Each
// serves the default bench with the conformance devices (sim/bus/conformance_devices.h).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "gpib/backends/board_library.h"
#include "gpib/backends/real_backends.h"
#include "gpib/backends/visa_library.h"
#include "platform/event_loop.h"
#include "sim/bench/bench.h"
#include "sim/bus/conformance_devices.h"
#include "sim/prologix_emulator/emulator_server.h"

namespace veridane::testing {
namespace {

using sim::ConformanceDevices;
enum class Route { kSimulator, kBoardLibrary, kVisaLibrary, kPrologixTcp, kPrologixPty, kTcpInPieces, kPtyInPieces };

constexpr int kScope = 1;
constexpr int kEmpty = 29;
// Timeout codes: 300 ms for what must time out, 3 s for what must not.
constexpr int kShort = 10;
constexpr int kLong = 12;

std::string DataFolder() {
  static const std::string folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "veridane-conformance-XXXXXX").string();
    return ::mkdtemp(pattern.data()) ? pattern : std::string("/tmp");
  }();
  return folder;
}

// A default bench with the conformance devices, on its own real clock (the server's benches).
struct ServedDefaultBench : sim::ServedBench {
  ServedDefaultBench() {
    sim::BenchOptions options;
    options.dataFolder = DataFolder();
    bench = sim::Bench::Open("default", clock, options);
    ConformanceDevices::AttachTo(bench->SimulatedBus());
  }
  Gpib488& Bus() override { return bench->Bus(); }
  EventLoop& Clock() override { return clock; }
  RealEventLoop clock;
  std::unique_ptr<sim::Bench> bench;
};

// Whatever serves the bench for one route, and the driver the program would use.
class Link {
 public:
  explicit Link(Route route) {
    ::setenv(ConformanceDevices::kEnvironment, "1", 1);
    ::setenv("VERIDANE_SIM_BENCH", "default", 1);
    ::setenv("VERIDANE_SIM_DATA", DataFolder().c_str(), 1);
    std::string error;
    switch (route) {
      case Route::kSimulator: {
        sim::BenchOptions options;
        options.dataFolder = DataFolder();
        bench_ = sim::Bench::Open("default", clock_, options);
        ConformanceDevices::AttachTo(bench_->SimulatedBus());
        return;
      }
      case Route::kBoardLibrary:
        owned_ = BoardLibrary::Load(0, VERIDANE_SIM_GPIB_LIBRARY, BoardLibraryOptions{}, error);
        break;
      case Route::kVisaLibrary:
        owned_ = VisaLibrary::Load(0, VERIDANE_SIM_VISA_LIBRARY, VisaLibraryOptions{}, error);
        break;
      case Route::kPrologixTcp:
      case Route::kPrologixPty:
      case Route::kTcpInPieces:
      case Route::kPtyInPieces: {
        sim::EmulatorMode mode;
        mode.inPieces = route == Route::kTcpInPieces || route == Route::kPtyInPieces;
        server_ = std::make_unique<sim::EmulatorServer>([] { return std::make_unique<ServedDefaultBench>(); },
                                                        sim::AdapterPersonality{}, mode);
        const bool tcp = route == Route::kPrologixTcp || route == Route::kTcpInPieces;
        const bool listening = tcp ? server_->ListenTcp(0, error) : server_->OpenPty(error);
        if (!listening) break;
        serving_ = std::thread([this] { server_->Serve(-1, [this] { return stop_.load(); }); });
        owned_ = OpenPrologix(tcp ? "prologix-tcp:127.0.0.1:" + std::to_string(server_->TcpPort())
                                  : "prologix:" + server_->PtyPath(),
                              error);
        break;
      }
    }
    EXPECT_EQ(error, "");
  }
  ~Link() {
    owned_.reset();
    stop_ = true;
    if (serving_.joinable()) serving_.join();
  }
  Gpib488* Driver() { return bench_ ? &bench_->Bus() : owned_.get(); }

 private:
  VirtualClock clock_;
  std::unique_ptr<sim::Bench> bench_;
  std::unique_ptr<sim::EmulatorServer> server_;
  std::atomic<bool> stop_{false};
  std::thread serving_;
  std::unique_ptr<Gpib488> owned_;
};

class DriverConformance : public ::testing::TestWithParam<Route> {
 protected:
  void SetUp() override {
    link_ = std::make_unique<Link>(GetParam());
    driver_ = link_->Driver();
    ASSERT_NE(driver_, nullptr);
  }
  bool Has(int32_t bits) const { return (driver_->Status().ibsta & bits) == bits; }
  // One read; the bytes it delivered.
  std::string Read(int ud, size_t size) {
    std::string buffer(size, '\0');
    driver_->ibrd(ud, buffer);
    return buffer.substr(0, static_cast<size_t>(std::max(driver_->Status().ibcntl, 0)));
  }
  // Reads in chunks until END or an error.
  std::string ReadMessage(int ud, size_t chunk) {
    std::string message;
    for (int i = 0; i < 1000; ++i) {
      message += Read(ud, chunk);
      if (Has(kErr) || Has(kEnd)) break;
    }
    return message;
  }
  std::vector<int16_t> Listeners() {
    std::vector<int16_t> addresses;
    for (int16_t pad = 0; pad <= 30; ++pad) addresses.push_back(pad);
    addresses.push_back(kNoAddr);
    std::vector<int16_t> found(15, 0);
    driver_->FindLstn(0, addresses, found, 15);
    return found;
  }

  std::unique_ptr<Link> link_;
  Gpib488* driver_ = nullptr;
};

bool Contains(const std::vector<int16_t>& list, int value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

TEST_P(DriverConformance, ListenersAreFoundAndAnAnswerEndsWithEndAlsoInParts) {
  const std::vector<int16_t> found = Listeners();
  EXPECT_FALSE(Has(kErr));
  for (int address : {kScope, ConformanceDevices::kEchoAddress, ConformanceDevices::kSlowAddress})
    EXPECT_TRUE(Contains(found, address)) << address;
  EXPECT_FALSE(Contains(found, kEmpty));

  const int scope = driver_->ibdev(0, kScope, 0, kLong, 1, 0);
  driver_->ibwrt(scope, "ID?");
  EXPECT_FALSE(Has(kErr));
  const std::string id = ReadMessage(scope, 512);
  EXPECT_TRUE(Has(kEnd));
  EXPECT_NE(id.find("TDS 340"), std::string::npos) << id;

  const int echo = driver_->ibdev(0, ConformanceDevices::kEchoAddress, 0, kLong, 1, 0);
  driver_->ibwrt(echo, "*IDN?");
  EXPECT_EQ(Read(echo, 5), "VERID");
  EXPECT_FALSE(Has(kErr) || Has(kEnd)) << "a full buffer is no end";
  EXPECT_EQ(Read(echo, 100), "ANE,ECHO,0,1\n");
  EXPECT_TRUE(Has(kEnd));

  // A long answer in the bus layer's chunks.
  driver_->ibwrt(scope, "SET?");
  const std::string settings = ReadMessage(scope, 64);
  EXPECT_TRUE(Has(kEnd)) << driver_->Status().iberr;
  EXPECT_GT(settings.size(), 64u);
}

TEST_P(DriverConformance, ABinaryBlockWithEveryAwkwardByteComesBackWhole) {
  const int echo = driver_->ibdev(0, ConformanceDevices::kEchoAddress, 0, kLong, 1, 0);
  std::string data;
  for (int i = 0; i < 300; ++i) data += static_cast<char>((i * 7) % 256);
  data += std::string("\x04\n\r\x1b+\x04", 6);
  const std::string block = "#3" + std::to_string(data.size()) + data;
  driver_->ibwrt(echo, block);
  EXPECT_FALSE(Has(kErr));
  EXPECT_EQ(ReadMessage(echo, 128), block + "\n");
  EXPECT_TRUE(Has(kEnd));
}

TEST_P(DriverConformance, BlocksOfEndCharactersAndTextAfterThemComeBackWhole) {
  const int echo = driver_->ibdev(0, ConformanceDevices::kEchoAddress, 0, kLong, 1, 0);
  for (const std::string& block : {"#14" + std::string(4, '\x04'), "CURVE #210" + std::string(10, '\x04') + ";NEXT"}) {
    driver_->ibwrt(echo, block);
    EXPECT_FALSE(Has(kErr));
    EXPECT_EQ(ReadMessage(echo, 7), block + "\n");
    EXPECT_TRUE(Has(kEnd));
  }
}

TEST_P(DriverConformance, SilenceTimesOutAndTheNextMessageGoesThrough) {
  const int echo = driver_->ibdev(0, ConformanceDevices::kEchoAddress, 0, kShort, 1, 0);
  std::string buffer(16, '#');
  driver_->ibrd(echo, buffer);
  EXPECT_TRUE(Has(kErr | kTimo));
  EXPECT_EQ(driver_->Status().iberr, kEabo);
  EXPECT_EQ(buffer, std::string(16, '#')) << "nothing delivered";

  driver_->ibwrt(echo, "*IDN?");
  EXPECT_EQ(ReadMessage(echo, 64), "VERIDANE,ECHO,0,1\n");
  EXPECT_TRUE(Has(kEnd));
}

TEST_P(DriverConformance, ASlowDeviceIsWaitedForWithinTheTimeoutOnly) {
  const int slow = driver_->ibdev(0, ConformanceDevices::kSlowAddress, 0, kLong, 1, 0);
  driver_->ibwrt(slow, "*IDN?");
  EXPECT_EQ(ReadMessage(slow, 64), "VERIDANE,SLOW,0,1\n");
  EXPECT_TRUE(Has(kEnd));

  driver_->ibtmo(slow, kShort);
  driver_->ibwrt(slow, "*IDN?");
  Read(slow, 64);
  EXPECT_TRUE(Has(kErr | kTimo)) << "0.6 s is more than 300 ms";
}

TEST_P(DriverConformance, SerialPollsAnswerOrTimeOut) {
  const int echo = driver_->ibdev(0, ConformanceDevices::kEchoAddress, 0, kShort, 1, 0);
  uint8_t status = 0xFF;
  driver_->ibrsp(echo, status);
  EXPECT_FALSE(Has(kErr)) << driver_->Status().iberr;
  EXPECT_EQ(status, 0);

  const int nobody = driver_->ibdev(0, kEmpty, 0, kShort, 1, 0);
  driver_->ibrsp(nobody, status);
  EXPECT_TRUE(Has(kErr | kTimo));
  // The poll that timed out leaves nothing behind for the next one.
  driver_->ibrsp(echo, status);
  EXPECT_FALSE(Has(kErr));
}

TEST_P(DriverConformance, AVanishedDeviceIsNoLongerFound) {
  const int gone = driver_->ibdev(0, ConformanceDevices::kVanishingAddress, 0, kShort, 1, 0);
  EXPECT_TRUE(Contains(Listeners(), ConformanceDevices::kVanishingAddress));
  driver_->ibwrt(gone, "*IDN?");
  Read(gone, 64);
  EXPECT_FALSE(Contains(Listeners(), ConformanceDevices::kVanishingAddress));
  EXPECT_TRUE(Contains(Listeners(), ConformanceDevices::kEchoAddress));
}

TEST_P(DriverConformance, TheScopesWaveformComesAsAWholeBlock) {
  const int scope = driver_->ibdev(0, kScope, 0, kLong, 1, 0);
  // Two bytes a point: the low bytes of a noisy trace hold every awkward value.
  driver_->ibwrt(scope, "HEAD 0;DATA:SOU CH1;ENC RIB;WID 2;STAR 1;STOP 1000");
  driver_->ibwrt(scope, "CURVE?");
  const std::string curve = ReadMessage(scope, 512);
  EXPECT_TRUE(Has(kEnd));
  EXPECT_FALSE(Has(kErr));
  ASSERT_EQ(curve.substr(0, 6), "#42000");
  EXPECT_EQ(curve.size(), 6u + 2000u + 1u) << "the block and its line end";
  EXPECT_EQ(curve.back(), '\n');
  driver_->ibwrt(scope, "HEAD 1;DATA INIT");
}

std::string RouteName(const ::testing::TestParamInfo<Route>& info) {
  static const char* const names[] = {"Simulator",   "BoardLibrary", "VisaLibrary", "PrologixTcp",
                                      "PrologixPty", "TcpInPieces",  "PtyInPieces"};
  return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(EveryBackEnd, DriverConformance,
                         ::testing::Values(Route::kSimulator, Route::kBoardLibrary, Route::kVisaLibrary,
                                           Route::kPrologixTcp, Route::kPrologixPty, Route::kTcpInPieces,
                                           Route::kPtyInPieces),
                         RouteName);

}  // namespace
}  // namespace veridane::testing
