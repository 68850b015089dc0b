// The board library made of the simulator, loaded by the program's board back end exactly as
// a vendor's library is.
#include <stdlib.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "gpib/backends/board_library.h"

namespace veridane {
namespace {

TEST(SimulatedGpibLibrary, ServesTheBenchNamedInTheEnvironmentAsBoardZero) {
  ::setenv("VERIDANE_SIM_BENCH", "tds380", 1);
  std::string error;
  std::unique_ptr<BoardLibrary> library = BoardLibrary::Load(0, SIM_GPIB_LIBRARY, BoardLibraryOptions{}, error);
  ASSERT_TRUE(library) << error;
  EXPECT_TRUE(library->IsNi()) << "no device file may be needed";

  std::vector<int16_t> found(31, -1);
  std::vector<int16_t> addresses;
  for (int16_t a = 1; a <= 30; ++a) addresses.push_back(a);
  addresses.push_back(kNoAddr);
  library->FindLstn(0, addresses, found, 31);
  // That bench has its scope at 20, below its instruments.
  EXPECT_EQ(found[0], 20);

  const int ud = library->ibdev(0, 20, 0, 11, 1, 0);
  ASSERT_GE(ud, 0);
  library->ibwrt(ud, "*IDN?\n");
  EXPECT_FALSE(library->Status().ibsta & kErr);
  std::string answer(200, '\0');
  library->ibrd(ud, answer);
  EXPECT_EQ(library->Status().ibsta & (kEnd | kErr), kEnd);
  answer.resize(static_cast<size_t>(library->Status().ibcntl));
  EXPECT_NE(answer.find("TDS 380"), std::string::npos) << answer;

  // Only board 0 exists, as on a PC with one board.
  std::unique_ptr<BoardLibrary> second = BoardLibrary::Load(1, SIM_GPIB_LIBRARY, BoardLibraryOptions{}, error);
  ASSERT_TRUE(second) << error;
  EXPECT_EQ(second->ibdev(0, 1, 0, 11, 1, 0), -1);
  EXPECT_EQ(second->Status().iberr, kEneb);
}

}  // namespace
}  // namespace veridane
