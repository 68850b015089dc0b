#pragma once
// The error log's printout on a Qt printer (a CUPS queue or a PDF file). Positions are taken
// from the paper's edge, as the printout's millimetres are meant.
#include <QPainter>
#include <QPrinter>

#include "faultbook/error_log_print.h"

namespace veridane {

class QtErrorLogPrinter : public ErrorLogPrinter {
 public:
  explicit QtErrorLogPrinter(QPrinter& printer);
  ~QtErrorLogPrinter() override;

  void SetFont(std::string_view name, double size) override;
  void PrintAt(double leftMm, double topMm, std::string_view text) override;
  void NewPage() override;
  void EndDoc() override;
  double PageHeightMm() const override;

  // The printer could not be started or refused a page: the printout is incomplete.
  bool Failed() const { return failed_; }

 private:
  bool Begin();
  double Pixels(double mm) const;

  QPrinter& printer_;
  QPainter painter_;
  QFont font_;
  bool failed_ = false;
};

}  // namespace veridane
