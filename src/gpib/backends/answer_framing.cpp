#include "gpib/backends/answer_framing.h"

#include <algorithm>

namespace veridane {

namespace {

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\r' && c != '\n' && c != '\t'; }

}  // namespace

size_t AnswerFraming::Scan(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    const bool last = i + 1 == bytes.size();
    const bool wasSeparator = Separator();
    const bool afterBlock = afterBlock_;
    afterBlock_ = false;
    ++count_;
    switch (state_) {
      case State::kText:
      case State::kHash:
        if (state_ == State::kHash) {
          state_ = State::kText;
          if (c == '0') {
            state_ = State::kIndefinite;
            break;
          }
          if (c >= '1' && c <= '9') {
            digitsLeft_ = c - '0';
            length_ = 0;
            state_ = State::kLengthDigits;
            break;
          }
        }
        if (c == endChar_ && last) return Ended(i, !control_ && (prev_ == '\n' || afterBlock));
        if (IsControl(c)) control_ = true;
        if (c == '#' && wasSeparator) state_ = State::kHash;
        break;
      case State::kLengthDigits:
        if (c < '0' || c > '9') {
          // Not a block after all: a malformed header is text.
          state_ = State::kText;
          if (c == endChar_ && last) return Ended(i, false);
          if (IsControl(c)) control_ = true;
          break;
        }
        length_ = std::min<uint64_t>(length_ * 10 + static_cast<uint64_t>(c - '0'), uint64_t{1} << 40);
        if (--digitsLeft_ == 0) {
          if (length_ == 0) {
            state_ = State::kText;
          } else {
            blockLeft_ = length_;
            state_ = State::kBlock;
            // The block may be as long as it says, and a line of text after it.
            const uint64_t wanted = count_ + length_ + textLimit_;
            allowed_ = static_cast<size_t>(std::max<uint64_t>(allowed_, std::min<uint64_t>(wanted, blockLimit_)));
          }
        }
        break;
      case State::kBlock:
        if (--blockLeft_ == 0) {
          state_ = State::kText;
          afterBlock_ = true;
        }
        break;
      case State::kIndefinite:
        if (c == endChar_ && prev_ == '\n' && last) return Ended(i, true);
        // An indefinite block can only be told by its length; it gets what a block may have.
        allowed_ = std::max(allowed_, blockLimit_);
        break;
    }
    prev_ = c;
  }
  return std::string_view::npos;
}

}  // namespace veridane
