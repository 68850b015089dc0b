#include "parlex/parlex_files.h"

#include <fstream>
#include <iterator>

namespace veridane::parlex {

std::optional<std::vector<std::string>> DiskTextFiles::ReadLines(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) return std::nullopt;

  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < content.size(); ++i) {
    char c = content[i];
    if (c == '\n' || c == '\r') {
      // CR LF is one line end; a lone CR or LF is one as well.
      if (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ++i;
      lines.push_back(std::move(line));
      line.clear();
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(std::move(line));
  return lines;
}

bool DiskTextFiles::WriteLines(const std::string& path, const std::vector<std::string>& lines) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) return false;
  for (const std::string& line : lines) file << line << "\r\n";
  file.flush();
  return static_cast<bool>(file);
}

namespace {
size_t LastSeparator(const std::string& path) { return path.find_last_of("/\\"); }
}  // namespace

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
