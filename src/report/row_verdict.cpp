#include "report/row_verdict.h"

namespace veridane {

namespace {

constexpr size_t kVerdictWidth = 5;  // " PASS", ">PASS", " FAIL"

std::string_view WithoutTrailingBlanks(std::string_view row) {
  while (!row.empty() && (row.back() == ' ' || row.back() == '\r' || row.back() == '\n')) row.remove_suffix(1);
  return row;
}

}  // namespace

RowVerdict VerdictOfRow(std::string_view row) {
  const std::string_view trimmed = WithoutTrailingBlanks(row);
  if (trimmed.size() < kVerdictWidth) return RowVerdict::None;
  const std::string_view last = trimmed.substr(trimmed.size() - kVerdictWidth);
  if (last == " FAIL") return RowVerdict::Fail;
  if (last == ">PASS") return RowVerdict::MarginalPass;
  if (last == " PASS") return RowVerdict::Pass;
  return RowVerdict::None;
}

size_t VerdictColumn(std::string_view row) {
  if (VerdictOfRow(row) == RowVerdict::None) return row.size();
  return WithoutTrailingBlanks(row).size() - kVerdictWidth + 1;
}

}  // namespace veridane
