#include "ui/console/caption_pattern.h"

#include <re2/re2.h>

namespace veridane {

namespace {

// Far more than a caption pattern needs; a pattern that compiles to more is refused.
constexpr int64_t kMaxCompiledBytes = 1 << 20;

std::shared_ptr<const re2::RE2> Compile(std::string_view pattern) {
  if (pattern.size() > CaptionPattern::kMaxLength)
    throw BadCaptionPattern("longer than " + std::to_string(CaptionPattern::kMaxLength) + " characters");
  re2::RE2::Options options;
  // Captions are 8-bit text: one byte, one character.
  options.set_encoding(re2::RE2::Options::EncodingLatin1);
  options.set_log_errors(false);
  options.set_max_mem(kMaxCompiledBytes);
  options.set_never_capture(true);
  auto compiled = std::make_shared<const re2::RE2>(re2::StringPiece(pattern.data(), pattern.size()), options);
  if (!compiled->ok()) throw BadCaptionPattern(compiled->error());
  return compiled;
}

}  // namespace

CaptionPattern::CaptionPattern() : CaptionPattern("") {}

CaptionPattern::CaptionPattern(std::string_view pattern) : compiled_(Compile(pattern)) {}

bool CaptionPattern::FoundIn(std::string_view caption) const {
  return re2::RE2::PartialMatch(re2::StringPiece(caption.data(), caption.size()), *compiled_);
}

}  // namespace veridane
