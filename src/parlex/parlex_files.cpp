#include "parlex/parlex_files.h"

#include <unistd.h>

#include <cerrno>

#include "platform/text8_file.h"

namespace veridane::parlex {

namespace {

constexpr size_t kListFileLimit = 16u << 20;

size_t LastSeparator(const std::string& path) { return path.find_last_of("/\\"); }

}  // namespace

std::optional<std::vector<std::string>> ReadListFile(const std::string& path) {
  std::string content, error;
  if (!ReadText8File(path, content, error, kListFileLimit)) return std::nullopt;
  return SplitText8Lines(content);
}

bool WriteListFile(const std::string& path, const std::vector<std::string>& lines) {
  // The file is replaced by renaming, which a read-only file would not stop: a list the
  // technician protected keeps its content, as "probably write protected" promises.
  if (::access(path.c_str(), F_OK) == 0 && ::access(path.c_str(), W_OK) != 0) return false;
  std::string content;
  for (const std::string& line : lines) {
    content += line;
    content += "\r\n";
  }
  std::string error;
  return ReplaceText8File(path, content, error);
}

std::string FolderOf(const std::string& path) {
  size_t at = LastSeparator(path);
  if (at == std::string::npos) return {};
  if (at == 0) return path.substr(0, 1);
  return path.substr(0, at);
}

std::string FileNameOf(const std::string& path) {
  size_t at = LastSeparator(path);
  return at == std::string::npos ? path : path.substr(at + 1);
}

}  // namespace veridane::parlex
