#pragma once
// Where an answer from a Prologix-compatible adapter ends, from the bytes alone.
//
// The adapter follows the device's message with its end character (4) only when the device
// asserted EOI, but a binary answer may hold that byte as data. IEEE 488.2 says where binary
// data can be: in an arbitrary block, "#<n><length digits><length bytes>" (definite length)
// or "#0<bytes>LF" ended by EOI (indefinite length). So the end character ends the answer
// when it stands in text, or right after the LF of an indefinite block; inside a definite
// block it is data. An end character with more bytes already behind it was data too (binary
// answers without a block). Nothing here depends on how the bytes were split on the way.
//
// Closed(): the end character that ended the answer cannot have been data: it follows the LF
// of an answer that held only text, the last byte of a definite block (or the LF after it), or
// the LF of an indefinite block. The reader then takes the end as it is, without looking
// whether more bytes are already behind it.
//
// One answer is bounded: text up to `textLimit` bytes, a block up to its declared length
// (no more than `blockLimit` in all). Past that the adapter is streaming something no
// instrument of this bench sends, and the read fails instead of filling the memory.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace veridane {

class AnswerFraming {
 public:
  static constexpr size_t kTextLimit = size_t{4} << 20;
  static constexpr size_t kBlockLimit = size_t{64} << 20;

  explicit AnswerFraming(char endChar, size_t textLimit = kTextLimit, size_t blockLimit = kBlockLimit)
      : endChar_(endChar), allowed_(textLimit), textLimit_(textLimit), blockLimit_(blockLimit) {}

  // Takes the next bytes of the answer; the index in `bytes` of the end character that ends
  // it, or npos when the answer goes on. Only the last byte given can end it; a caller that
  // finds more bytes behind that one goes on with them (the end character was data).
  size_t Scan(std::string_view bytes);
  // The answer grew past what it may be.
  bool TooLong() const { return count_ > allowed_; }
  // The last end found cannot have been a data byte (see above).
  bool Closed() const { return closed_; }

 private:
  enum class State { kText, kHash, kLengthDigits, kBlock, kIndefinite };
  size_t Ended(size_t index, bool closed) {
    closed_ = closed;
    // Were it data after all (more bytes follow), the answer holds a control byte.
    if (static_cast<unsigned char>(endChar_) < 0x20) control_ = true;
    prev_ = endChar_;
    afterBlock_ = false;
    return index;
  }
  bool Separator() const { return count_ == 0 || prev_ == ' ' || prev_ == ',' || prev_ == ';'; }

  char endChar_;
  State state_ = State::kText;
  char prev_ = 0;
  int digitsLeft_ = 0;
  uint64_t length_ = 0;
  uint64_t blockLeft_ = 0;
  size_t count_ = 0;
  bool control_ = false;     // a control byte other than CR, LF or TAB outside any block
  bool afterBlock_ = false;  // the last byte was a definite block's last
  bool closed_ = false;
  size_t allowed_;
  size_t textLimit_;
  size_t blockLimit_;
};

}  // namespace veridane
