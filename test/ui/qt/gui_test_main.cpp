// Widget tests need one QApplication for the whole run. They run on the offscreen platform
// unless told otherwise: no windows flash up on a developer's screen, and the build's test
// discovery (which runs this program without ctest's environment) works without a display.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
