// The board library back end, loaded through dlopen from stand-in libraries of both flavours.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include "gpib/backends/board_library.h"
#include "gpib/backends/real_backends.h"
#include "gpib/bus/gpib_bus.h"
#include "test/support/scripted_operator.h"

namespace veridane {
namespace {

namespace fs = std::filesystem;

// The stand-in library's script functions, reached through the same file the back end loads.
class FakeLibrary {
 public:
  explicit FakeLibrary(const char* path, int board = 0) : handle_(::dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
    if (!handle_) ADD_FAILURE() << ::dlerror();
    Get("fake_gpib_reset", reset_);
    Get("fake_gpib_add_listener", addListener_);
    Get("fake_gpib_queue_answer", queueAnswer_);
    Get("fake_gpib_set_poll", setPoll_);
    Get("fake_gpib_log", log_);
    reset_(board);
  }
  ~FakeLibrary() {
    if (handle_) ::dlclose(handle_);
  }
  void Listen(int pad) { addListener_(pad); }
  void Answer(int pad, const std::string& text) { queueAnswer_(pad, text.data(), static_cast<long>(text.size())); }
  void Poll(int pad, int byte) { setPoll_(pad, byte); }
  std::string Log() const {
    std::string out(1 << 16, '\0');
    out.resize(static_cast<size_t>(log_(out.data(), static_cast<long>(out.size()))));
    return out;
  }

