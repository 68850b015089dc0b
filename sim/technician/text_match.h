#pragma once
// Plain text comparisons for reading prompts.
#include <string_view>

namespace veridane::sim {

inline bool StartsWith(std::string_view text, std::string_view head) { return text.substr(0, head.size()) == head; }
inline bool EndsWith(std::string_view text, std::string_view tail) {
  return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}
inline bool Contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

}  // namespace veridane::sim
