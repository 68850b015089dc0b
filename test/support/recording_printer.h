#pragma once
// A printer that keeps every document it was given, page by page, with the position, font
// and colour of each text; it can be told to fail, as a printer out of paper would.
#include <optional>
#include <string>
#include <vector>

#include "platform/printer.h"

namespace veridane::testing {

struct PrintedText {
  double x = 0;
  double y = 0;
  std::string text;
  std::string font;
  double size = 0;
  uint32_t color = 0;
};

struct PrintedDocument {
  std::string device;
  std::vector<std::vector<PrintedText>> pages;
  // The document's text, page by page, lines in the order printed; for quick comparisons.
  std::vector<std::string> PageTexts(size_t page) const;
};

class RecordingPrinter : public Printer {
 public:
  // The installed printers and the default one; the names SetTarget accepts.
  explicit RecordingPrinter(std::vector<std::string> printers = {"Bench Laser"}, std::string defaultPrinter = "Bench Laser")
      : printers_(std::move(printers)), default_(std::move(defaultPrinter)) {}

  bool SetTarget(const PrintTarget& target) override;
  void SetFont(const PrinterFont& font) override { font_ = font; }
  void SetForeColor(uint32_t rgb) override { color_ = rgb; }
  double CurrentX() const override { return x_; }
  double CurrentY() const override { return y_; }
  void SetCurrentX(double mm) override { x_ = mm; }
  void SetCurrentY(double mm) override { y_ = mm; }
  // Moves CurrentX on as a fixed-pitch font would (0.6 of the size per character).
  bool Print(std::string_view text) override;
  bool NewPage() override;
  bool EndDoc() override;
  std::string DeviceName() const override;
  std::string DefaultPrinterName() const override { return default_; }
  std::vector<std::string> PrinterNames() const override { return printers_; }
  const std::string& Error() const override { return error_; }

  // The n-th call of Print (counted from 1 over the printer's life) fails, and every later one.
  void FailAtPrint(int n) { failAtPrint_ = n; }

  const std::vector<PrintedDocument>& Documents() const { return documents_; }
  bool DocumentOpen() const { return open_.has_value(); }

 private:
  bool Begin();
  std::vector<std::string> printers_;
  std::string default_;
  PrintTarget target_;
  PrinterFont font_;
  uint32_t color_ = 0;
  double x_ = 0, y_ = 0;
  std::string error_;
  int prints_ = 0;
  int failAtPrint_ = 0;
  std::optional<PrintedDocument> open_;
  std::vector<PrintedDocument> documents_;
};

}  // namespace veridane::testing
