#pragma once
// What a result row says in its verdict column, so that a display can make failures stand out.
// Only the row's last column counts ("PASS/FAIL" in a header, a FAIL in a comment or a number
// elsewhere in the row say nothing); the row's text itself is never changed.
#include <string_view>

namespace veridane {

enum class RowVerdict { None, Pass, MarginalPass, Fail };

// The verdict at the end of a row (trailing blanks and a line end allowed): " PASS", ">PASS"
// or " FAIL" as JudgeResult writes them; None for any other row.
RowVerdict VerdictOfRow(std::string_view row);

// Where the verdict starts in the row (for colouring just the word); row.size() for None.
size_t VerdictColumn(std::string_view row);

}  // namespace veridane
