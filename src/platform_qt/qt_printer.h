#pragma once
// The Printer seam on Qt's print support: real printers through the system's print service
// (CUPS) and PDF files. Needs a QGuiApplication (fonts). Positions are millimetres from the
// paper's top-left corner, whatever margins the printer has.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/printer.h"

class QPainter;
class QPrinter;

namespace veridane {

class QtPrinter : public Printer {
 public:
  QtPrinter();
  // Draws every document on the given printer, which the caller owns and has set up (a print
  // preview's pages); SetTarget then only names the device.
  explicit QtPrinter(QPrinter& device);
  ~QtPrinter() override;

  bool SetTarget(const PrintTarget& target) override;
  void SetFont(const PrinterFont& font) override { font_ = font; }
  void SetForeColor(uint32_t rgb) override { color_ = rgb; }

  double CurrentX() const override { return x_; }
  double CurrentY() const override { return y_; }
  void SetCurrentX(double mm) override { x_ = mm; }
  void SetCurrentY(double mm) override { y_ = mm; }

  bool Print(std::string_view text) override;
  bool NewPage() override;
  bool EndDoc() override;

  std::string DeviceName() const override;
  std::string DefaultPrinterName() const override;
  std::vector<std::string> PrinterNames() const override;

  const std::string& Error() const override { return error_; }

 private:
  bool BeginDocument();
  bool Fail(std::string what);
  void Abandon();

  PrintTarget target_;
  PrinterFont font_;
  uint32_t color_ = 0;
  double x_ = 0;
  double y_ = 0;
  std::string error_;
  QPrinter* borrowed_ = nullptr;
  std::unique_ptr<QPrinter> owned_;
  QPrinter* printer_ = nullptr;  // the one the document is drawn on
  std::unique_ptr<QPainter> painter_;
};

}  // namespace veridane
