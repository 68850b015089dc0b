#include "platform_qt/qt_printer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QString>

#include "platform/text8.h"

namespace veridane {

namespace {

QString Q(std::string_view text8) { return QString::fromStdString(Utf8FromText8(text8)); }
std::string Text8(const QString& text) { return Text8FromUtf8(text.toStdString()); }

QFont FontOf(const PrinterFont& font) {
  QFont qfont(QString::fromStdString(Utf8FromText8(font.name)));
  // "Courier New" is rarely installed on Linux; the hint keeps the substitute fixed-pitch, so
  // the result tables keep their columns.
  qfont.setStyleHint(QFont::TypeWriter);
  qfont.setFixedPitch(true);
  qfont.setPointSizeF(font.size > 0 ? font.size : 10);
  qfont.setBold(font.bold);
  qfont.setItalic(font.italic);
  qfont.setUnderline(font.underline);
  return qfont;
}

// Qt's PDF writer does not report a disk that filled up under it: the file then lacks its
// last bytes, the end-of-file mark. The file is checked there and synced, so a PDF that is
// reported as written is one a reader can open after a power cut too.
bool PdfFileIsWhole(const std::string& path, bool& regular, std::string& problem) {
  regular = false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) {
    problem = std::strerror(errno);
    return false;
  }
  struct stat info {};
  regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
  bool whole = regular;
  if (!whole) problem = "not a regular file";
  if (whole) {
    char tail[16] = {};
    const off_t size = info.st_size;
    const off_t from = size > static_cast<off_t>(sizeof tail) ? size - static_cast<off_t>(sizeof tail) : 0;
    const ssize_t got = ::pread(fd, tail, sizeof tail, from);
    whole = got > 0 && std::string_view(tail, static_cast<size_t>(got)).find("%%EOF") != std::string_view::npos;
    if (!whole) problem = "the file ends short (is the disk full?)";
  }
  if (whole && ::fsync(fd) != 0) {
    problem = std::strerror(errno);
    whole = false;
  }
  ::close(fd);
  return whole;
}

}  // namespace

QtPrinter::QtPrinter() = default;

QtPrinter::QtPrinter(QPrinter& device) : borrowed_(&device) {}

QtPrinter::~QtPrinter() { Abandon(); }

bool QtPrinter::Fail(std::string what) {
  error_ = std::move(what);
  return false;
}

void QtPrinter::Abandon() {
  if (painter_ && painter_->isActive()) {
    printer_->abort();
    painter_->end();
  }
  painter_.reset();
  owned_.reset();
  printer_ = nullptr;
}

bool QtPrinter::SetTarget(const PrintTarget& target) {
  error_.clear();
  if (target.pdfFile.empty() && !target.printerName.empty() &&
      !QPrinterInfo::availablePrinterNames().contains(Q(target.printerName)))
    return Fail("There is no printer " + target.printerName + ".");
  target_ = target;
  return true;
}

bool QtPrinter::BeginDocument() {
  if (painter_) return true;
  error_.clear();
  if (borrowed_ != nullptr) {
    printer_ = borrowed_;
  } else {
    owned_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_ = owned_.get();
  }
  printer_->setFullPage(true);
  if (borrowed_ != nullptr) {
    // The owner has chosen the device already.
  } else if (!target_.pdfFile.empty()) {
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(QString::fromStdString(target_.pdfFile));
  } else {
    std::string name = target_.printerName.empty() ? DefaultPrinterName() : target_.printerName;
    if (name.empty()) {
      owned_.reset();
      printer_ = nullptr;
      return Fail("No printer is installed.");
    }
    printer_->setOutputFormat(QPrinter::NativeFormat);
    printer_->setPrinterName(Q(name));
  }
  painter_ = std::make_unique<QPainter>();
  if (!painter_->begin(printer_)) {
    std::string device = DeviceName();
    painter_.reset();
    owned_.reset();
    printer_ = nullptr;
    return Fail("Printing to " + device + " could not start.");
  }
  return true;
}

bool QtPrinter::Print(std::string_view text) {
  if (!BeginDocument()) return false;
  QFont font = FontOf(font_);
  painter_->setFont(font);
  painter_->setPen(QColor::fromRgb(static_cast<QRgb>(color_ | 0xFF000000u)));
  QFontMetricsF metrics(font, printer_);
  double pixelsPerMm = printer_->resolution() / 25.4;
  QString qtext = Q(text);
  // The position is the text's top-left corner, while Qt draws from the baseline.
  painter_->drawText(QPointF(x_ * pixelsPerMm, y_ * pixelsPerMm + metrics.ascent()), qtext);
  x_ += metrics.horizontalAdvance(qtext) / pixelsPerMm;
  if (printer_->printerState() == QPrinter::Error) {
    Abandon();
    return Fail("Printing to " + DeviceName() + " failed.");
  }
  return true;
}

bool QtPrinter::NewPage() {
  if (!BeginDocument()) return false;
  if (!printer_->newPage()) {
    Abandon();
    return Fail("Printing to " + DeviceName() + " failed at a new page.");
  }
  return true;
}

bool QtPrinter::EndDoc() {
  if (!painter_) return true;  // no document was started
  std::string device = DeviceName();
  const bool ownPdf = borrowed_ == nullptr && !target_.pdfFile.empty();
  bool ended = painter_->end();
  bool failed = !ended || printer_->printerState() == QPrinter::Error;
  painter_.reset();
  owned_.reset();
  printer_ = nullptr;
  if (failed) return Fail("The document could not be sent to " + device + ".");
  if (ownPdf) {
    std::string problem;
    bool regular = false;
    if (!PdfFileIsWhole(target_.pdfFile, regular, problem)) {
      // A torn file must not pass for the report; anything else at that name is not ours.
      if (regular) std::remove(target_.pdfFile.c_str());
      return Fail("The PDF file " + device + " could not be written whole: " + Text8FromUtf8(problem));
    }
  }
  return true;
}

std::string QtPrinter::DeviceName() const {
  if (borrowed_ != nullptr)
    return borrowed_->outputFormat() == QPrinter::PdfFormat ? Text8FromUtf8(borrowed_->outputFileName().toStdString())
                                                            : Text8(borrowed_->printerName());
  if (!target_.pdfFile.empty()) return Text8FromUtf8(target_.pdfFile);
  return target_.printerName.empty() ? DefaultPrinterName() : target_.printerName;
}

std::string QtPrinter::DefaultPrinterName() const { return Text8(QPrinterInfo::defaultPrinterName()); }

std::vector<std::string> QtPrinter::PrinterNames() const {
  std::vector<std::string> names;
  for (const QString& name : QPrinterInfo::availablePrinterNames()) names.push_back(Text8(name));
  return names;
}

}  // namespace veridane
