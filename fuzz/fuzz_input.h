#pragma once
// Helpers shared by the fuzz targets: pieces of one input, taken from its front.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace veridane::fuzz {

class Input {
 public:
  Input(const uint8_t* data, size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

  template <typename T>
  T Take() {
    T value{};
    if (rest_.size() >= sizeof value) {
      std::memcpy(&value, rest_.data(), sizeof value);
      rest_.remove_prefix(sizeof value);
    }
    return value;
  }
  // Up to the next byte `separator`, or everything left.
  std::string TakeUntil(char separator) {
    const size_t end = rest_.find(separator);
    std::string piece(rest_.substr(0, end));
    rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
    return piece;
  }
  std::string Rest() const { return std::string(rest_); }

 private:
  std::string_view rest_;
};

// A finding: libFuzzer keeps the input that led here.
[[noreturn]] inline void Broken(const char* what) {
  (void)what;
  std::abort();
}

}  // namespace veridane::fuzz
