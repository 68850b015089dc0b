// The program's file dialogs on Qt: the classic filter texts, and the extension a saved file
// gets when the technician types a bare name.
#include <QFileDialog>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <filesystem>

#include "test/support/widget_checks.h"
#include "ui/qt/qt_file_dialogs.h"

namespace veridane::testing {
namespace {

TEST(QtFileDialogs, ClassicFiltersBecomeQtFiltersAndGiveTheDefaultExtension) {
  EXPECT_EQ(QtFilterText("Data Files (*.dat)|*.dat|All Files (*.*)|*.*"), "Data Files (*.dat);;All Files (*)");
  EXPECT_EQ(QtFilterText("GPIB Message Files (*.gmg)|*.gmg"), "GPIB Message Files (*.gmg)");
  EXPECT_EQ(QtDefaultSuffix("GPIB Message Files (*.gmg)|*.gmg"), "gmg");
  EXPECT_EQ(QtDefaultSuffix("Text (*.txt;*.lst)|*.txt;*.lst|All Files (*.*)|*.*"), "txt");
  // A first filter that takes every file adds nothing.
  EXPECT_EQ(QtDefaultSuffix("All Files (*.*)|*.*|Data Files (*.dat)|*.dat"), "");
  EXPECT_EQ(QtDefaultSuffix(""), "");
}

TEST(QtFileDialogs, ABareNameIsSavedWithTheFiltersExtension) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "veridane-save-dialog";
  std::filesystem::create_directories(folder);
  // An exit an earlier window test asked for outside any event loop stays pending and would
  // end the dialog's loop at once; the application's own loop clears it.
  QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
  QCoreApplication::exec();
  QtFileDialogs dialogs;
  std::optional<std::string> chosen;
  const ModalRun run = RunModal<QFileDialog>(
      [&] {
        chosen = dialogs.SaveFile(
            {"Save Alternate Outgoing Message List", folder.string(), "Message", "GPIB Message Files (*.gmg)|*.gmg"});
      },
      [](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Save Alternate Outgoing Message List");
        dialog.selectFile("bench");
        QMetaObject::invokeMethod(&dialog, "accept", Qt::DirectConnection);
      });
  EXPECT_TRUE(run.shown);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, (folder / "bench.gmg").string());

  // The extension is the chosen filter's, not the first one's (a plot saved with the PNG
  // filter chosen must be a .png), and the proposed name and folder are where it starts.
  EXPECT_EQ(QtFilterSuffix("PNG image (*.png)"), "png");
  EXPECT_EQ(QtFilterSuffix("All Files (*)"), "");
  QString plot;
  const ModalRun pick = RunModal<QFileDialog>(
      [&] {
        plot = AskSaveFileName(nullptr, "Export Plot", QString::fromStdString((folder / "B123 Offset.pdf").string()),
                               "PDF file (*.pdf);;PNG image (*.png)");
      },
      [&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.directory().absolutePath().toStdString(), folder.string());
        EXPECT_EQ(QFileInfo(dialog.selectedFiles().value(0)).fileName(), "B123 Offset.pdf");
        dialog.selectNameFilter("PNG image (*.png)");
        emit dialog.filterSelected("PNG image (*.png)");
        dialog.selectFile("name");
        QMetaObject::invokeMethod(&dialog, "accept", Qt::DirectConnection);
      });
  EXPECT_TRUE(pick.shown);
  EXPECT_EQ(plot.toStdString(), (folder / "name.png").string());
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace veridane::testing