 private:
  template <typename T>
  void Get(const char* name, T& slot) {
    slot = handle_ ? reinterpret_cast<T>(::dlsym(handle_, name)) : nullptr;
    if (!slot) ADD_FAILURE() << "stand-in library lacks " << name;
  }
  void* handle_;
  void (*reset_)(int) = nullptr;
  void (*addListener_)(int) = nullptr;
  void (*queueAnswer_)(int, const char*, long) = nullptr;
  void (*setPoll_)(int, int) = nullptr;
  long (*log_)(char*, long) = nullptr;
};

// A folder standing in for /dev, with the device files of the boards given.
struct DeviceFolder {
  explicit DeviceFolder(std::initializer_list<int> boards) {
    path = fs::temp_directory_path() / ("veridane_dev_" + std::to_string(::getpid()));
    fs::create_directories(path);
    for (int b : boards) std::ofstream(path / ("gpib" + std::to_string(b)));
  }
  ~DeviceFolder() { fs::remove_all(path); }
  BoardLibraryOptions Options() const {
    BoardLibraryOptions options;
    options.deviceFolder = path.string();
    return options;
  }
  fs::path path;
};

std::vector<int16_t> AllAddresses() {
  std::vector<int16_t> list;
  for (int16_t a = 0; a <= 30; ++a) list.push_back(a);
  list.push_back(kNoAddr);
  return list;
}

bool Has(const Gpib488& d, int32_t bits) { return (d.Status().ibsta & bits) == bits; }

TEST(BoardLibrary, LinuxGpibConversationWithPartialReadsTimeoutsAndPolls) {
  FakeLibrary fake(FAKE_LINUX_LIB);
  fake.Listen(5);
  fake.Listen(9);
  fake.Answer(5, "TDS 340\r\n");
  fake.Poll(5, 0x50);
  DeviceFolder dev{0};
  std::string error;
  auto driver = OpenBoardLibrary(0, FAKE_LINUX_LIB, dev.Options(), error);
  ASSERT_TRUE(driver);
  ASSERT_EQ(error, "");
  EXPECT_FALSE(dynamic_cast<BoardLibrary&>(*driver).IsNi());

  std::vector<int16_t> results(15, -7);
  driver->FindLstn(0, AllAddresses(), results, 15);
  EXPECT_FALSE(Has(*driver, kErr));
  EXPECT_EQ(driver->Status().ibcntl, 3);
  EXPECT_EQ(std::vector<int16_t>(results.begin(), results.begin() + 4), (std::vector<int16_t>{0, 5, 9, 0}));

  int ud = driver->ibdev(0, 5, 0, 11, 1, 0);
  EXPECT_GT(ud, 0);
  EXPECT_EQ(driver->Status().ibsta, kCmpl) << "status from the per-thread functions, not the stale globals";
  driver->ibwrt(ud, "ID?");
  EXPECT_EQ(driver->Status().ibcntl, 3);

  std::string buffer(4, '#');
  driver->ibrd(ud, buffer);
  EXPECT_EQ(buffer, "TDS ");
  EXPECT_FALSE(Has(*driver, kEnd));
  buffer.assign(8, '#');
  driver->ibrd(ud, buffer);
  EXPECT_EQ(buffer, "340\r\n###") << "the rest of the buffer keeps its content";
  EXPECT_TRUE(Has(*driver, kEnd));
  EXPECT_EQ(driver->Status().ibcntl, 5);
  driver->ibrd(ud, buffer);
  EXPECT_TRUE(Has(*driver, kErr | kTimo));
  EXPECT_EQ(driver->Status().iberr, kEabo);

  driver->ibtmo(ud, 13);
  int code = 0;
  driver->ibask(ud, kIbaTmo, code);
  EXPECT_EQ(code, 13);
  uint8_t poll = 0;
  driver->ibrsp(ud, poll);
  EXPECT_EQ(poll, 0x50);
  driver->ibpad(ud, 9);
  driver->ibclr(ud);
  EXPECT_FALSE(Has(*driver, kErr));

  std::string log = fake.Log();
  for (const char* line : {"ibdev 0 5 0 11 1 0\n", "ibwrt 32 ID?\n", "ibrd 32 4\n", "ibtmo 32 13\n", "ibask 32 3\n",
                           "ibrsp 32\n", "ibpad 32 9\n", "ibclr 32\n"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line << " missing from\n" << log;
  }
}

TEST(BoardLibrary, NiFlavourGoesThroughIbconfigTheAFileFunctionsAndTheGlobals) {
  FakeLibrary fake(FAKE_NI_LIB);
  fake.Listen(5);
  fake.Answer(5, "CURVE 1,2,3\n");
  DeviceFolder dev{};  // NI's library needs no linux-gpib device file
  std::string error;
  auto driver = OpenBoardLibrary(0, FAKE_NI_LIB, dev.Options(), error);
  ASSERT_EQ(error, "");
  EXPECT_TRUE(dynamic_cast<BoardLibrary&>(*driver).IsNi());

  std::vector<int16_t> results(15, -7);
  driver->FindLstn(0, AllAddresses(), results, 15);
  EXPECT_EQ(std::vector<int16_t>(results.begin(), results.begin() + 3), (std::vector<int16_t>{0, 5, 0}))
      << "the library's NOADDR end mark becomes the 0 the program stops at";

  int ud = driver->ibdev(0, 5, 0, 11, 1, 0);
  driver->ibtmo(ud, 13);
  driver->ibpad(ud, 5);
  EXPECT_EQ(driver->Status().ibsta, kCmpl);

  fs::path file = fs::temp_directory_path() / ("veridane_ni_" + std::to_string(::getpid()));
  driver->ibrdf(ud, file.string());
  EXPECT_TRUE(Has(*driver, kEnd));
  EXPECT_EQ(driver->Status().ibcntl, 12);
  std::ifstream in(file, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "CURVE 1,2,3\n");
  driver->ibwrtf(ud, file.string());
  fs::remove(file);

  driver->ibrdf(ud, (file / "no" / "such" / "folder").string());
  EXPECT_TRUE(Has(*driver, kErr));
  EXPECT_EQ(driver->Status().iberr, kEfso) << "errors come through the global status too";

  std::string log = fake.Log();
  for (std::string line : {"ibconfig 32 3 13\n", "ibconfig 32 1 5\n", "ibrdfA 32 ", "ibwrtfA 32 CURVE 1,2,3\n"}) {
    EXPECT_NE(log.find(line), std::string::npos) << line << " missing from\n" << log;
  }
}

TEST(BoardLibrary, TheProgramsBoardZeroIsTheBenchsBoard) {
  FakeLibrary fake(FAKE_LINUX_LIB, 1);
  fake.Listen(3);
  DeviceFolder dev{1};
  std::string error;
  auto driver = OpenBoardLibrary(1, FAKE_LINUX_LIB, dev.Options(), error);
  ASSERT_EQ(error, "");
  driver->SendIFC(0);
  driver->ibsre(0, 1);
  EXPECT_GT(driver->ibdev(0, 3, 0, 11, 1, 0), 0);
  driver->DevClear(0, 3);
  EXPECT_FALSE(Has(*driver, kErr));
  driver->SendIFC(1);
  EXPECT_TRUE(Has(*driver, kErr));
  EXPECT_EQ(driver->Status().iberr, kEneb);
  EXPECT_EQ(fake.Log(), "SendIFC 1\nibsre 1 1\nibdev 1 3 0 11 1 0\nDevClear 1 3\n")
      << "a board the bench does not have never reaches the library";
}

TEST(BoardLibrary, TheBusLayerFindsAndQueriesADeviceThroughTheLibrary) {
  FakeLibrary fake(FAKE_LINUX_LIB);
  fake.Listen(7);
  fake.Answer(7, "ID TEK/TDS 340,CF:91.1CT FV:v1.00\n");
  fake.Answer(7, "4.0E-3\n");
  DeviceFolder dev{0};
  std::string error;
  auto driver = OpenBoardLibrary(0, FAKE_LINUX_LIB, dev.Options(), error);
  ASSERT_EQ(error, "");
  testing::ScriptedOperator technician;
  VirtualClock clock;
  GpibBus bus(*driver, technician, clock);
  bus.GpibInit(1);
  int16_t scope = bus.FindDevice("ID?", "TDS 340");
  ASSERT_NE(scope, 0);
  EXPECT_EQ(bus.GpibQuery(scope, "CH1:SCA?"), "4.0E-3");
  EXPECT_TRUE(technician.Prompts().empty());
}

TEST(BoardLibrary, UnusableLibrariesSayWhatToDoAndActAsAMissingBoard) {
  DeviceFolder dev{};
  std::string error;

  auto missing = OpenBoardLibrary(0, "/nonexistent/libgpib.so.0", dev.Options(), error);
  ASSERT_TRUE(missing);
  EXPECT_NE(error.find("\"/nonexistent/libgpib.so.0\" cannot be loaded"), std::string::npos) << error;
  EXPECT_NE(error.find("Install linux-gpib"), std::string::npos) << error;
  EXPECT_NE(error.find("GpibLibrary"), std::string::npos) << error;
  missing->SendIFC(0);
  EXPECT_EQ(missing->Status().ibsta & kErr, kErr);
  EXPECT_EQ(missing->Status().iberr, kEneb);
  EXPECT_EQ(missing->ibdev(0, 1, 0, 11, 1, 0), -1);

  BoardLibraryOptions none = dev.Options();
  none.candidates = {"libveridane-no-such-gpib.so.0", "libveridane-no-such-ni.so"};
  OpenBoardLibrary(0, "", none, error);
  EXPECT_NE(error.find("No GPIB library was found (looked for libveridane-no-such-gpib.so.0, "
                       "libveridane-no-such-ni.so)"),
            std::string::npos)
      << error;

  OpenBoardLibrary(0, FAKE_INCOMPLETE_LIB, dev.Options(), error);
  EXPECT_NE(error.find("is not a usable GPIB library: it lacks ibclr,"), std::string::npos) << error;
  EXPECT_NE(error.find("FindLstn"), std::string::npos) << error;

  FakeLibrary fake(FAKE_LINUX_LIB);
  auto noDevice = OpenBoardLibrary(0, FAKE_LINUX_LIB, dev.Options(), error);
  ASSERT_TRUE(noDevice);
  EXPECT_NE(error.find("no device file " + (dev.path / "gpib0").string()), std::string::npos) << error;
  EXPECT_NE(error.find("gpib_config"), std::string::npos) << error;
  std::vector<int16_t> results(15);
  noDevice->FindLstn(0, AllAddresses(), results, 15);
  EXPECT_EQ(noDevice->Status().iberr, kEneb);
  EXPECT_EQ(fake.Log(), "") << "nothing reaches a library whose board cannot be used";

  EXPECT_FALSE(OpenBoardLibrary(16, FAKE_LINUX_LIB, dev.Options(), error));
  EXPECT_NE(error.find("boards are numbered 0 to 15"), std::string::npos) << error;
}

TEST(BoardLibrary, DeviceFileMessagesNameTheGroupToJoin) {
  std::string denied = BoardDeviceMessage("/dev/gpib0", EACCES, "uucp");
  EXPECT_NE(denied.find("group \"uucp\" (sudo usermod -aG uucp $USER)"), std::string::npos) << denied;
  std::string unknownGroup = BoardDeviceMessage("/dev/gpib0", EPERM, "");
  EXPECT_NE(unknownGroup.find("group \"gpib\""), std::string::npos) << unknownGroup;
  EXPECT_NE(BoardDeviceMessage("/dev/gpib2", ENOENT, "").find("no device file /dev/gpib2"), std::string::npos);
}

}  // namespace
}  // namespace veridane
