// A report printed to a PDF file through the Qt printer, read back with the poppler tools.
#include <QGuiApplication>
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "log/print_report.h"
#include "platform_qt/qt_printer.h"
#include "test/support/scripted_operator.h"

namespace veridane {
namespace {

std::string Output(const std::string& command) {
  std::string out;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
  if (!pipe) return out;
  std::array<char, 4096> buffer;
  while (size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) out.append(buffer.data(), n);
  return out;
}

// pdftotext spaces the columns by the font's metrics, not by characters; compare words.
std::string OneBlank(const std::string& text) {
  std::string out;
  for (char c : text)
    if (c != ' ' || out.empty() || out.back() != ' ') out += c;
  return out;
}

TEST(PrintToPdf, TheTableIsInThePdfWithItsPageBreaks) {
  if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftotext missing (scripts/setup.sh installs it)";
  auto folder = std::filesystem::temp_directory_path() / ("printpdf_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::string pdf = (folder / "report.pdf").string();

  std::string text;
  for (int i = 1; i <= 49; ++i) text += "  CH1     " + std::to_string(i) + " mV      \xB1 0.4 mV    PASS\r\n";
  QtPrinter printer;
  PresetPrintDialog dialog(PrintChoice{{"", pdf}, 1});
  testing::ScriptedOperator technician;
  ASSERT_TRUE(PrintStart(printer, dialog, technician, text));

  std::string page1 = OneBlank(Output("pdftotext -f 1 -l 1 -layout '" + pdf + "' -"));
  std::string page2 = OneBlank(Output("pdftotext -f 2 -l 2 -layout '" + pdf + "' -"));
  EXPECT_NE(page1.find("CH1 1 mV \xC2\xB1 0.4 mV PASS"), std::string::npos) << page1;
  EXPECT_NE(page1.find(" 48 mV"), std::string::npos);
  EXPECT_EQ(page1.find(" 49 mV"), std::string::npos);
  EXPECT_NE(page1.find("Page 1 of 2"), std::string::npos);
  EXPECT_NE(page2.find("CH1 49 mV"), std::string::npos) << page2;
  EXPECT_NE(page2.find("Page 2 of 2"), std::string::npos);
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace veridane

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QGuiApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
