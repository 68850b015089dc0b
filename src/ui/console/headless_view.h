#pragma once
// The main window of a run without a display: every row of the result display is printed to
// the output stream the moment it appears (UTF-8, one line per row); the scope label goes to
// the message stream; menus, captions and the status list have nothing to show.
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "shell/shell_view.h"
#include "pv/frame/main_view.h"

namespace veridane {

class HeadlessView : public MainView, public ShellView {
 public:
  HeadlessView(std::ostream& out, std::ostream& messages) : out_(out), messages_(messages) {}

  void SetCaption(std::string_view caption) override {
    if (caption != caption_) ++changes_;
    caption_ = caption;
  }
  void SetDisplayText(std::string_view text) override;
  void AppendDisplayText(std::string_view text) override;
  void AppendResult(std::string_view text, const StepResult& result) override;
  void ShowDisplayEnd() override {}
  // The terminal keeps the table as the log has it; --explain and --json say the uncertainty.
  void ShowResultUncertainty(std::string_view, std::string_view) override {}
  void SetStatusLines(const std::vector<std::string>& lines) override { statusLines_ = lines; }
  void SetCounter(int, std::string_view, bool) override {}
  void SetEnabled(std::string_view, bool) override {}
  void SetChecked(std::string_view, bool) override {}
  void SetLogFileLabel(std::string_view) override {}

  void SetLabel1(std::string_view text) override;
  void Intro(int16_t) override {}
  void ShowAbout() override;

  // Rows with a FAIL or marginal PASS verdict in terminal colours (only for a terminal).
  void SetColourRows(bool colour) { colourRows_ = colour; }

  const std::string& Caption() const { return caption_; }
  // Counts new captions and newly printed rows: a step of a test ends with a row.
  uint64_t Changes() const { return changes_; }
  // The status list as last shown: one line per test with PASS, FAIL or N/A.
  const std::vector<std::string>& StatusLines() const { return statusLines_; }

 private:
  // Prints the rows of the mirrored display that have not been printed yet; the last one is
  // the result's row when one is given. Rows of a whole text replaced (a log re-opened) come
  // without their results and are coloured by the verdict their text ends with; rows the
  // program appends are coloured only by their results.
  enum class RowsFrom { Program, LogText };
  void PrintNewRows(RowsFrom from, const StepResult* last = nullptr);

  std::ostream& out_;
  std::ostream& messages_;
  std::string caption_;
  std::vector<std::string> statusLines_;
  std::string display_;   // the display's text as the program keeps it (CR LF between rows)
  size_t printedRows_ = 0;
  bool colourRows_ = false;
  uint64_t changes_ = 0;
};

}  // namespace veridane
