#include "instruments/comp_data.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

#include "platform/file_checks.h"
#include "platform/text8.h"

namespace veridane {

namespace {

bool IsSeparator(char c) { return c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// One decimal number with '.' as the point, whatever the process locale.
bool ParseNumber(const std::string& token, float& value) {
  const char* first = token.data();
  const char* last = first + token.size();
  if (first != last && *first == '+') ++first;
  auto result = std::from_chars(first, last, value, std::chars_format::general);
  return result.ec == std::errc() && result.ptr == last && std::isfinite(value);
}

}  // namespace

std::filesystem::path CompFilePath(const std::filesystem::path& instrumentDataFolder, const std::string& sgName) {
  return instrumentDataFolder / (sgName + ".dat");
}

CompFileError ReadCompFile(const std::filesystem::path& path, int pairs, CompTable& table, std::string* problem) {
  const FileRead read = ReadRegularFile(path, kCompFileLimit);
  if (read.status == FileReadStatus::Missing) return CompFileError::NotFound;
  if (!read.Ok()) {
    if (problem != nullptr) *problem = "The Comp data file " + Text8FromUtf8(path.string()) + " " + read.problem + ".";
    return CompFileError::Other;
  }
  return ParseCompData(read.bytes, pairs, table);
}

CompFileError ParseCompData(const std::string& bytes, int pairs, CompTable& table) {
  size_t pos = 0;
  // The table has room for 22 pairs whatever a caller asks for.
  int needed = std::min(pairs, static_cast<int>(table[0].size())) * 2;
  for (int n = 0; n < needed; ++n) {
    while (pos < bytes.size() && IsSeparator(bytes[pos])) ++pos;
    if (pos >= bytes.size()) return CompFileError::Corrupt;  // read past the end
    size_t start = pos;
    while (pos < bytes.size() && !IsSeparator(bytes[pos])) ++pos;
    float value = 0;
    if (!ParseNumber(bytes.substr(start, pos - start), value)) return CompFileError::Corrupt;
    table[n % 2][n / 2] = value;
  }
  return CompFileError::None;
}

}  // namespace veridane
