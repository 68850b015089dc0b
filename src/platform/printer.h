#pragma once
// The printer as the program's printing logic sees it: a page with a current position in
// millimetres from the paper's top-left corner, a font, and text printed at that position
// without a line feed. A document starts with the first output and goes to the printer (or
// the PDF file) with EndDoc. The Qt implementation drives real printers and PDF files; the
// tests record what would have been printed.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veridane {

struct PrinterFont {
  std::string name = "Courier New";
  double size = 10;  // points
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

// Where the next document goes: a PDF file when pdfFile is not empty, else the named printer,
// else the system's default printer.
struct PrintTarget {
  std::string printerName;
  std::string pdfFile;  // file-system name (UTF-8)
};

class Printer {
 public:
  virtual ~Printer() = default;

  // Takes effect for the next document; false (with Error()) when no such printer exists.
  virtual bool SetTarget(const PrintTarget& target) = 0;
  virtual void SetFont(const PrinterFont& font) = 0;
  virtual void SetForeColor(uint32_t rgb) = 0;  // 0xRRGGBB

  virtual double CurrentX() const = 0;
  virtual double CurrentY() const = 0;
  virtual void SetCurrentX(double mm) = 0;
  virtual void SetCurrentY(double mm) = 0;

  // Texts are the program's 8-bit text. Print puts the text's top-left corner at the current
  // position and moves CurrentX past the text; CurrentY stays (no line feed). Each returns
  // false (with Error()) when the output failed; the document is then abandoned.
  virtual bool Print(std::string_view text) = 0;
  virtual bool NewPage() = 0;
  // Sends the document on; nothing happens when no document was started.
  virtual bool EndDoc() = 0;

  // The printer the next document goes to (the PDF file's name for a PDF).
  virtual std::string DeviceName() const = 0;
  // The system's default printer; empty when there is none.
  virtual std::string DefaultPrinterName() const = 0;
  virtual std::vector<std::string> PrinterNames() const = 0;

  virtual const std::string& Error() const = 0;
};

// The platform's print dialog: the technician picks the printer (or a PDF file) and the number
// of copies. An empty answer means Cancel.
struct PrintChoice {
  PrintTarget target;
  int copies = 1;
};

class PrintDialog {
 public:
  virtual ~PrintDialog() = default;
  virtual std::optional<PrintChoice> ChoosePrinter(Printer& printer) = 0;
};

// Always answers with the choice it was given (the headless run's --print FILE.pdf); an empty
// choice answers Cancel.
class PresetPrintDialog : public PrintDialog {
 public:
  explicit PresetPrintDialog(std::optional<PrintChoice> choice = {}) : choice_(std::move(choice)) {}
  std::optional<PrintChoice> ChoosePrinter(Printer&) override { return choice_; }

 private:
  std::optional<PrintChoice> choice_;
};

// Colour of index 0 to 15 of the classic 16-colour palette (0 black ... 15 white).
uint32_t PaletteColor(int16_t index);

// Positions and prints one text, no line feed. x, y in mm: a positive value is absolute, a
// negative one moves on by its amount from the current position, 0 leaves it. An index outside
// 0 to 15 prints black. An empty text only moves. False when the printer failed.
bool PrintText(Printer& printer, std::string_view text, float x, float y, int16_t colorIndex);

// x absolute, y relative: current X = |x|, current Y = current Y + |y| (mm).
void PrintMove(Printer& printer, float x, float y);

}  // namespace veridane
