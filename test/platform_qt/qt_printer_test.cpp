// The Qt printer writing real PDF files, read back with the poppler tools.
#include "platform_qt/qt_printer.h"

#include <QGuiApplication>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace veridane {
namespace {

namespace fs = std::filesystem;

std::string Output(const std::string& command) {
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  if (!pipe) return out;
  std::array<char, 4096> buffer;
  while (size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) out.append(buffer.data(), n);
  return out;
}

bool HavePoppler() { return std::system("command -v pdftotext >/dev/null 2>&1 && command -v pdfinfo >/dev/null 2>&1") == 0; }

class QtPrinterTest : public ::testing::Test {
 protected:
  QtPrinterTest() : folder(fs::temp_directory_path() / ("qtprinter_" + std::to_string(::getpid()))) {
    fs::create_directories(folder);
  }
  ~QtPrinterTest() override { fs::remove_all(folder); }
  fs::path folder;
};

TEST_F(QtPrinterTest, PdfHoldsTheTextOnItsPages) {
  if (!HavePoppler()) GTEST_SKIP() << "pdftotext/pdfinfo missing (scripts/setup.sh installs them)";
  std::string pdf = (folder / "out.pdf").string();
  QtPrinter printer;
  ASSERT_TRUE(printer.SetTarget({"", pdf}));
  EXPECT_EQ(printer.DeviceName(), pdf);
  printer.SetFont(PrinterFont{});
  printer.SetCurrentX(20);
  printer.SetCurrentY(20);
  ASSERT_TRUE(printer.Print("Offset at Zero \xB1 5 \xB5V")) << printer.Error();
  EXPECT_GT(printer.CurrentX(), 20);
  ASSERT_TRUE(printer.NewPage()) << printer.Error();
  printer.SetCurrentX(20);
  printer.SetCurrentY(20);
  ASSERT_TRUE(printer.Print("second page")) << printer.Error();
  ASSERT_TRUE(printer.EndDoc()) << printer.Error();

  EXPECT_NE(Output("pdfinfo '" + pdf + "'").find("Pages:           2"), std::string::npos);
  std::string text = Output("pdftotext -layout '" + pdf + "' -");
  EXPECT_NE(text.find("Offset at Zero \xC2\xB1 5 \xC2\xB5V"), std::string::npos) << text;
  EXPECT_NE(text.find("second page"), std::string::npos) << text;
  EXPECT_NE(text.find('\f'), std::string::npos);  // the page break
}

TEST_F(QtPrinterTest, UnwritablePdfAndUnknownPrinterAreReported) {
  QtPrinter printer;
  EXPECT_FALSE(printer.SetTarget({"No Such Printer 4711", ""}));
  EXPECT_NE(printer.Error().find("No Such Printer 4711"), std::string::npos);

  std::string pdf = (folder / "missing" / "out.pdf").string();
  ASSERT_TRUE(printer.SetTarget({"", pdf}));
  bool printed = printer.Print("x");
  bool ended = printer.EndDoc();
  EXPECT_FALSE(printed && ended);
  EXPECT_FALSE(printer.Error().empty());
  EXPECT_FALSE(fs::exists(pdf));
  EXPECT_TRUE(printer.EndDoc());  // nothing left open
}

// A disk that fills up under the PDF: the process's file-size limit stands in for it (the
// write that crosses it is cut short and the next one fails, as on a full disk).
TEST_F(QtPrinterTest, PdfCutShortByAFullDiskIsReportedAndRemoved) {
  std::string pdf = (folder / "full.pdf").string();
  QtPrinter printer;
  ASSERT_TRUE(printer.SetTarget({"", pdf}));
  printer.SetFont(PrinterFont{});
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto* previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  bool printed = printer.Print("Offset at Zero \xB1 5 \xB5V");
  bool ended = printer.EndDoc();
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_FALSE(printed && ended);
  EXPECT_NE(printer.Error().find(pdf), std::string::npos) << printer.Error();
  EXPECT_FALSE(fs::exists(pdf));

  // A device given as the file is not written to, and stays.
  ASSERT_TRUE(printer.SetTarget({"", "/dev/full"}));
  printed = printer.Print("x");
  ended = printer.EndDoc();
  EXPECT_FALSE(printed && ended);
  EXPECT_TRUE(fs::exists("/dev/full"));
}

}  // namespace
}  // namespace veridane

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QGuiApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
