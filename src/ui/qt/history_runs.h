#pragma once
// History's run list: one line per run of the chosen scope, newest first, with when, where and
// by whom it was made, how each test ended and the certificate it has. Each line carries its
// run's id (Qt::UserRole of the first cell).
#include <QTableWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "record/run_list.h"

namespace veridane {

class RunTable : public QTableWidget {
 public:
  explicit RunTable(QWidget* parent = nullptr);

  void Fill(const std::vector<RunSummary>& runs);
  // The run of the selected line; nothing when none is selected.
  std::optional<int64_t> SelectedRun() const;
  bool SelectRun(int64_t runId);
  // The text of a cell by run and column title ("Started", "offset", "Certificate", ...).
  QString Cell(int64_t runId, const QString& column) const;
};

// "2026-12-07 11:46" from the stored ISO time, in the time of day the bench had.
QString RunTimeText(const std::string& startedAt);

}  // namespace veridane
