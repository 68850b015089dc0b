#pragma once
// A caption pattern from an answers file. The file is the technician's, so the matcher must not
// be turned against the run: it takes time in proportion to the caption whatever the pattern
// (no backtracking), bounded memory and stack, and patterns longer than any caption needs are
// refused. The syntax is the usual one (. * + ? | () [] ^ $ \d \s {n,m}); back references and
// look-arounds, which need backtracking, are not offered.
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

namespace re2 {
class RE2;
}

namespace veridane {

// Why a pattern was refused, in words for the technician.
class BadCaptionPattern : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class CaptionPattern {
 public:
  static constexpr std::size_t kMaxLength = 1000;

  CaptionPattern();  // matches every caption
  // The pattern in the program's 8-bit text; throws BadCaptionPattern.
  explicit CaptionPattern(std::string_view pattern);

  // Found anywhere in the caption (anchor with ^ and $ for an exact caption).
  bool FoundIn(std::string_view caption) const;

 private:
  std::shared_ptr<const re2::RE2> compiled_;
};

}  // namespace veridane
